// The experiments' description texts: read and rewritten in a body with every other field
// left byte for byte, refused for a body too short at any field; all texts exported to one
// file and read back, names and texts by order, an empty text kept empty, a file short of
// blocks refused with nothing changed, and a UTF-16 file making the lab wide.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "game/app/ScriptKey.h"
#include "tests/game/flow/LabFixture.h"

namespace {

constexpr char kTextsFile[] = "texts.txt";
constexpr char kReplaced[] = "successfully replaced";
constexpr char kReplaceError[] = "error while replacing";

class ExperimentTextsTest : public LabTest {
protected:
    std::string Texts() const { return ReadText(m_root.File(kTextsFile)); }
    void WriteTexts(const std::string& text) const { WriteText(m_root.File(kTextsFile), text); }
    // The saved editor's lab, read back.
    void LoadSaved(CWorldContent* saved) const {
        SetLabPlace(saved);
        char header[RODAGame::kHeaderSize];
        ASSERT_GT(saved->Load("sandbox", header, sizeof header, kScriptKey), 0);
    }
};

// Windows-1252 text as UTF-16 with its byte-order mark, by the C library's converter.
std::string Utf16Of(const std::string& text) {
    iconv_t converter = iconv_open("UTF-16", "WINDOWS-1252");
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
    std::string in = text;
    std::string out(4 * text.size() + 16, '\0');
    char* inPos = in.data();
    size_t inLeft = in.size();
    char* outPos = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(converter, &inPos, &inLeft, &outPos, &outLeft), static_cast<size_t>(-1));
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

TEST_F(ExperimentTextsTest, TextsGoOutWithCrLfAndComeBackEachWithTheLineBreakBeforeItsBrace) {
    FillLab({{"Lever", BodyParts(u"Lift it\r\nslowly", 30)}, {"Mein Versuch", BodyParts(u"Tip it", 45)}});
    const std::string expected =
        "001: NAME Lever\r\n{\r\nLift it\r\nslowly\r\n}\r\n\r\n"
        "002: NAME Mein Versuch\r\n{\r\nTip it\r\n}\r\n\r\n";
    EXPECT_EQ(Controller().ExportExperimentTexts(kTextsFile), static_cast<int>(expected.size()));
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(Messages(), (std::vector<std::string>{std::to_string(expected.size()) + " text chars written"}));
    EXPECT_EQ(Controller().m_nScore, 45);

    EXPECT_EQ(Controller().ReplaceExperimentTexts(kTextsFile), 1);
    EXPECT_EQ(LastMessage(), kReplaced);
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Lever", "Mein Versuch"}));
    EXPECT_EQ(DataOf(Lab().GetRecord(0)), BuildExperimentBody(BodyParts(u"Lift it\r\nslowly\r\n", 30)).bytes);
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(1)), "Tip it\r\n");
    CWorldContent saved;
    LoadSaved(&saved);
    EXPECT_EQ(DataOf(saved.GetRecord(0)), DataOf(Lab().GetRecord(0)));
}

TEST_F(ExperimentTextsTest, AnEditedFileRenamesAndRewritesByOrderAndEmptyTextsStayEmpty) {
    FillLab({{"Lever", BodyParts(u"")}, {"Seesaw", BodyParts(u"Tip it")}, {"Pulley", BodyParts(u"")}});
    ASSERT_GT(Controller().ExportExperimentTexts(kTextsFile), 0);
    EXPECT_EQ(Texts().substr(0, 30), "001: NAME Lever\r\n{\r\n\r\n}\r\n\r\n002");
    ASSERT_EQ(Controller().ReplaceExperimentTexts(kTextsFile), 1);
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(0)), "");
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(1)), "Tip it\r\n");
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(2)), "");

    const std::string longName(100, 'n');
    WriteTexts("// notes\r\n1 NAME  Hebel mit Gewicht\r\n{\r\n  Heb es\r\n  an }\r\n"
               "2 NAME " + longName + "\r\n{\r\n}\r\n"
               "3 NAME Rolle\r\n{ Zieh }\r\n");
    ASSERT_EQ(Controller().ReplaceExperimentTexts(kTextsFile), 1);
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Hebel mit Gewicht", longName.substr(0, 79), "Rolle"}));
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(0)), "Heb es\r\n  an ");
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(1)), "");
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(2)), "Zieh ");
}

TEST_F(ExperimentTextsTest, AFileShortOfBlocksChangesNothing) {
    FillLab({{"Lever", BodyParts(u"Lift it")}, {"Seesaw", BodyParts(u"Tip it")}});
    ASSERT_GT(Controller().SaveLab(), 0);
    const std::vector<unsigned char> file = LabBytes("sandbox");
    const std::vector<uint8_t> first = DataOf(Lab().GetRecord(0));
    for (const char* texts : {"001: NAME Hebel\r\n{\r\nHeb es\r\n}\r\n",
                              "001: NAME Hebel\r\n{\r\nHeb es\r\n}\r\n002: NAME",
                              "001: NAME Hebel\r\n{\r\nHeb es\r\n}\r\n002: NAME Wippe\r\n{\r\nKipp es\r\n"}) {
        WriteTexts(texts);
        EXPECT_EQ(Controller().ReplaceExperimentTexts(kTextsFile), 0) << texts;
        EXPECT_EQ(LastMessage(), kReplaceError);
        EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Lever", "Seesaw"}));
        EXPECT_EQ(DataOf(Lab().GetRecord(0)), first);
        EXPECT_EQ(LabBytes("sandbox"), file);
    }
}

TEST_F(ExperimentTextsTest, ABodyThatDoesNotHoldItsFieldsStopsTheReplacementBeforeAnyChange) {
    FillLab({{"Lever", BodyParts(u"Lift it")}});
    const char broken[] = {1, 0, 0};
    Lab().AddRecord("Broken")->Append(broken, sizeof broken);
    WriteTexts("1 NAME A\r\n{\r\nx\r\n}\r\n2 NAME B\r\n{\r\ny\r\n}\r\n");
    EXPECT_EQ(Controller().ReplaceExperimentTexts(kTextsFile), 0);
    EXPECT_EQ(LastMessage(), kReplaceError);
    EXPECT_EQ(NamesOf(Lab()), (std::vector<std::string>{"Lever", "Broken"}));
}

TEST_F(ExperimentTextsTest, AnEmptyFileReplacesNothingButTheLabIsSaved) {
    FillLab({{"Lever", BodyParts(u"Lift it")}});
    WriteTexts("");
    EXPECT_EQ(Controller().ReplaceExperimentTexts(kTextsFile), 1);
    EXPECT_EQ(LastMessage(), kReplaced);
    EXPECT_EQ(DescriptionOf(Lab().GetRecord(0)), "Lift it");
    EXPECT_TRUE(FileExists(LabPath("sandbox")));
    // An unopenable texts file writes nothing and says nothing.
    EXPECT_EQ(Controller().ExportExperimentTexts("missing/texts.txt"), 0);
    EXPECT_EQ(LastMessage(), kReplaced);
}

TEST_F(ExperimentTextsTest, AUtf16FileMakesTheLabWideAndItSavesAndLoadsSo) {
    FillLab({{"Lever", BodyParts(u"Lift it", 12)}});
    const std::string utf16 = Utf16Of("001: NAME Gr\xFC\xDF" "e\r\n{\r\nHei\xDF\r\n}\r\n");
    ASSERT_EQ(utf16.substr(0, 2), "\xFF\xFE");
    WriteTexts(utf16);
    ASSERT_EQ(Controller().ReplaceExperimentTexts(kTextsFile), 1);
    EXPECT_EQ(Lab().m_bWide, 1);
    const CWorldContentRecord* record = Lab().GetRecord(0);
    EXPECT_EQ(record->m_bWide, 1);
    EXPECT_STREQ(record->m_szName, "Gr\xFC\xDF" "e");
    EXPECT_EQ(DataOf(record), BuildExperimentBody(BodyParts(u"Hei\u00DF\r\n", 12, true)).bytes);

    CWorldContent saved;
    LoadSaved(&saved);
    EXPECT_EQ(saved.m_bWide, 1);
    EXPECT_EQ(NamesOf(saved), NamesOf(Lab()));
    EXPECT_EQ(saved.GetRecord(0)->m_bWide, 1);
    EXPECT_EQ(DataOf(saved.GetRecord(0)), DataOf(record));
}

class TextRewrite : public ExperimentTextsTest, public ::testing::WithParamInterface<WidthCase> {};

// Blocks 1 and 2, the time and the gravity (a value above 2 included) stay byte for byte.
TEST_P(TextRewrite, LeavesEveryOtherFieldAsItWas) {
    const WidthCase& param = GetParam();
    ExperimentBodyParts parts = BodyParts(u"Lift \u00E4t", 1234, param.fromWide);
    parts.gravity = 7;
    FillLab({{"Lever", parts}});
    CWorldContentRecord* record = Lab().GetRecord(0);
    record->m_bWide = param.fromWide ? 1 : 0;

    char text[RODAGame::kExperimentTextSize];
    EXPECT_EQ(Controller().ReadExperimentText(record, text), 1);
    EXPECT_STREQ(text, "Lift \xE4t");
    EXPECT_EQ(Controller().m_nScore, 1234);

    EXPECT_EQ(Controller().WriteExperimentText(record, "Neu \xFC", 5, param.fromWide, param.toWide), 1);
    parts.description = u"Neu \u00FC";
    parts.wide = param.toWide;
    EXPECT_EQ(DataOf(record), BuildExperimentBody(parts).bytes);
}

INSTANTIATE_TEST_SUITE_P(Widths, TextRewrite, ::testing::ValuesIn(kWidthCases));

TEST_F(ExperimentTextsTest, TheTextIsCutToTheBuffer) {
    FillLab({{"Long", BodyParts(std::u16string(6000, u'a'))}});
    std::vector<char> text(RODAGame::kExperimentTextSize, 'x');
    EXPECT_EQ(Controller().ReadExperimentText(Lab().GetRecord(0), text.data()), 1);
    EXPECT_EQ(strlen(text.data()), static_cast<size_t>(RODAGame::kExperimentTextSize - 1));
    char small[4];
    EXPECT_EQ(Controller().ReadExperimentText(Lab().GetRecord(0), small, sizeof small), 1);
    EXPECT_STREQ(small, "aaa");
}

std::string FieldName(const ::testing::TestParamInfo<ExperimentBodyField>& info) {
    const char* const names[kExperimentBodyFieldCount] = {"ScriptSize",        "Script",      "LinkSize", "Links",
                                                          "DescriptionLength", "Description", "Time",     "Gravity"};
    return names[static_cast<int>(info.param)];
}

class ShortBody : public ExperimentTextsTest, public ::testing::WithParamInterface<ExperimentBodyField> {};

// Cut where the field begins and one byte into it.
TEST_P(ShortBody, GivesNoTextKeepsTheScoreAndIsNotRewritten) {
    const ExperimentBodyBytes body = BuildExperimentBody(BodyParts(u"Lift it", 30));
    for (const size_t cut : {body.Offset(GetParam()), body.Offset(GetParam()) + 1}) {
        Lab().Clear();
        CWorldContentRecord* record = Lab().AddRecord("Short");
        record->Append(body.bytes.data(), static_cast<uint32_t>(cut));
        const std::vector<uint8_t> before = DataOf(record);
        Controller().m_nScore = 99;
        char text[RODAGame::kExperimentTextSize] = "old";
        EXPECT_EQ(Controller().ReadExperimentText(record, text), 0) << cut;
        EXPECT_STREQ(text, "");
        EXPECT_EQ(Controller().m_nScore, 99);
        EXPECT_EQ(Controller().WriteExperimentText(record, "New", 3, 0, 0), 0) << cut;
        EXPECT_EQ(DataOf(record), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, ShortBody,
                         ::testing::Values(ExperimentBodyField::kScriptSize, ExperimentBodyField::kScript,
                                           ExperimentBodyField::kLinkSize, ExperimentBodyField::kLinks,
                                           ExperimentBodyField::kDescLength, ExperimentBodyField::kDescription,
                                           ExperimentBodyField::kTime, ExperimentBodyField::kGravity),
                         FieldName);

struct ParseCase {
    const char* text;
    int found;
    const char* name;
    const char* blockText;
};

// The case's text without its line ends, which a test name cannot hold.
void PrintTo(const ParseCase& c, std::ostream* out) {
    std::string text = c.text;
    for (char& ch : text) {
        if (ch == '\r' || ch == '\n')
            ch = '|';
    }
    *out << '"' << text << '"';
}

class TextsParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TextsParse, FindsOneBlockOrRefusesIt) {
    const ParseCase& param = GetParam();
    RODAGame::ExperimentTextBlock block{};
    const char* end = param.text + strlen(param.text);
    ASSERT_EQ(RODAGame::ParseExperimentTexts(param.text, end, 1, &block), param.found) << param.text;
    if (!param.found)
        return;
    EXPECT_STREQ(block.szName, param.name);
    EXPECT_EQ(std::string(block.pText, static_cast<size_t>(block.nTextLength)), param.blockText);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, TextsParse,
    ::testing::Values(ParseCase{"1 NAME A b\r\n{\r\nx y\r\n}\r\n", 1, "A b", "x y\r\n"},
                      ParseCase{"1 NAME A\r\n{\r\n\r\n}\r\n", 1, "A", ""},
                      ParseCase{"1 NAME A\r\n{\r\n}", 0, "", ""},
                      ParseCase{"1 NAME A\r\n{\r\nx\r\n", 0, "", ""}, ParseCase{"1 NAME A", 0, "", ""},
                      ParseCase{"1 NAME\r\n", 0, "", ""}, ParseCase{"", 0, "", ""},
                      ParseCase{"no block\r\n", 0, "", ""}));

}  // namespace
