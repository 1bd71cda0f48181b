// The string table: "key { text }" entries read from a plain file, looked up by the first key
// that occurs inside the asked key.
#include "game/app/StringTable.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/core/LogFile.h"
#include "tests/support/TempDir.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const CStringTable& table) {
    Entries entries;
    for (const CPointerList::Node* node = table.GetEntries().m_pHead; node; node = node->m_pNext) {
        const auto* entry = static_cast<const CStringEntry*>(node->m_data);
        entries.emplace_back(entry->m_szKey, entry->m_pText);
    }
    return entries;
}

TEST(StringTableTest, FilesOfKeyedBlocksGiveTheirEntries) {
    const std::string longKey(200, 'k');
    struct Case {
        const char* name;
        std::string text;
        Entries entries;
    };
    const Case cases[] = {
        {"one line", "HELLO\r\n{\r\nHello, player!\r\n}\r\n", {{"HELLO", "Hello, player!"}}},
        {"an empty block", "EMPTY\r\n{\r\n}\r\nNEXT\r\n{\r\nx\r\n}\r\n", {{"NEXT", "x"}}},
        {"two lines", "K\r\n{\r\nline one,\r\n\tline two\r\n}\r\n", {{"K", "line one,\r\n\tline two"}}},
        {"blanks, line breaks and comments in front are skipped", "K {\r\n\r\n  // note\r\n  text here\r\n}\r\n",
         {{"K", "text here"}}},
        {"comments and braces inside belong to the text", "K\r\n{\r\nsee // this { too\r\n}\r\n",
         {{"K", "see // this { too"}}},
        {"a closing brace on the text's last line cuts two characters", "CUT\r\n{\r\nabcdef }\r\n", {{"CUT", "abcde"}}},
        {"a closing brace two characters behind the text", "K { a }\r\n", {{"K", ""}}},
        {"a key without an opening brace drops the next token too",
         "NOBRACE text\r\nA\r\n{\r\nx\r\n}\r\n", {{"A", "x"}}},
        {"an unclosed last block", "A\r\n{\r\nx\r\n}\r\nB\r\n{\r\ny\r\n", {{"A", "x"}}},
        {"an opening brace at the end", "A\r\n{\r\n", {}},
        {"a last closing brace without line break", "A\r\n{\r\nx\r\n}", {}},
        {"a long key keeps 127 characters", longKey + "\r\n{\r\nx\r\n}\r\n", {{longKey.substr(0, 127), "x"}}},
        {"file order", "B\r\n{\r\n2\r\n}\r\nA\r\n{\r\n1\r\n}\r\n", {{"B", "2"}, {"A", "1"}}},
        {"nothing", "", {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("main.txt");
        WriteText(path, c.text);
        CStringTable table;
        EXPECT_EQ(table.Load(path.c_str()), static_cast<int>(c.entries.size()));
        EXPECT_EQ(EntriesOf(table), c.entries);
        EXPECT_EQ(table.IsWide(), 0);
    }
}

TEST(StringTableTest, LookupsTakeTheFirstKeyInsideTheAskedKey) {
    TempDir dir;
    const std::string path = dir.File("main.txt");
    WriteText(path,
              "could_not_be_load\r\n{\r\nThe file could not be loaded.\r\n}\r\n"
              "OK\r\n{\r\nOk\r\n}\r\n"
              "OK_CANCEL\r\n{\r\nOk or cancel\r\n}\r\n");
    CStringTable table;
    ASSERT_EQ(table.Load(path.c_str()), 3);
    struct Case {
        const char* key;
        const char* text;  // null: no entry
    };
    const Case cases[] = {
        {"could_not_be_load", "The file could not be loaded."},
        {"lab_could_not_be_loaded", "The file could not be loaded."},
        {"OK", "Ok"},
        // The earlier key occurs inside the later one and hides it.
        {"OK_CANCEL", "Ok"},
        {"ok", nullptr},
        {"could_not", nullptr},
        {"", nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key ? c.key : "null");
        const char* text = table.GetString(c.key);
        if (c.text) {
            EXPECT_STREQ(text, c.text);
        } else {
            EXPECT_EQ(text, nullptr);
        }
    }

    // An entry with an empty key answers everything the entries before it do not.
    ASSERT_NE(table.AddString("", "fallback", 8), nullptr);
    EXPECT_STREQ(table.GetString("anything"), "fallback");
    EXPECT_STREQ(table.GetString(""), "fallback");
    EXPECT_STREQ(table.GetString("OK"), "Ok");
    EXPECT_EQ(table.GetString(nullptr), nullptr);
}

TEST(StringTableTest, AddedStringsAreOwnCopiesOfTheirLength) {
    CStringTable table;
    std::string text = "abcdef";
    const std::string longKey(300, 'k');
    const CStringEntry* entry = table.AddString(longKey.c_str(), text.c_str(), 3);
    ASSERT_NE(entry, nullptr);
    text = "xxxxxx";
    EXPECT_EQ(std::string(entry->m_szKey), longKey.substr(0, 127));
    EXPECT_STREQ(entry->m_pText, "abc");

    struct Refused {
        const char* text;
        int length;
    };
    const Refused refused[] = {{"abc", -1}, {nullptr, 1}};
    for (const Refused& r : refused)
        EXPECT_EQ(table.AddString("K", r.text, r.length), nullptr);
    ASSERT_NE(table.AddString(nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(EntriesOf(table), (Entries{{longKey.substr(0, 127), "abc"}, {"", ""}}));
}

TEST(StringTableTest, AMissingFileLeavesTheTableEmpty) {
    TempDir dir;
    const std::string logPath = dir.File("game.log");
    CLogFile log(logPath.c_str());
    CStringTable table(&log);
    const std::string path = dir.File("strings/main.txt");
    EXPECT_EQ(table.Load(path.c_str()), 0);
    EXPECT_EQ(table.GetEntries().m_nCount, 0);
    EXPECT_EQ(table.GetString("OK"), nullptr);
    EXPECT_EQ(ReadText(logPath), "LoadScript - tyring to load \"" + path + "\"\nLoadScript - loading failed\n");
}

TEST(StringTableTest, TextFromMemoryGivesTheSameEntriesAsItsFile) {
    const std::string text = "A\r\n{\r\n1\r\n}\r\nB // b\r\n{\r\n2\r\n}\r\n";
    TempDir dir;
    WriteText(dir.File("main.txt"), text);
    CStringTable fromFile;
    CStringTable fromMemory;
    ASSERT_EQ(fromFile.Load(dir.File("main.txt").c_str()), 2);
    ASSERT_EQ(fromMemory.SetText(text.data(), static_cast<int>(text.size())), 1);
    EXPECT_EQ(fromMemory.AddEntriesFromText(), 2);
    EXPECT_EQ(EntriesOf(fromMemory), EntriesOf(fromFile));
    EXPECT_EQ(EntriesOf(fromFile), (Entries{{"A", "1"}, {"B", "2"}}));
}

}  // namespace
