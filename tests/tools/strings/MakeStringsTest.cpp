// The string-table builder: its program run on sources written here, the table it writes read
// back through the game's string table, and every source it must refuse.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "game/app/StringTable.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"
#include "winapi/base/Cp1252.h"

namespace {

// The program run with these arguments, its messages written to `messages`: the exit status.
int RunMakeStrings(const std::string& arguments, const std::string& messages = "/dev/null") {
    return RunProgram(MAKE_STRINGS, arguments, messages);
}

// A table's entries as the game reads them, in file order: key and text, Windows-1252.
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries LoadedEntries(const CStringTable& table) {
    Entries entries;
    for (CPointerList::Node* node = table.GetEntries().m_pHead; node; node = node->m_pNext) {
        const auto* entry = static_cast<const CStringEntry*>(node->m_data);
        entries.emplace_back(entry->m_szKey, entry->m_pText);
    }
    return entries;
}

// The Windows-1252 characters from `first` to `last`, without the five bytes that stand for none.
std::string Cp1252Run(int first, int last) {
    std::string text;
    for (int c = first; c <= last; ++c) {
        if (c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D)
            text += static_cast<char>(c);
    }
    return text;
}

std::string Utf8(const std::string& cp1252) {
    return winapi::Cp1252ToUtf8(cp1252.c_str());
}

// Every line end of the table is CR LF, the last one included.
bool LineEndsAreCrLf(const std::string& table) {
    for (size_t i = 0; i < table.size(); ++i) {
        if ((table[i] == '\n') != (i > 0 && table[i - 1] == '\r') || (table[i] == '\r' && i + 1 == table.size()))
            return false;
    }
    return table.size() >= 2 && table.compare(table.size() - 2, 2, "\r\n") == 0;
}

TEST(MakeStringsTest, WritesATableThatTheGameReadsBackEntryForEntry) {
    TempDir dir;
    const std::string key127(127, 'k');
    // The upper half of the code page, in UTF-8 in the sources, each line a run of it.
    const std::string controls = Cp1252Run(0x80, 0x9F);
    const std::string latin = Cp1252Run(0xA0, 0xFF);
    // A CR LF source and an LF source without a final line end, merged.
    WriteText(dir.File("menu.txt"),
              "# The main menu\r\n"
              "MenuStart\r\n{\r\nStart the lab\r\n}\r\n"
              "\r\n"
              "HelpIntro\r\n{\r\nBuild a machine that brings\r\n  the ball, indented, into the basket.\r\n\r\n"
              "Then press Go. \r\n}\r\n");
    WriteText(dir.File("chars.txt"),
              "Latin\n{\n" + Utf8(latin) + "\n}\n"
              "\n   \n"
              "W\xC3\xA4hrung\n{\n" + Utf8(controls) + "\n" + Utf8(latin.substr(0, 8)) + "\n}\n" +
              key127 + "\n{\n{\n# not a comment in a text\na}b {x} x//y a{,}}\n\n}\n"
              "a{//b}\n{\n\xC2\xA0" "after a no-break space\n}");
    ASSERT_EQ(RunMakeStrings(Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("menu.txt")) + " " +
                             Quoted(dir.File("chars.txt"))),
              0);

    const Entries expected = {
        {key127, "{\r\n# not a comment in a text\r\na}b {x} x//y a{,}}\r\n"},
        {"HelpIntro", "Build a machine that brings\r\n  the ball, indented, into the basket.\r\n\r\nThen press Go. "},
        {"MenuStart", "Start the lab"},
        {"W\xE4hrung", controls + "\r\n" + latin.substr(0, 8)},
        {"a{//b}", "\xA0" "after a no-break space"},
        {"Latin", latin},
    };
    const std::string bytes = ReadText(dir.File("main.txt"));
    EXPECT_TRUE(LineEndsAreCrLf(bytes));
    CStringTable table;
    ASSERT_EQ(table.Load(dir.File("main.txt").c_str()), static_cast<int>(expected.size()));
    EXPECT_EQ(LoadedEntries(table), expected);
    for (const auto& [key, text] : expected) {
        ASSERT_NE(table.GetString(key.c_str()), nullptr) << key;
        EXPECT_EQ(table.GetString(key.c_str()), text) << key;
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"chars.txt", "main.txt", "menu.txt"}));
}

// The layout itself, byte for byte.
TEST(MakeStringsTest, WritesEachEntryAsKeyBraceTextBraceLines) {
    TempDir dir;
    WriteText(dir.File("a.txt"), "One\n{\nfirst\nsecond\n}\nTwo2\n{\nx\n}\n");
    ASSERT_EQ(RunMakeStrings(Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("a.txt"))), 0);
    EXPECT_EQ(ReadText(dir.File("main.txt")), "Two2\r\n{\r\nx\r\n}\r\nOne\r\n{\r\nfirst\r\nsecond\r\n}\r\n");
}

// The game takes the first entry whose key lies inside the key asked for, so longer keys come
// first; equal lengths go by the bytes of the key, whatever the order of the sources.
TEST(MakeStringsTest, SortsByDescendingKeyLengthThenByKey) {
    TempDir dir;
    const char* const first[] = {"Start", "B", "Zebra", "ButtonStart", "\xC3\x84pfel"};
    const char* const second[] = {"a", "apfel", "ButtonStartHelp", "Z", "Apfel"};
    auto source = [](const auto& keys) {
        std::string text;
        for (const char* key : keys)
            text += std::string(key) + "\n{\ntext of " + key + "\n}\n";
        return text;
    };
    WriteText(dir.File("first.txt"), source(first));
    WriteText(dir.File("second.txt"), source(second));
    ASSERT_EQ(RunMakeStrings(Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("first.txt")) + " " +
                             Quoted(dir.File("second.txt"))),
              0);
    ASSERT_EQ(RunMakeStrings(Quoted(dir.File("reversed.txt")) + " " + Quoted(dir.File("second.txt")) + " " +
                             Quoted(dir.File("first.txt"))),
              0);
    EXPECT_EQ(ReadBytes(dir.File("reversed.txt")), ReadBytes(dir.File("main.txt")));

    CStringTable table;
    ASSERT_EQ(table.Load(dir.File("main.txt").c_str()), 10);
    std::vector<std::string> keys;
    for (const auto& entry : LoadedEntries(table))
        keys.push_back(entry.first);
    // 'A' 0x41 < 'S' 0x53 < 'Z' 0x5A < 'a' 0x61 < 'Ä' 0xC4.
    const std::vector<std::string> expected = {"ButtonStartHelp", "ButtonStart", "Apfel", "Start", "Zebra",
                                               "apfel",           "\xC4pfel",    "B",     "Z",     "a"};
    EXPECT_EQ(keys, expected);
    EXPECT_STREQ(table.GetString("ButtonStartHelp"), "text of ButtonStartHelp");
    EXPECT_STREQ(table.GetString("ButtonStart"), "text of ButtonStart");
    EXPECT_STREQ(table.GetString("PressStart"), "text of Start");
}

// Line ends and a UTF-8 mark in front change nothing.
TEST(MakeStringsTest, ReadsLfAndCrLfSourcesAlike) {
    const std::string variants[] = {
        "Key\n{\nline one\n\nline two\n}\n",
        "Key\r\n{\r\nline one\r\n\r\nline two\r\n}\r\n",
        "Key\r\n{\nline one\r\n\nline two\n}",
        "\xEF\xBB\xBFKey\n{\nline one\n\nline two\n}\n",
    };
    TempDir dir;
    for (const std::string& variant : variants) {
        SCOPED_TRACE(testing::PrintToString(variant));
        WriteText(dir.File("source.txt"), variant);
        ASSERT_EQ(RunMakeStrings(Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("source.txt"))), 0);
        EXPECT_EQ(ReadText(dir.File("main.txt")), "Key\r\n{\r\nline one\r\n\r\nline two\r\n}\r\n");
    }
}

const CBadRecipe kBadSources[] = {
    {"a character outside the code page", "Key\n{\nfine\n\xD0\x96uk\n}\n", 4, "U+0416 at column 1"},
    {"such a character in a key", "K\xC5\x81" "\n{\nx\n}\n", 1, "U+0141 at column 2"},
    {"a C1 control", "Key\n{\nab\xC2\x81\n}\n", 3, "U+0081 at column 3"},
    {"such a character in a comment", "# \xE2\x9C\x93\nKey\n{\nx\n}\n", 1, "U+2713"},
    {"malformed UTF-8", "Key\n{\n\xC3\xA4\xC3(\n}\n", 3, "malformed UTF-8 at column 2"},
    {"a tab in a text", "Key\n{\na\tb\n}\n", 3, "control character 0x09 at column 2"},
    {"a tab in a key", "Key\tTwo\n{\nx\n}\n", 1, "control character 0x09"},
    {"a carriage return alone", "Key\r\n{\r\na\rb\r\n}\r\n", 3, "control character 0x0D"},
    {"a zero byte", std::string("Key\n{\na\0b\n}\n", 12), 3, "control character 0x00"},
    {"a delete", "Key\n{\na\x7F\n}\n", 3, "control character 0x7F"},
    {"an escape in a key", "\x1B[1m\n{\nx\n}\n", 1, "control character 0x1B"},
    {"\"}\" as a word in a text", "Key\n{\nfirst\nthe end } here\n}\n", 4, "\"}\" as a word"},
    {"\"}\" after a comma", "Key\n{\na,}\n}\n", 3, "\"}\" as a word"},
    {"\"}\" at a line's start", "Key\n{\nx\n} and on\n}\n", 4, "\"}\" as a word"},
    {"an indented closing line", "Key\n{\nx\n  }\n}\n", 4, "\"}\" as a word"},
    {"\"}\" behind a comment mark", "Key\n{\nx // }\n}\n", 3, "\"}\" as a word"},
    {"a text that begins with a blank", "Key\n{\n indented\n}\n", 3, "begin with a blank"},
    {"a text that begins with a comma", "Key\n{\n,then\n}\n", 3, "begin with a blank or a comma"},
    {"a text that begins with an empty line", "Key\n{\n\ntext\n}\n", 3, "begin with an empty line"},
    {"a text that begins with \"//\"", "Key\n{\n// text\n}\n", 3, "begin with \"//\""},
    {"an empty text", "Key\n{\n}\n", 3, "is empty"},
    {"an empty key", "A\n{\nx\n}\n{\ntext\n}\n", 5, "without a key"},
    {"an empty key behind blank lines", "\n\n{\ntext\n}\n", 3, "without a key"},
    {"a key \"{\"", "{\n{\ntext\n}\n", 1, "without a key"},
    {"a key \"}\"", "}\n{\ntext\n}\n", 1, "may not be \"}\""},
    {"a repeated key", "A\n{\nx\n}\nB\n{\ny\n}\n\nA\n{\nz\n}\n", 10, "\"A\" is already used at "},
    {"a key of 128 characters", std::string(128, 'k') + "\n{\nx\n}\n", 1, "128 characters long"},
    {"a key holding a blank", "Two words\n{\nx\n}\n", 1, "blank or a comma"},
    {"a key ending in a blank", "Key \n{\nx\n}\n", 1, "blank or a comma"},
    {"a key holding a comma", "a,b\n{\nx\n}\n", 1, "blank or a comma"},
    {"a key beginning with \"//\"", "//Key\n{\nx\n}\n", 1, "begin with \"//\""},
    {"a key that reads as a UTF-16 mark", "\xC3\xBF\xC3\xBEKey\n{\nx\n}\n", 1, "UTF-16"},
    {"a key without \"{\"", "Key\ntext\n}\n", 2, "\"{\" line must follow the key \"Key\""},
    {"a blank line between key and \"{\"", "Key\n\n{\nx\n}\n", 2, "\"{\" line must follow"},
    {"\"{\" after a blank", "Key\n {\nx\n}\n", 2, "\"{\" line must follow"},
    {"a key at the end", "A\n{\nx\n}\nKey\n", 5, "has no text"},
    {"a text without its \"}\"", "Key\n{\ntext\nmore", 2, "no closing \"}\""},
};

// Each refused with its file and line, exit status 1 and nothing written, though the source
// before it is good.
TEST(MakeStringsTest, RefusesEachBadSourceNamingFileAndLine) {
    for (const CBadRecipe& bad : kBadSources) {
        SCOPED_TRACE(bad.name);
        TempDir dir;
        const std::string good = dir.File("good.txt");
        const std::string source = dir.File("bad.txt");
        const std::string messages = dir.File("messages.txt");
        WriteText(good, "Good\n{\nA good text.\n}\n");
        WriteText(source, bad.recipe);
        const std::string arguments = Quoted(dir.File("main.txt")) + " " + Quoted(good) + " " + Quoted(source);
        ExpectRefusal(RunMakeStrings(arguments, messages), messages,
                      "make_strings: " + source + ": line " + std::to_string(bad.line) + ": ", bad.message);
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bad.txt", "good.txt", "messages.txt"}));
    }
}

TEST(MakeStringsTest, RefusesAKeyThatAnotherSourceUses) {
    TempDir dir;
    WriteText(dir.File("first.txt"), "Shared\n{\nx\n}\n");
    WriteText(dir.File("second.txt"), "Own\n{\ny\n}\n\nShared\n{\nz\n}\n");
    const std::string messages = dir.File("messages.txt");
    EXPECT_EQ(RunMakeStrings(Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("first.txt")) + " " +
                                 Quoted(dir.File("second.txt")),
                             messages),
              1);
    EXPECT_NE(ReadText(messages).find(dir.File("second.txt") + ": line 6: the key \"Shared\" is already used at " +
                                      dir.File("first.txt") + ": line 1"),
              std::string::npos)
        << ReadText(messages);
    EXPECT_FALSE(FileExists(dir.File("main.txt")));
}

TEST(MakeStringsTest, LeavesAnExistingTableAsItWasWhenRefusing) {
    TempDir dir;
    WriteText(dir.File("main.txt"), "Old\r\n{\r\nold\r\n}\r\n");
    WriteText(dir.File("bad.txt"), "Key\n{\n}\n");
    EXPECT_EQ(RunMakeStrings(Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("bad.txt"))), 1);
    EXPECT_EQ(ReadText(dir.File("main.txt")), "Old\r\n{\r\nold\r\n}\r\n");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"bad.txt", "main.txt"}));
}

// Failures other than a bad source: 1 with a message, nothing written.
TEST(MakeStringsTest, FailsOnSourcesItCannotReadOrUseAndOnAnUnwritableTable) {
    TempDir dir;
    WriteText(dir.File("good.txt"), "Key\n{\nx\n}\n");
    WriteText(dir.File("comments.txt"), "# nothing yet\n\n");
    const struct {
        const char* what;
        std::string arguments;
        std::string message;
    } cases[] = {
        {"a missing source", Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("missing.txt")),
         "cannot read " + dir.File("missing.txt") + ": No such file or directory"},
        {"no entries at all", Quoted(dir.File("main.txt")) + " " + Quoted(dir.File("comments.txt")),
         "the sources hold no entries"},
        {"a table in a missing folder", Quoted(dir.File("no/main.txt")) + " " + Quoted(dir.File("good.txt")),
         "cannot write " + dir.File("no/main.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string messages = dir.File("messages.txt");
        EXPECT_EQ(RunMakeStrings(c.arguments, messages), 1);
        EXPECT_NE(ReadText(messages).find("make_strings: " + c.message), std::string::npos) << ReadText(messages);
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"comments.txt", "good.txt", "messages.txt"}));
    }
}

TEST(MakeStringsTest, ABadCommandLineGivesTwo) {
    TempDir dir;
    WriteText(dir.File("good.txt"), "Key\n{\nx\n}\n");
    const std::string messages = dir.File("messages.txt");
    EXPECT_EQ(RunMakeStrings("", messages), 2);
    EXPECT_NE(ReadText(messages).find("usage: make_strings <table file> <source>..."), std::string::npos);
    EXPECT_EQ(RunMakeStrings(Quoted(dir.File("main.txt")), messages), 2);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"good.txt", "messages.txt"}));
}

}  // namespace
