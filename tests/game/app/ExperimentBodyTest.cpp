#include "game/app/ExperimentBody.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/app/LZWCodec.h"

#include "bench/ObjectModelText.h"
#include "tests/support/ExperimentBodyBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Field = ExperimentBodyField;

constexpr uint32_t kEntry = CExperimentBody::kLinkEntryBytes;

const char kGearScript[] =
    "level\r\n{\r\n\tGEAR_SMALL\r\n\t{\r\n\t\tPOSREL 1, 2, 0\r\n\t\tID 1\r\n\t\t3DO axle\r\n\t\t{\r\n"
    "\t\t\tPOSREL 0, 0, 0.5\r\n\t\t\tID 0\r\n\t\t}\r\n\t}\r\n}\r\n";

std::string LargeScript() {
    const Bytes text = MakeObjectModelText(20000, 7);
    return std::string(text.begin(), text.end() - 1);  // without the zero the builder adds
}

std::vector<CExperimentLink> Links(uint32_t count) {
    std::vector<CExperimentLink> links;
    for (uint32_t i = 0; i < count; ++i)
        links.push_back({i, i % 3, i ^ 1, (i + 1) % 3, static_cast<float>(i) * 0.5f - 3.0f});
    return links;
}

struct BodyCase {
    const char* name;
    ExperimentBodyParts parts;
};

// Gravity constants as the level stores them; 7 stands for any value the writer maps to earth.
const std::vector<BodyCase>& BodyCases() {
    static const std::vector<BodyCase> cases = {
        {"narrow, one connection seen from both ends",
         {kGearScript, {{0, 1, 1, 0, 2.0f}, {1, 0, 0, 1, 2.0f}}, u"Bring the ball into the basket.", false, 120,
          CExperimentBody::kGravityEarth}},
        {"wide, characters of one and two bytes",
         {kGearScript, {{4, 2, 9, 0, 0.0f}}, u"F\u00fclle den Eimer \u2013 schnell!", true, 300,
          CExperimentBody::kGravityMoon}},
        {"narrow, bytes above 127", {kGearScript, {}, u"Gr\u00fc\u00dfe", false, 45, CExperimentBody::kGravityNone}},
        {"narrow, empty description, no links", {kGearScript, {}, u"", false, 0, CExperimentBody::kGravityNone}},
        {"wide, empty description, no links", {kGearScript, {}, u"", true, 0, CExperimentBody::kGravityEarth}},
        {"gravity above none as stored", {kGearScript, Links(1), u"x", false, 1, 7}},
        {"wide, large script and many links", {LargeScript(), Links(50), u"Long", true, 0xFFFFFFFFu, 0xFFFFFFFFu}},
    };
    return cases;
}

// A copy in a block of exactly its length, so that a read past the end is caught under the
// address sanitizer.
struct ExactCopy {
    explicit ExactCopy(const uint8_t* bytes, size_t size) : data(new uint8_t[size]), size(size) {
        if (size > 0)
            memcpy(data.get(), bytes, size);
    }
    explicit ExactCopy(const Bytes& bytes) : ExactCopy(bytes.data(), bytes.size()) {}

    std::unique_ptr<uint8_t[]> data;
    size_t size;
};

void PutU32(Bytes* bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

::testing::AssertionResult IsEmpty(const CExperimentBody& body) {
    if (body.GetScript() || body.GetScriptSize() || body.GetLinkEntries() || body.GetLinkSize() ||
        body.GetDescription() || body.GetDescLength() || body.IsWide() || body.GetTime() || body.GetGravity() ||
        body.GetDescriptionOffset() || body.GetRest() || body.GetRestSize())
        return ::testing::AssertionFailure() << "the view keeps fields of a refused body";
    return ::testing::AssertionSuccess();
}

// A view holding the fields of a good body, to see that a refusal clears them.
CExperimentBody FilledView() {
    static const ExperimentBodyBytes good = BuildExperimentBody(BodyCases()[0].parts);
    CExperimentBody body;
    EXPECT_EQ(body.Read(good.bytes.data(), good.bytes.size(), false), 1);
    return body;
}

::testing::AssertionResult Refused(const uint8_t* bytes, size_t size, bool wide) {
    const ExactCopy copy(bytes, size);
    CExperimentBody body = FilledView();
    if (body.Read(copy.data.get(), copy.size, wide) != 0)
        return ::testing::AssertionFailure() << "accepted " << size << " bytes";
    return IsEmpty(body);
}

::testing::AssertionResult Refused(const Bytes& bytes, bool wide) {
    return Refused(bytes.data(), bytes.size(), wide);
}

// The field a cut at this length falls into or behind.
const char* FieldAt(const ExperimentBodyBytes& body, size_t length) {
    static const char* const kNames[] = {"nScriptSize", "script", "nLinkSize", "link entries",
                                         "nDescLength", "description", "nTime", "nGravity"};
    int field = 0;
    while (field + 1 < kExperimentBodyFieldCount && body.fieldOffsets[field + 1] <= length)
        ++field;
    return kNames[field];
}

void ExpectFields(const CExperimentBody& body, const uint8_t* data, size_t size, const ExperimentBodyParts& parts) {
    const Bytes script = CompressObjectModelScript(parts.script);
    const size_t descBytes = (parts.description.size() + 1) * (parts.wide ? 2 : 1);
    const size_t fieldsSize = 4 + script.size() + 4 + parts.links.size() * kEntry + 4 + descBytes + 4 + 4;
    ASSERT_GE(size, fieldsSize);

    // Fields 1 and 2 from the body's start; the script expands to the text with its zero.
    ASSERT_EQ(body.GetScript(), data + 4);
    ASSERT_EQ(body.GetScriptSize(), script.size());
    std::string text = parts.script;
    text.push_back('\0');
    uint8_t* expanded = nullptr;
    const int expandedSize = CLZWCodec().Expand(&expanded, body.GetScript(), static_cast<int>(body.GetScriptSize()));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(expanded), static_cast<size_t>(expandedSize)), text);
    free(expanded);
    expanded = nullptr;
    EXPECT_EQ(body.ExpandScript(&expanded), static_cast<int>(text.size()));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(expanded), text.size()), text);
    free(expanded);

    // Fields 3 and 4.
    ASSERT_EQ(body.GetLinkEntries(), data + 4 + script.size() + 4);
    EXPECT_EQ(body.GetLinkSize(), parts.links.size() * kEntry);
    ASSERT_EQ(body.GetLinkCount(), parts.links.size());
    for (uint32_t i = 0; i < body.GetLinkCount(); ++i) {
        CExperimentLink link{};
        ASSERT_EQ(body.GetLink(i, &link), 1);
        EXPECT_EQ(link.m_nObjectID, parts.links[i].m_nObjectID) << "entry " << i;
        EXPECT_EQ(link.m_nPoint, parts.links[i].m_nPoint) << "entry " << i;
        EXPECT_EQ(link.m_nPartnerObjectID, parts.links[i].m_nPartnerObjectID) << "entry " << i;
        EXPECT_EQ(link.m_nPartnerPoint, parts.links[i].m_nPartnerPoint) << "entry " << i;
        EXPECT_EQ(link.m_fValue, parts.links[i].m_fValue) << "entry " << i;
    }
    CExperimentLink untouched{1, 2, 3, 4, 5.0f};
    EXPECT_EQ(body.GetLink(body.GetLinkCount(), &untouched), 0);
    EXPECT_EQ(untouched.m_nObjectID, 1u);

    // Fields 5 and 6: every character, its zero, and nothing past the end.
    const size_t descOffset = 4 + script.size() + 4 + parts.links.size() * kEntry;
    EXPECT_EQ(body.GetDescriptionOffset(), descOffset);
    ASSERT_EQ(body.GetDescription(), data + descOffset + 4);
    EXPECT_EQ(body.IsWide(), parts.wide);
    ASSERT_EQ(body.GetDescLength(), parts.description.size() + 1);
    EXPECT_EQ(body.GetDescriptionBytes(), descBytes);
    for (size_t i = 0; i < parts.description.size(); ++i) {
        const uint16_t expected = parts.wide ? parts.description[i] : parts.description[i] & 0xFF;
        EXPECT_EQ(body.GetDescriptionChar(static_cast<uint32_t>(i)), expected) << "character " << i;
        EXPECT_EQ(body.GetDescription()[parts.wide ? 2 * i : i], expected & 0xFF) << "character " << i;
    }
    for (size_t i = descBytes - (parts.wide ? 2 : 1); i < descBytes; ++i)
        EXPECT_EQ(body.GetDescription()[i], 0) << "the terminating zero";
    EXPECT_EQ(body.GetDescriptionChar(body.GetDescLength()), 0);

    // Fields 7 and 8 as stored, and whatever follows.
    EXPECT_EQ(body.GetTime(), parts.time);
    EXPECT_EQ(body.GetGravity(), parts.gravity);
    EXPECT_EQ(body.GetRest(), data + fieldsSize);
    EXPECT_EQ(body.GetRestSize(), size - fieldsSize);
}

TEST(ExperimentBodyTest, FindsEveryFieldOfBuiltBodies) {
    for (const BodyCase& test : BodyCases()) {
        SCOPED_TRACE(test.name);
        const ExperimentBodyBytes built = BuildExperimentBody(test.parts);
        const ExactCopy copy(built.bytes);
        CExperimentBody body;
        ASSERT_EQ(body.Read(copy.data.get(), copy.size, test.parts.wide), 1);
        ExpectFields(body, copy.data.get(), copy.size, test.parts);

        // Integers are read byte by byte: a body at an odd address reads the same.
        Bytes shifted(built.bytes.size() + 1);
        memcpy(shifted.data() + 1, built.bytes.data(), built.bytes.size());
        ASSERT_EQ(body.Read(shifted.data() + 1, built.bytes.size(), test.parts.wide), 1);
        ExpectFields(body, shifted.data() + 1, built.bytes.size(), test.parts);
    }
}

// Bytes behind the gravity are kept apart, for a rewrite to carry over.
TEST(ExperimentBodyTest, ReportsBytesBehindTheGravity) {
    const BodyCase& test = BodyCases()[1];
    for (const size_t extra : {size_t{1}, size_t{3}, size_t{4}, size_t{100}}) {
        SCOPED_TRACE(extra);
        ExperimentBodyBytes built = BuildExperimentBody(test.parts);
        const size_t fieldsSize = built.bytes.size();
        for (size_t i = 0; i < extra; ++i)
            built.bytes.push_back(static_cast<uint8_t>(0xA0 + i));
        const ExactCopy copy(built.bytes);
        CExperimentBody body;
        ASSERT_EQ(body.Read(copy.data.get(), copy.size, test.parts.wide), 1);
        ExpectFields(body, copy.data.get(), copy.size, test.parts);
        ASSERT_EQ(body.GetRestSize(), extra);
        EXPECT_EQ(memcmp(body.GetRest(), built.bytes.data() + fieldsSize, extra), 0);
    }
}

// Every shorter length, at each field boundary and inside every field, on an exact copy.
TEST(ExperimentBodyTest, RefusesABodyCutAnywhere) {
    for (const BodyCase& test : BodyCases()) {
        SCOPED_TRACE(test.name);
        const ExperimentBodyBytes built = BuildExperimentBody(test.parts);
        for (size_t length = 0; length < built.bytes.size(); ++length)
            EXPECT_TRUE(Refused(built.bytes.data(), length, test.parts.wide))
                << "cut at " << length << " in " << FieldAt(built, length);
    }
    EXPECT_TRUE(Refused(nullptr, 0, false));
    CExperimentBody body = FilledView();
    EXPECT_EQ(body.Read(nullptr, CExperimentBody::kSmallestBody, false), 0);
    EXPECT_TRUE(IsEmpty(body));
}

// Each size field set past the end of the data, by one unit up to 4 GB; the link values are
// multiples of 20 where they can be, so that the size alone refuses them.
TEST(ExperimentBodyTest, RefusesSizesPastTheEnd) {
    struct SizeRow {
        const char* name;
        Field field;
        uint32_t value;  // 0: one unit past the end, worked out from the body
    };
    const SizeRow rows[] = {
        {"script one byte past the end", Field::kScriptSize, 0},
        {"script 2 GB - 1", Field::kScriptSize, 0x7FFFFFFFu},
        {"script 2 GB", Field::kScriptSize, 0x80000000u},
        {"script 4 GB - 16", Field::kScriptSize, 0xFFFFFFF0u},
        {"script 4 GB - 1", Field::kScriptSize, 0xFFFFFFFFu},
        {"links one entry past the end", Field::kLinkSize, 0},
        {"links just below 2 GB", Field::kLinkSize, 0x7FFFFFF8u},
        {"links just above 2 GB", Field::kLinkSize, 0x8000000Cu},
        {"links 4 GB - 16", Field::kLinkSize, 0xFFFFFFF0u},
        {"links 4 GB - 1", Field::kLinkSize, 0xFFFFFFFFu},
        {"description one character past the end", Field::kDescLength, 0},
        {"description 2 G characters - 1", Field::kDescLength, 0x7FFFFFFFu},
        {"description 2 G characters: twice is 0 in 32 bits", Field::kDescLength, 0x80000000u},
        {"description 2 G + 1 characters: twice is 2 in 32 bits", Field::kDescLength, 0x80000001u},
        {"description 4 G - 1 characters", Field::kDescLength, 0xFFFFFFFFu},
    };
    for (const bool wide : {false, true}) {
        ExperimentBodyParts parts = BodyCases()[0].parts;
        parts.wide = wide;
        const ExperimentBodyBytes built = BuildExperimentBody(parts);
        for (const SizeRow& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (wide ? ", wide" : ", narrow"));
            const size_t offset = built.Offset(row.field);
            const size_t left = built.bytes.size() - offset - 4;
            uint32_t value = row.value;
            if (value == 0) {
                if (row.field == Field::kLinkSize)
                    value = static_cast<uint32_t>((left / kEntry + 1) * kEntry);
                else if (row.field == Field::kDescLength && wide)
                    value = static_cast<uint32_t>(left / 2 + 1);
                else
                    value = static_cast<uint32_t>(left + 1);
            }
            Bytes bytes = built.bytes;
            PutU32(&bytes, offset, value);
            EXPECT_TRUE(Refused(bytes, wide));
        }
    }
}

// The link field really holding the bytes its size gives: only whole entries are accepted.
TEST(ExperimentBodyTest, RefusesALinkSizeThatIsNoMultipleOfTheEntry) {
    struct LinkRow {
        uint32_t size;
        bool accepted;
    };
    const LinkRow rows[] = {{0, true},   {1, false},  {19, false}, {20, true},  {21, false},
                            {39, false}, {40, true},  {41, false}, {59, false}, {60, true}};
    const ExperimentBodyParts parts = BodyCases()[0].parts;  // two entries
    const ExperimentBodyBytes built = BuildExperimentBody(parts);
    const size_t linksAt = built.Offset(Field::kLinks);
    const size_t linkSize = built.Offset(Field::kDescLength) - linksAt;
    for (const LinkRow& row : rows) {
        SCOPED_TRACE(row.size);
        Bytes bytes(built.bytes.begin(), built.bytes.begin() + static_cast<std::ptrdiff_t>(linksAt));
        for (uint32_t i = 0; i < row.size; ++i)
            bytes.push_back(i < linkSize ? built.bytes[linksAt + i] : static_cast<uint8_t>(i));
        bytes.insert(bytes.end(), built.bytes.begin() + static_cast<std::ptrdiff_t>(linksAt + linkSize),
                     built.bytes.end());
        PutU32(&bytes, built.Offset(Field::kLinkSize), row.size);

        if (!row.accepted) {
            EXPECT_TRUE(Refused(bytes, false));
            continue;
        }
        const ExactCopy copy(bytes);
        CExperimentBody body;
        ASSERT_EQ(body.Read(copy.data.get(), copy.size, false), 1);
        EXPECT_EQ(body.GetLinkCount(), row.size / kEntry);
        EXPECT_EQ(body.GetDescLength(), parts.description.size() + 1);
        EXPECT_EQ(body.GetTime(), parts.time);
        EXPECT_EQ(body.GetRestSize(), 0u);
    }
}

// A description of no characters fits its data: the walk takes it, and a reader of the text
// terminates its copy itself.
TEST(ExperimentBodyTest, AcceptsADescriptionWithoutCharacters) {
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide" : "narrow");
        ExperimentBodyParts parts = BodyCases()[3].parts;
        parts.wide = wide;
        const ExperimentBodyBytes built = BuildExperimentBody(parts);
        Bytes bytes = built.bytes;
        const auto zeroAt = bytes.begin() + static_cast<std::ptrdiff_t>(built.Offset(Field::kDescription));
        bytes.erase(zeroAt, zeroAt + (wide ? 2 : 1));
        PutU32(&bytes, built.Offset(Field::kDescLength), 0);

        const ExactCopy copy(bytes);
        CExperimentBody body;
        ASSERT_EQ(body.Read(copy.data.get(), copy.size, wide), 1);
        EXPECT_EQ(body.GetDescLength(), 0u);
        EXPECT_EQ(body.GetDescriptionBytes(), 0u);
        EXPECT_EQ(body.GetDescriptionChar(0), 0);
        EXPECT_EQ(body.GetTime(), parts.time);
        EXPECT_EQ(body.GetGravity(), parts.gravity);
        EXPECT_EQ(body.GetRestSize(), 0u);
    }
}

}  // namespace
