// Value-script text rules, on text in memory: entry lines, block boundaries, the save splice.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/ValueScript.h"

namespace {

const std::string kHead = "# TOLP Software Value Script\r\n\r\n";

struct ParsedEntry {
    std::string key;
    std::string value;
    int quoted;
    float number;
};

std::vector<ParsedEntry> Entries(const CValueScript& script) {
    std::vector<ParsedEntry> entries;
    for (auto* node = script.m_pEntries->m_pHead; node; node = node->m_pNext) {
        const auto* entry = static_cast<const CValueScriptEntry*>(node->m_data);
        entries.push_back({entry->m_sKey.GetText(), entry->m_sValue.GetText(), entry->m_bQuoted,
                           entry->m_fNumber});
    }
    return entries;
}

std::vector<ParsedEntry> ParseBlockOf(const std::string& text, const char* name) {
    CValueScript script;
    script.m_sName = name;
    script.ParseBlock(text.c_str());
    return Entries(script);
}

TEST(ValueScriptText, EntryLinesTakeKeyAndFirstValue) {
    struct Case {
        const char* line;
        ParsedEntry expected;
    };
    const Case cases[] = {
        {"Width = 640", {"Width", "640", 0, 640.0f}},
        {"Width=640", {"Width", "640", 0, 640.0f}},
        {"Width 640", {"Width", "640", 0, 640.0f}},
        {"   \tWidth   =    640.0 and more words", {"Width", "640.0", 0, 640.0f}},
        {"= Width = 640", {"Width", "640", 0, 640.0f}},
        {"AppName = \"My Game\"", {"AppName", "My Game", 1, 0.0f}},
        {"AppName = My Game", {"AppName", "My", 0, 0.0f}},
        {"Scale = \"1.5\" trailing", {"Scale", "1.5", 1, 1.5f}},
        {"Empty = \"\"", {"Empty", "", 1, 0.0f}},
        {"Caption = \"[Menu]\"", {"Caption", "[Menu]", 1, 0.0f}},
        {"# note", {"#", "note", 0, 0.0f}},
        {"Speed = 12abc", {"Speed", "12abc", 0, 12.0f}},
    };
    for (const Case& c : cases) {
        const auto entries = ParseBlockOf(kHead + "[B]\r\n" + c.line + "\r\n", "B");
        ASSERT_EQ(entries.size(), 1u) << c.line;
        EXPECT_EQ(entries[0].key, c.expected.key) << c.line;
        EXPECT_EQ(entries[0].value, c.expected.value) << c.line;
        EXPECT_EQ(entries[0].quoted, c.expected.quoted) << c.line;
        EXPECT_FLOAT_EQ(entries[0].number, c.expected.number) << c.line;
    }
}

TEST(ValueScriptText, LinesWithoutKeyValueOrClosingQuoteAreSkipped) {
    for (const char* line : {"", "   ", "= = =", "Lonely", "Key =", "Open = \"no end", "\t\t"}) {
        EXPECT_TRUE(ParseBlockOf(kHead + "[B]\r\n" + line + "\r\nAfter = 1\r\n", "B").size() == 1)
            << '"' << line << '"';
    }
}

TEST(ValueScriptText, BlockEndsAtTheNextLineStartingWithABracket) {
    const std::string text = kHead +
                             "[Menu]\r\n"
                             "Caption = \"[Next]\"\r\n"
                             "Title = [Fake]\r\n"
                             "Width = 1\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "Height = 2\r\n";
    const auto menu = ParseBlockOf(text, "Menu");
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].value, "[Next]");
    EXPECT_EQ(menu[1].value, "[Fake]");
    EXPECT_EQ(menu[2].key, "Width");

    const auto other = ParseBlockOf(text, "Other");
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].key, "Height");
}

TEST(ValueScriptText, LineEndsMayBeCrLfLfOrCrAlone) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        const std::string e = end;
        const std::string text = kHead + "[A]" + e + "X = 1" + e + "[B]" + e + "Y = 2" + e + "Z = 3" + e;
        EXPECT_EQ(ParseBlockOf(text, "A").size(), 1u);
        const auto b = ParseBlockOf(text, "B");
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(b[1].key, "Z");
    }
}

TEST(ValueScriptText, NamesAreCaseSensitiveAndAbsentBlocksLeaveTheScriptAlone) {
    const std::string text = kHead + "[Config]\r\nA = 1\r\n";
    CValueScript script;
    script.m_sName = "config";
    script.m_nBlockLength = 77;
    script.ParseBlock(text.c_str());
    EXPECT_EQ(script.m_pEntries->m_nCount, 0);
    EXPECT_EQ(script.m_nBlockLength, 77);
    script.ParseBlock("");
    script.ParseBlock(nullptr);
    EXPECT_EQ(script.m_pEntries->m_nCount, 0);
}

TEST(ValueScriptText, BlockLengthIsTheBodyUpToTheNextBlock) {
    const std::string body = "\r\nA = 1\r\n\r\n";
    CValueScript first;
    first.m_sName = "First";
    first.ParseBlock((kHead + "[First]" + body + "[Second]\r\nB = 2").c_str());
    EXPECT_EQ(first.m_nBlockLength, static_cast<int>(body.size()));

    CValueScript last;
    last.m_sName = "Second";
    last.ParseBlock((kHead + "[First]" + body + "[Second]\r\nB = 2").c_str());
    EXPECT_EQ(last.m_nBlockLength, static_cast<int>(std::string("\r\nB = 2").size()));
}

TEST(ValueScriptText, TheFirstBlockOfANameWinsAndLoadingTwiceDuplicates) {
    const std::string text = kHead + "[A]\r\nX = 1\r\n[A]\r\nX = 2\r\n";
    CValueScript script;
    script.m_sName = "A";
    script.ParseBlock(text.c_str());
    script.ParseBlock(text.c_str());
    const auto entries = Entries(script);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].value, "1");
    EXPECT_EQ(entries[1].value, "1");
    EXPECT_FLOAT_EQ(script.GetFloat("X", 0.0f), 1.0f);
}

TEST(ValueScriptText, ParseAllBlocksTakesEveryBlockInFileOrder) {
    const std::string text = kHead +
                             "[Sound]\r\nVolume = 5\r\n"
                             "[Menu]\r\nCaption = \"[Hidden]\"\r\n"
                             "Key = x [NotABlock]\r\n"
                             "[Sound]\r\nVolume = 9\r\n"
                             "[Unclosed\r\n";
    CPointerList scripts(1, 1);
    CValueScript::ParseAllBlocks(text.c_str(), &scripts);
    std::vector<std::unique_ptr<CValueScript>> owned;
    for (auto* node = scripts.m_pHead; node; node = node->m_pNext)
        owned.emplace_back(static_cast<CValueScript*>(node->m_data));

    ASSERT_EQ(owned.size(), 3u);
    EXPECT_STREQ(owned[0]->m_sName.GetText(), "Sound");
    EXPECT_STREQ(owned[1]->m_sName.GetText(), "Menu");
    EXPECT_STREQ(owned[2]->m_sName.GetText(), "Sound");
    // A repeated name reads the first block of that name.
    EXPECT_FLOAT_EQ(owned[2]->GetFloat("Volume", 0.0f), 5.0f);
    EXPECT_EQ(owned[1]->m_pEntries->m_nCount, 2);
}

TEST(ValueScriptText, MissingKeysAreAddedWithTheirDefaults) {
    CValueScript script;
    script.m_sName = "3DInit";
    EXPECT_FLOAT_EQ(script.GetFloat("BPP", 32.0f), 32.0f);
    EXPECT_STREQ(script.GetString("AppName", "Game").GetText(), "Game");
    // Asked again, the stored entries answer, not the new defaults.
    EXPECT_FLOAT_EQ(script.GetFloat("BPP", 16.0f), 32.0f);
    EXPECT_STREQ(script.GetString("AppName", "Other").GetText(), "Game");
    EXPECT_EQ(script.FindEntry("bpp"), nullptr);

    CDynString text;
    script.WriteInto(&text);
    EXPECT_STREQ(text.GetText(), (kHead + "[3DInit]\r\nBPP = 32.000000\r\nAppName = \"Game\"\r\n\r\n").c_str());
}

TEST(ValueScriptText, SettersKeepTheQuotingOfExistingEntries) {
    CValueScript script;
    script.m_sName = "B";
    script.ParseBlock((kHead + "[B]\r\nQuoted = \"x\"\r\nPlain = 1\r\n").c_str());
    script.SetFloat("Quoted", 1.5f);
    script.SetString("Plain", "2.25");
    script.SetFloat("NewNumber", -3.0f);
    script.SetString("NewText", "two\r\nlines\n");
    EXPECT_FLOAT_EQ(script.FindEntry("Plain")->m_fNumber, 2.25f);

    CDynString text;
    script.WriteInto(&text);
    EXPECT_STREQ(text.GetText(), (kHead +
                                  "[B]\r\n"
                                  "Quoted = \"1.500000\"\r\n"
                                  "Plain = 2.25\r\n"
                                  "NewNumber = -3.000000\r\n"
                                  "NewText = \"two  lines \"\r\n"
                                  "\r\n")
                                     .c_str());
}

TEST(ValueScriptText, SaveRewritesItsBlockInPlaceAndKeepsTheOthers) {
    const std::string before = kHead + "[A]\r\nX = 1\r\n  odd   line  \r\n\r\n";
    const std::string after = "[C]\r\nZ = \"keep  me\"\r\n";
    const std::string text = before + "[B]\r\nY=2\r\n\r\n" + after;

    CValueScript script;
    script.m_sName = "B";
    script.ParseBlock(text.c_str());
    script.SetFloat("Y", 7.0f);
    CDynString rewritten(text.c_str(), 0);
    script.WriteInto(&rewritten);
    EXPECT_STREQ(rewritten.GetText(), (before + "[B]\r\nY = 7.000000\r\n\r\n" + after).c_str());
    EXPECT_EQ(script.m_nBlockLength, static_cast<int>(std::string("\r\nY = 7.000000\r\n\r\n").size()));

    // Saving again gives the same text.
    CDynString again(rewritten);
    script.WriteInto(&again);
    EXPECT_STREQ(again.GetText(), rewritten.GetText());
}

TEST(ValueScriptText, SaveMeasuresTheOldBlockInTheTextItWritesInto) {
    CValueScript script;
    script.m_sName = "A";
    script.ParseBlock((kHead + "[A]\r\nX = 1\r\n").c_str());
    // The text changed since the block was read: its old body is now longer.
    const std::string changed = kHead + "[A]\r\nX = 1\r\nAdded = 2\r\nMore = 3\r\n[B]\r\nY = 2\r\n";
    CDynString text(changed.c_str(), 0);
    script.WriteInto(&text);
    EXPECT_STREQ(text.GetText(), (kHead + "[A]\r\nX = 1\r\n\r\n[B]\r\nY = 2\r\n").c_str());
}

TEST(ValueScriptText, AbsentBlocksAreAppendedOnAFreshLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", "# TOLP Software Value Script\r\n\r\n[N]\r\nK = 1\r\n\r\n"},
        {"# TOLP Software Value Script\r\n\r\n[O]\r\nA = 1\r\n\r\n",
         "# TOLP Software Value Script\r\n\r\n[O]\r\nA = 1\r\n\r\n[N]\r\nK = 1\r\n\r\n"},
        {"# TOLP Software Value Script\r\n[O]\r\nA = 1",
         "# TOLP Software Value Script\r\n[O]\r\nA = 1\r\n[N]\r\nK = 1\r\n\r\n"},
        {"# TOLP Software Value Script\r[O]\rA = 1\r",
         "# TOLP Software Value Script\r[O]\rA = 1\r[N]\r\nK = 1\r\n\r\n"},
    };
    for (const Case& c : cases) {
        CValueScript script;
        script.m_sName = "N";
        script.SetString("K", "1");
        script.FindEntry("K")->m_bQuoted = 0;
        CDynString text(c.text, 0);
        script.WriteInto(&text);
        EXPECT_STREQ(text.GetText(), c.expected) << c.text;
    }
}

TEST(ValueScriptText, ValueScriptKeyTakesOnlyEvenLengthsUpToSixteen) {
    const std::string saved = ValueScriptKey;
    SetValueScriptKey("pv263918");
    EXPECT_STREQ(ValueScriptKey, "pv263918");
    for (const char* rejected : {"abc", "0123456789abcdefgh", "0123456789abcdefg", "x"}) {
        SetValueScriptKey(rejected);
        EXPECT_STREQ(ValueScriptKey, "pv263918") << rejected;
    }
    SetValueScriptKey(nullptr);
    EXPECT_STREQ(ValueScriptKey, "pv263918");
    SetValueScriptKey("0123456789abcdef");
    EXPECT_STREQ(ValueScriptKey, "0123456789abcdef");
    SetValueScriptKey("");
    EXPECT_STREQ(ValueScriptKey, "");
    SetValueScriptKey(saved.c_str());
}

}  // namespace
