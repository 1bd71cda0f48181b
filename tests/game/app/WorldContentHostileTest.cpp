// Labs and exported experiments that are cut, lie about their sizes or fail the key: each is
// refused without allocating beyond the file, keeping the records before the failing one; and
// a save whose commit fails leaves the old file as it was.
#include "game/app/WorldContent.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/AtomicFileTestHooks.h"
#include "game/app/ScriptKey.h"
#include "game/app/WorldContentRecord.h"

#include "tests/game/app/LabFixture.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/TempDir.h"

namespace {

// A key of the same length that is not the game's.
constexpr char kOtherKey[] = "5k2$&r/8QXVTRZ=?w!t&";
static_assert(sizeof kOtherKey == sizeof kScriptKey);
// Fields of a narrow lab and of a narrow export.
constexpr size_t kCountField = 0;
constexpr size_t kTitleField = 1;
constexpr size_t kExportHeaderField = 0;
// Room for what reading allocates besides the file's fields: paths, single small fields.
constexpr size_t kAllocationSlack = 4096;
// Data sizes announced past the end of the file, up to the largest a field can state.
const uint32_t kSizesPastTheFile[] = {1u << 20, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu - kScriptKeyLength + 1,
                                      0xFFFFFFFFu};

// Three records, the middle one empty; the lab the hostile files are made from.
LabContent BaseLab(bool wide) {
    LabContent content;
    content.wide = wide;
    content.title = "Feindlich";
    content.bestScore = 3;
    content.extraValue = 4;
    content.header = FilledHeader();
    content.records = {{1, "Erste", RandomBytes(5, 1)}, {0, "Leer", {}}, {1, "Dritte", RandomBytes(7, 2)}};
    return content;
}

struct HostileCase {
    std::string name;
    Bytes file;
    size_t recordsKept;
};

FieldFile WithPlain(FieldFile file, size_t field, const Bytes& plain) {
    file.fields[field].plain = plain;
    return file;
}

FieldFile WithKey(FieldFile file, size_t field, const char* key) {
    file.fields[field].key = key;
    return file;
}

FieldFile WithEveryKey(FieldFile file, const char* key) {
    for (FileField& field : file.fields)
        field.key = key;
    return file;
}

// The data size of the field at `sizeField` set to one past what the file holds after the
// size field and the name, then to the sizes past the file.
std::vector<std::pair<std::string, Bytes>> SizesPastTheFile(const FieldFile& file, size_t sizeField) {
    const size_t left = file.Joined().size() - file.FieldEnds()[sizeField + 1];
    std::vector<std::pair<std::string, Bytes>> files;
    const uint32_t onePast = static_cast<uint32_t>(left - kScriptKeyLength + 1);
    files.emplace_back("one past the file", WithPlain(file, sizeField, U32Bytes(onePast)).Joined());
    for (uint32_t size : kSizesPastTheFile)
        files.emplace_back(std::to_string(size), WithPlain(file, sizeField, U32Bytes(size)).Joined());
    return files;
}

std::vector<HostileCase> HostileLabs() {
    const LabContent narrow = BaseLab(false);
    const LabContent wide = BaseLab(true);
    const FieldFile narrowFile = LabFileOf(narrow);
    const FieldFile wideFile = LabFileOf(wide);
    FieldFile unmarked = wideFile;
    unmarked.fields.erase(unmarked.fields.begin());
    FieldFile marked = narrowFile;
    marked.fields.insert(marked.fields.begin(), FileField{{0xFE, 0xFF}, kScriptKey, true});

    std::vector<HostileCase> cases = {
        {"empty", {}, 0},
        {"one byte", {0xFE}, 0},
        {"the mark alone", {0xFE, 0xFF}, 0},
        {"a wrong key", WithEveryKey(narrowFile, kOtherKey).Joined(), 0},
        {"the title under another key", WithKey(narrowFile, kTitleField, kOtherKey).Joined(), 0},
        {"the count one past the records", WithPlain(narrowFile, kCountField, U32Bytes(4)).Joined(), 3},
        {"the count 0xFFFFFFFF", WithPlain(narrowFile, kCountField, U32Bytes(0xFFFFFFFFu)).Joined(), 3},
        {"the second name under another key",
         WithKey(narrowFile, LabFieldIndex(narrow, 1, RecordPart::kName), kOtherKey).Joined(), 1},
        {"the third data under another key",
         WithKey(narrowFile, LabFieldIndex(narrow, 2, RecordPart::kData), kOtherKey).Joined(), 2},
        {"the third size one short of its data",
         WithPlain(narrowFile, LabFieldIndex(narrow, 2, RecordPart::kSize), U32Bytes(6)).Joined(), 2},
        {"a wide lab without its mark", unmarked.Joined(), 0},
        {"a narrow lab behind a mark", marked.Joined(), 0},
    };
    for (const auto& [name, file] : SizesPastTheFile(narrowFile, LabFieldIndex(narrow, 1, RecordPart::kSize)))
        cases.push_back({"the second size " + name, file, 1});
    for (const auto& [name, file] : SizesPastTheFile(wideFile, LabFieldIndex(wide, 1, RecordPart::kSize)))
        cases.push_back({"the second wide size " + name, file, 1});
    return cases;
}

std::vector<HostileCase> HostileExports() {
    const LabRecord record = {1, "Kiste", RandomBytes(9, 4)};
    const CLabHeader header = FilledHeader();
    const FieldFile narrow = ExportFileOf(header, record, false);
    const FieldFile wide = ExportFileOf(header, record, true);
    std::vector<HostileCase> cases = {
        {"empty", {}, 0},
        {"one byte", {0xFE}, 0},
        {"the mark alone", {0xFE, 0xFF}, 0},
        {"a wrong key", WithEveryKey(wide, kOtherKey).Joined(), 0},
        {"the header under another key", WithKey(narrow, kExportHeaderField, kOtherKey).Joined(), 0},
        {"the name under another key", WithKey(wide, ExportFieldIndex(true, RecordPart::kName), kOtherKey).Joined(),
         0},
        {"the data under another key", WithKey(narrow, ExportFieldIndex(false, RecordPart::kData), kOtherKey).Joined(),
         0},
        {"the size one short of its data",
         WithPlain(narrow, ExportFieldIndex(false, RecordPart::kSize), U32Bytes(8)).Joined(), 0},
        {"a wide name", WithPlain(wide, ExportFieldIndex(true, RecordPart::kName), NameBytes("Kiste", true)).Joined(),
         0},
    };
    for (const auto& [name, file] : SizesPastTheFile(wide, ExportFieldIndex(true, RecordPart::kSize)))
        cases.push_back({"the size " + name, file, 0});
    return cases;
}

// Every cut short of the whole file, keeping the records whose data field it holds.
std::vector<HostileCase> CutLabs() {
    std::vector<HostileCase> cases;
    for (bool wide : {false, true}) {
        const LabContent content = BaseLab(wide);
        const FieldFile file = LabFileOf(content);
        const Bytes bytes = file.Joined();
        const std::vector<size_t> ends = file.FieldEnds();
        for (size_t length = 0; length < bytes.size(); ++length) {
            size_t kept = 0;
            while (kept < content.records.size() && ends[LabFieldIndex(content, kept, RecordPart::kData)] <= length)
                ++kept;
            cases.push_back({(wide ? "wide cut at " : "cut at ") + std::to_string(length),
                             Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)), kept});
        }
    }
    return cases;
}

std::vector<HostileCase> CutExports() {
    std::vector<HostileCase> cases;
    for (bool wide : {false, true}) {
        const Bytes bytes = ExportFileOf(FilledHeader(), {0, "Kiste", RandomBytes(9, 4)}, wide).Joined();
        for (size_t length = 0; length < bytes.size(); ++length)
            cases.push_back({(wide ? "wide cut at " : "cut at ") + std::to_string(length),
                             Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)), 0});
    }
    return cases;
}

class LabHostileTest : public ::testing::Test {
protected:
    LabHostileTest() {
        lab.SetDirectory((dir.Path() + "/").c_str());
        lab.SetSuffix(".zql");
    }

    // Loads the file as a lab that held records X and Y.
    void ExpectLabRefused(const HostileCase& c, const LabContent& source) {
        SCOPED_TRACE(c.name);
        lab.Clear();
        lab.AddRecord("X");
        lab.AddRecord("Y");
        WriteBytes(dir.File("Hostile.zql"), c.file.data(), c.file.size());
        CLabHeader header;
        int result = -1;
        const size_t largest =
            LargestAllocationDuring([&] { result = lab.Load("Hostile", &header, sizeof header, kScriptKey); });
        EXPECT_EQ(result, 0);
        EXPECT_LE(largest, c.file.size() + kAllocationSlack);
        EXPECT_EQ(lab.m_pCurrent, nullptr);
        const std::vector<LabRecord> records = RecordsOf(lab);
        ASSERT_EQ(records.size(), c.recordsKept);
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].name, source.records[i].name);
            EXPECT_TRUE(records[i].data == source.records[i].data);
        }
    }

    // Imports the file into a lab holding records A and B.
    void ExpectExportRefused(const HostileCase& c) {
        SCOPED_TRACE(c.name);
        lab.Clear();
        lab.AddRecord("A");
        lab.AddRecord("B");
        const std::string path = dir.File("hostile.zqe");
        WriteBytes(path, c.file.data(), c.file.size());
        CWorldContentRecord* imported = &stranger;
        CLabHeader header;
        int result = -1;
        const size_t largest = LargestAllocationDuring(
            [&] { result = lab.ImportRecord(path.c_str(), &imported, &header, sizeof header, kScriptKey, 1); });
        EXPECT_EQ(result, 0);
        EXPECT_LE(largest, c.file.size() + kAllocationSlack);
        EXPECT_EQ(imported, nullptr);
        EXPECT_EQ(NamesOf(lab), (std::vector<std::string>{"A", "B"}));
        EXPECT_EQ(lab.m_pCurrent, nullptr);
    }

    TempDir dir;
    CWorldContent lab;
    CWorldContentRecord stranger{nullptr};
};

TEST_F(LabHostileTest, LabRefusedWithTheRecordsBeforeTheFailingOneKept) {
    const LabContent source = BaseLab(false);
    for (const HostileCase& c : HostileLabs())
        ExpectLabRefused(c, source);
}

TEST_F(LabHostileTest, LabCutAnywhereRefusedWithTheWholeRecordsKept) {
    const LabContent source = BaseLab(false);
    for (const HostileCase& c : CutLabs())
        ExpectLabRefused(c, source);
}

TEST_F(LabHostileTest, ExportRefusedWithNothingAdded) {
    for (const HostileCase& c : HostileExports())
        ExpectExportRefused(c);
    for (const HostileCase& c : CutExports())
        ExpectExportRefused(c);
}

// Sets the atomic writer's failure switch for one scope.
class FailingCommits {
public:
    FailingCommits() { SetAtomicFileCommitFailure(true); }
    ~FailingCommits() { SetAtomicFileCommitFailure(false); }
    FailingCommits(const FailingCommits&) = delete;
    FailingCommits& operator=(const FailingCommits&) = delete;
};

TEST_F(LabHostileTest, FailingCommitLeavesTheOldFileByteForByte) {
    struct CommitCase {
        const char* name;
        const char* file;
        std::function<int(CWorldContent*, const CLabHeader&)> write;
    };
    const std::string exportPath = dir.File("Kiste.zqe");
    const CommitCase cases[] = {
        {"lab", "Labor.zql",
         [](CWorldContent* content, const CLabHeader& header) {
             return content->Save("Labor", &header, sizeof header, kScriptKey);
         }},
        {"export", "Kiste.zqe",
         [&exportPath](CWorldContent* content, const CLabHeader& header) {
             return content->ExportRecord(exportPath.c_str(), content->GetRecord(0), &header, sizeof header,
                                          kScriptKey);
         }},
    };
    for (const CommitCase& c : cases) {
        SCOPED_TRACE(c.name);
        lab.Clear();
        lab.AddRecord("Alt")->Append("old", 3);
        CLabHeader header = FilledHeader();
        ASSERT_GT(c.write(&lab, header), 0);
        const Bytes old = ReadBytes(dir.File(c.file));

        lab.GetRecord(0)->Append(" and new", 8);
        lab.m_nBestScore = 99;
        memset(header.szCreator, 'N', sizeof header.szCreator);
        {
            FailingCommits failing;
            EXPECT_EQ(c.write(&lab, header), 0);
        }
        EXPECT_EQ(ReadBytes(dir.File(c.file)), old);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{c.file});
        std::remove(dir.File(c.file).c_str());
    }
}

}  // namespace
