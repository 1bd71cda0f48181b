#include "game/app/WorldContent.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "game/app/ScriptKey.h"
#include "game/app/WorldContentRecord.h"

#include "tests/game/app/LabFixture.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/TempDir.h"

namespace {

constexpr size_t kKey = kScriptKeyLength;
constexpr size_t kMarkBytes = 2;
constexpr size_t kU32 = 4;
constexpr size_t kTypeBytes = 1;
// Count, title, best score, header and extra value, each with its key.
constexpr size_t kLabFieldsBytes =
    kU32 + CWorldContent::kTitleSize + kU32 + sizeof(CLabHeader) + kU32 + 5 * kKey;

struct WidthCase {
    const char* name;
    bool wide;
};
const WidthCase kWidths[] = {{"narrow", false}, {"wide", true}};

// Records of 0, 1 and 100,000 bytes; names of the longest length and with bytes above 127.
LabContent ThreeRecords(bool wide) {
    LabContent content;
    content.wide = wide;
    content.title = "Labor f\xFCr Kugeln";
    content.bestScore = 48213;
    content.extraValue = 0xFEEDF00Du;
    content.header = FilledHeader();
    content.records = {{1, "Leer", {}},
                       {0, "Gr\xFC\xDF"
                           "e",
                        {0x5A}},
                       {1, std::string(CWorldContentRecord::kNameSize - 1, 'N'), RandomBytes(100000, 7)}};
    return content;
}

size_t RecordFileBytes(const LabRecord& record, bool wide) {
    const size_t nameBytes = wide ? CWorldContentRecord::kWideNameBytes : CWorldContentRecord::kNameSize;
    return kTypeBytes + kU32 + nameBytes + record.data.size() + 4 * kKey;
}

// One letter a record, as the names of the records in list order.
void AddNamed(CWorldContent* lab, const std::string& letters) {
    for (char letter : letters)
        lab->AddRecord(std::string(1, letter).c_str());
}

std::string Order(const CWorldContent& lab) {
    std::string order;
    for (const std::string& name : NamesOf(lab))
        order += name;
    return order;
}

void ExpectRecordsEqual(const std::vector<LabRecord>& actual, const std::vector<LabRecord>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(actual[i].type, expected[i].type);
        EXPECT_EQ(actual[i].name, expected[i].name);
        EXPECT_EQ(actual[i].data.size(), expected[i].data.size());
        EXPECT_TRUE(actual[i].data == expected[i].data);
    }
}

class LabTest : public ::testing::Test {
protected:
    LabTest() { Configure(&lab); }

    void Configure(CWorldContent* content) const {
        content->SetDirectory((dir.Path() + "/").c_str());
        content->SetSuffix(".zql");
    }
    int Save(CWorldContent* content, const char* name) {
        return content->Save(name, &header, sizeof header, kScriptKey);
    }
    int Load(CWorldContent* content, const char* name) {
        return content->Load(name, &header, sizeof header, kScriptKey);
    }

    TempDir dir;
    CLabHeader header = FilledHeader();
    CWorldContent lab;
};

TEST_F(LabTest, SavedLabLoadsWithEveryFieldKept) {
    for (const WidthCase& width : kWidths) {
        SCOPED_TRACE(width.name);
        const LabContent content = ThreeRecords(width.wide);
        CWorldContent saved;
        Configure(&saved);
        FillLab(&saved, content);
        const int written = saved.Save("Round Trip", &content.header, sizeof content.header, kScriptKey);

        size_t fieldBytes = kLabFieldsBytes;
        for (const LabRecord& record : content.records)
            fieldBytes += RecordFileBytes(record, width.wide);
        const Bytes file = ReadBytes(dir.File("Round Trip.zql"));
        EXPECT_EQ(written, static_cast<int>(fieldBytes));
        ASSERT_EQ(file.size(), (width.wide ? kMarkBytes : 0) + fieldBytes);
        EXPECT_EQ(file[0] == 0xFE && file[1] == 0xFF, width.wide);

        CWorldContent loaded;
        Configure(&loaded);
        loaded.m_bWide = width.wide ? 0 : 1;
        CLabHeader headerRead;
        memset(&headerRead, 0x55, sizeof headerRead);
        EXPECT_EQ(loaded.Load("Round Trip", &headerRead, sizeof headerRead, kScriptKey), written);
        EXPECT_EQ(loaded.m_bWide, width.wide ? 1 : 0);
        EXPECT_EQ(std::string(loaded.m_szTitle), content.title);
        EXPECT_EQ(loaded.m_nBestScore, content.bestScore);
        EXPECT_EQ(loaded.m_nExtraValue, content.extraValue);
        EXPECT_EQ(memcmp(&headerRead, &content.header, sizeof headerRead), 0);
        ExpectRecordsEqual(RecordsOf(loaded), content.records);
        for (int i = 0; i < loaded.GetCount(); ++i)
            EXPECT_EQ(loaded.GetRecord(i)->m_bWide, width.wide ? 1 : 0);
        EXPECT_EQ(loaded.m_pCurrent, nullptr);
    }
}

// Laid out by the fixture with the cipher's Transform, field by field; the wide name's units
// are its bytes zero-extended.
TEST_F(LabTest, LabFileHoldsEachFieldEncipheredOnItsOwn) {
    for (const WidthCase& width : kWidths) {
        SCOPED_TRACE(width.name);
        LabContent content;
        content.wide = width.wide;
        content.title = "Golden";
        content.bestScore = 7;
        content.extraValue = 9;
        content.header = header;
        content.records = {{1, "Gr\xFC\xDF"
                               "e Kiste",
                            {1, 2, 3}}};
        CWorldContent saved;
        Configure(&saved);
        FillLab(&saved, content);
        ASSERT_GT(Save(&saved, "Golden"), 0);
        EXPECT_EQ(ReadBytes(dir.File("Golden.zql")), LabFileOf(content).Joined());
    }
}

TEST_F(LabTest, ExportHoldsTheShortNameAndImportMarksTheExportingWidth) {
    for (const WidthCase& width : kWidths) {
        SCOPED_TRACE(width.name);
        const LabRecord source = {1, std::string(CWorldContentRecord::kNameSize - 2, 'E') + "\xE9",
                                  RandomBytes(1000, 3)};
        CWorldContent exporter;
        FillLab(&exporter, {width.wide, "", 0, 0, header, {source}});
        CWorldContentRecord* record = exporter.GetRecord(0);
        const std::string path = dir.File(std::string(width.name) + ".zqe");
        const int written = exporter.ExportRecord(path.c_str(), record, &header, sizeof header, kScriptKey);

        EXPECT_EQ(record->m_bWide, width.wide ? 1 : 0);
        const Bytes file = ReadBytes(path);
        EXPECT_EQ(file, ExportFileOf(header, source, width.wide).Joined());
        EXPECT_EQ(written, static_cast<int>(file.size() - (width.wide ? kMarkBytes : 0)));

        // Imported into a lab of the other width: the mark, not the lab, sets the flag.
        CWorldContent importer;
        importer.m_bWide = width.wide ? 0 : 1;
        CWorldContentRecord* imported = nullptr;
        CLabHeader headerRead;
        EXPECT_EQ(importer.ImportRecord(path.c_str(), &imported, &headerRead, sizeof headerRead, kScriptKey, 0),
                  written);
        ASSERT_NE(imported, nullptr);
        EXPECT_EQ(importer.IndexOf(imported), 0);
        EXPECT_EQ(imported->m_bWide, width.wide ? 1 : 0);
        EXPECT_EQ(memcmp(&headerRead, &header, sizeof header), 0);
        ExpectRecordsEqual(RecordsOf(importer), {source});
    }
}

TEST_F(LabTest, MoveRecordSwapsWithItsNeighbour) {
    struct MoveCase {
        const char* name;
        int index;  // -1: a record of no list
        int down;
        int result;
        const char* order;
    };
    const MoveCase cases[] = {
        {"last down stays", 2, 1, 1, "ABC"}, {"first up stays", 0, 0, 0, "ABC"}, {"first down", 0, 1, 1, "BAC"},
        {"last up", 2, 0, 1, "ACB"},         {"middle up", 1, 0, 1, "BAC"},      {"not listed", -1, 1, 0, "ABC"},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.name);
        CWorldContent content;
        AddNamed(&content, "ABC");
        CWorldContentRecord stranger(&content.m_Cipher);
        CWorldContentRecord* record = c.index < 0 ? &stranger : content.GetRecord(c.index);
        EXPECT_EQ(content.MoveRecord(record, c.down), c.result);
        EXPECT_EQ(Order(content), c.order);
    }
}

TEST_F(LabTest, ReplaceRecordPutsTheReplacementInTheOldPlace) {
    struct ReplaceCase {
        const char* name;
        int old;          // index, or -1 for a record of no list
        int replacement;  // index, or -1 for a new record named X
        int result;
        const char* order;
        bool oldDeleted;
    };
    const ReplaceCase cases[] = {
        {"a listed replacement leaves its own place", 1, 3, 1, "ADC", true},
        {"a new replacement", 1, -1, 1, "AXCD", true},
        {"itself changes nothing", 1, 1, 1, "ABCD", false},
        {"an old record of no list", -1, -1, 0, "ABCD", false},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        CWorldContent content;
        AddNamed(&content, "ABCD");
        CWorldContentRecord* current = content.GetRecord(1);
        content.m_pCurrent = current;
        CWorldContentRecord* old = c.old < 0 ? new CWorldContentRecord(&content.m_Cipher) : content.GetRecord(c.old);
        CWorldContentRecord* replacement = content.GetRecord(c.replacement);
        if (c.replacement < 0) {
            replacement = new CWorldContentRecord(&content.m_Cipher);
            replacement->SetName("X");
        }
        EXPECT_EQ(content.ReplaceRecord(old, replacement), c.result);
        EXPECT_EQ(Order(content), c.order);
        EXPECT_EQ(content.m_pCurrent, c.oldDeleted ? nullptr : current);
        if (c.result == 0) {
            delete old;
            delete replacement;
        }
    }
}

// The record is listed twice; the sanitizer sees a second delete.
TEST_F(LabTest, DeleteRecordDeletesOnceAndClearsTheCurrentRecord) {
    AddNamed(&lab, "ABC");
    CWorldContentRecord* held = lab.GetRecord(1);
    lab.m_Records.Append(held);
    lab.m_pCurrent = held;
    lab.DeleteRecord(held);
    EXPECT_EQ(Order(lab), "AC");
    EXPECT_EQ(lab.m_pCurrent, nullptr);

    CWorldContentRecord* last = lab.GetRecord(1);
    lab.m_pCurrent = last;
    lab.DeleteRecord(lab.GetRecord(0));
    CWorldContentRecord stranger(&lab.m_Cipher);
    lab.DeleteRecord(&stranger);
    EXPECT_EQ(Order(lab), "C");
    EXPECT_EQ(lab.m_pCurrent, last);

    // Held twice again when the lab is cleared.
    lab.m_Records.Append(last);
    lab.Clear();
    EXPECT_EQ(lab.GetCount(), 0);
}

TEST_F(LabTest, RecordBeforeFirstOpenOne) {
    struct OpenCase {
        const char* name;
        std::vector<uint32_t> types;
        int expected;  // index, -1 for none
    };
    const OpenCase cases[] = {
        {"no records", {}, -1},
        {"none open", {1, 1}, -1},
        {"the first open", {0, 1, 0}, -1},
        {"open after two passed", {1, 1, 0, 1, 0}, 1},
        {"the last open", {1, 0}, 0},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        CWorldContent content;
        for (uint32_t type : c.types)
            content.AddRecord("R")->SetType(type);
        EXPECT_EQ(content.GetRecordBeforeFirstOpen(), content.GetRecord(c.expected));
    }
}

TEST_F(LabTest, ImportWithReplaceTakesThePlaceOfTheSameName) {
    struct ImportCase {
        const char* name;
        const char* exported;
        int replace;
        const char* order;
        int index;
    };
    const ImportCase cases[] = {
        {"the same name replaced in place", "B", 1, "ABC", 1},
        {"no same name appended", "D", 1, "ABCD", 3},
        {"without replace appended", "B", 0, "ABCB", 3},
    };
    for (const ImportCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LabRecord source = {1, c.exported, RandomBytes(40, 5)};
        CWorldContent exporter;
        FillLab(&exporter, {false, "", 0, 0, header, {source}});
        const std::string path = dir.File("import.zqe");
        ASSERT_GT(exporter.ExportRecord(path.c_str(), exporter.GetRecord(0), &header, sizeof header, kScriptKey), 0);

        CWorldContent content;
        AddNamed(&content, "ABC");
        content.m_pCurrent = content.GetRecord(1);
        CWorldContentRecord* imported = nullptr;
        CLabHeader headerRead;
        EXPECT_GT(content.ImportRecord(path.c_str(), &imported, &headerRead, sizeof headerRead, kScriptKey, c.replace),
                  0);
        EXPECT_EQ(Order(content), c.order);
        ASSERT_NE(imported, nullptr);
        EXPECT_EQ(content.IndexOf(imported), c.index);
        EXPECT_TRUE(RecordsOf(content)[c.index].data == source.data);
        EXPECT_EQ(content.m_pCurrent, imported);
    }
}

TEST_F(LabTest, MissingLabLeavesTheRecords) {
    AddNamed(&lab, "AB");
    CWorldContentRecord* current = lab.GetRecord(0);
    lab.m_pCurrent = current;
    EXPECT_EQ(Load(&lab, "Nirgends"), 0);
    EXPECT_EQ(Order(lab), "AB");
    EXPECT_EQ(lab.m_pCurrent, current);
}

TEST_F(LabTest, SoundDeviceSteppedOncePerRecord) {
    struct StepCase {
        const char* name;
        const char* records;  // the lab's before the operation
        std::function<void(CWorldContent*)> operation;
        int steps;
    };
    {
        CWorldContent source;
        Configure(&source);
        AddNamed(&source, "XYZ");
        ASSERT_GT(Save(&source, "Steps"), 0);
    }
    const StepCase cases[] = {
        {"save", "ABC", [this](CWorldContent* c) { Save(c, "Saved"); }, 3},
        {"load into an empty lab", "", [this](CWorldContent* c) { Load(c, "Steps"); }, 3},
        {"load over two records, freed first", "AB", [this](CWorldContent* c) { Load(c, "Steps"); }, 5},
        {"export", "ABC",
         [this](CWorldContent* c) {
             c->ExportRecord(dir.File("e.zqe").c_str(), c->GetRecord(1), &header, sizeof header, kScriptKey);
         },
         1},
        {"delete", "ABC", [](CWorldContent* c) { c->DeleteRecord(c->GetRecord(0)); }, 1},
        {"clear", "ABC", [](CWorldContent* c) { c->Clear(); }, 3},
        {"dump", "ABC", [this](CWorldContent* c) { c->DumpContents(dir.File("dump.txt").c_str()); }, 3},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        LabOwner owner;
        CWorldContent content(&owner);
        Configure(&content);
        AddNamed(&content, c.records);
        const int before = owner.sound->updates;
        c.operation(&content);
        EXPECT_EQ(owner.sound->updates - before, c.steps);
        content.Clear();
    }
}

TEST_F(LabTest, OwnerWithoutSoundDeviceStepsNothing) {
    LabOwner owner;
    delete owner.m_pSoundDevice;
    owner.m_pSoundDevice = nullptr;
    CWorldContent withoutDevice(&owner);
    Configure(&withoutDevice);
    AddNamed(&withoutDevice, "AB");
    EXPECT_GT(Save(&withoutDevice, "Silent"), 0);
    EXPECT_GT(Load(&withoutDevice, "Silent"), 0);
    withoutDevice.DeleteRecord(withoutDevice.GetRecord(0));
    EXPECT_EQ(Order(withoutDevice), "B");
}

TEST_F(LabTest, RecordReadToItsLastFieldIsSavedWhole) {
    CWorldContentRecord* record = lab.AddRecord("Cursor");
    const Bytes fields[] = {U32Bytes(10), RandomBytes(10, 9), U32Bytes(100)};
    Bytes whole;
    for (const Bytes& field : fields) {
        EXPECT_EQ(record->Append(field.data(), static_cast<uint32_t>(field.size())), field.size());
        whole.insert(whole.end(), field.begin(), field.end());
    }
    record->SetPosition(0);
    for (const Bytes& field : fields) {
        Bytes read(field.size());
        EXPECT_EQ(record->ReadBytes(read.data(), static_cast<uint32_t>(read.size())), 1);
        EXPECT_EQ(read, field);
    }
    uint8_t beyond = 0x77;
    EXPECT_EQ(record->ReadBytes(&beyond, 1), 0);
    EXPECT_EQ(beyond, 0x77);
    EXPECT_EQ(record->GetPosition(), whole.size());

    // Stopped before the last field, as a reader of the text alone does.
    record->SetPosition(static_cast<uint32_t>(whole.size() - kU32));
    ASSERT_GT(Save(&lab, "Cursor"), 0);
    CWorldContent loaded;
    Configure(&loaded);
    ASSERT_GT(Load(&loaded, "Cursor"), 0);
    ASSERT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetRecord(0)->GetSize(), whole.size());
    EXPECT_EQ(RecordsOf(loaded)[0].data, whole);
}

TEST_F(LabTest, LabNameInAnotherCaseIsFound) {
    AddNamed(&lab, "AB");
    ASSERT_GT(Save(&lab, "Mein Labor"), 0);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Mein Labor.zql"});

    CWorldContent loaded;
    Configure(&loaded);
    EXPECT_GT(Load(&loaded, "mein labor"), 0);
    EXPECT_EQ(Order(loaded), "AB");
    // Saved under another case, the same file is replaced.
    loaded.AddRecord("C");
    EXPECT_GT(Save(&loaded, "MEIN LABOR"), 0);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Mein Labor.zql"});
    EXPECT_GT(Load(&lab, "Mein Labor"), 0);
    EXPECT_EQ(Order(lab), "ABC");
}

TEST_F(LabTest, DumpListsTheRecordsNumberedFromOne) {
    const std::string path = dir.File("dump.txt");
    EXPECT_EQ(lab.DumpContents(path.c_str()), 1);
    EXPECT_EQ(ReadText(path), "*** World Content File\n\n");
    lab.AddRecord("Erste Kiste");
    lab.AddRecord("Zweite");
    EXPECT_EQ(lab.DumpContents(path.c_str()), 1);
    EXPECT_EQ(ReadText(path), "*** World Content File\n\n\n001: Erste Kiste\n002: Zweite");
}

}  // namespace
