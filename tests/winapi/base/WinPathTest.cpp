#include "winapi/base/WinPath.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "tests/winapi/base/FileTreeFixture.h"
#include "winapi/base/WinFile.h"

namespace {

using winapi::PathUse;

// Folders and files whose names differ only in case, a file and a folder of the same
// name, and a lab file a few folders down.
class WinPathTest : public FileTreeTest {
protected:
    void SetUp() override {
        FileTreeTest::SetUp();
        if (HasFatalFailure())
            return;
        MakeFolder("data/labs");
        MakeFile("data/labs/x.zql", "lab");
        MakeFolder("same");
        for (const char* name : {"same/same", "same/Same", "same/SAME"})
            MakeFile(name, name);
        MakeFolder("dir");
        MakeFolder("Dir");
        MakeFile("dir/f", "lower");
        MakeFile("Dir/f", "upper");
        MakeFile("DOCS");
        MakeFolder("docs");
        MakeFile("docs/readme");
    }

    // The names in a folder, to see that nothing was made beside what was asked.
    std::set<std::string> NamesIn(const std::string& folder) const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.File(folder)))
            names.insert(entry.path().filename().string());
        return names;
    }
};

TEST_F(WinPathTest, PathsResolveByTheLayersRules) {
    const std::string root = m_dir.Path();
    const struct {
        std::string path;
        PathUse use;
        std::string expected;
    } cases[] = {
        {"data/labs/x.zql", PathUse::kExisting, "data/labs/x.zql"},
        {"DATA/Labs/X.ZQL", PathUse::kExisting, "data/labs/x.zql"},
        {"Data\\LABS\\x.Zql", PathUse::kExisting, "data/labs/x.zql"},
        {"data//labs///x.zql", PathUse::kExisting, "data/labs/x.zql"},
        {WindowsPath("DATA\\Labs\\X.ZQL"), PathUse::kExisting, root + "/data/labs/x.zql"},
        {"c:" + root + "/data/labs/X.ZQL", PathUse::kExisting, root + "/data/labs/x.zql"},
        {"data/labs/", PathUse::kExisting, "data/labs"},
        {"C:", PathUse::kExisting, "/"},
        {"c:\\", PathUse::kExisting, "/"},
        // Of several case variants the first by folded bytes, then raw bytes: upper case
        // sorts first. The exact name wins over all of them.
        {"same/sAmE", PathUse::kExisting, "same/SAME"},
        {"same/Same", PathUse::kExisting, "same/Same"},
        {"same/same", PathUse::kExisting, "same/same"},
        {"DIR/f", PathUse::kExisting, "Dir/f"},
        {"dir/F", PathUse::kExisting, "dir/f"},
        // A folder is looked for among folders: the file DOCS is passed over.
        {"Docs/README", PathUse::kExisting, "docs/readme"},
        {"DATA/Labs/x.ZQL", PathUse::kCreate, "data/labs/x.zql"},
        {"DATA/Labs/New.ZQL", PathUse::kCreate, "data/labs/New.ZQL"},
        {WindowsPath("Data\\New.zql"), PathUse::kCreate, root + "/data/New.zql"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string resolved;
        EXPECT_TRUE(winapi::ResolvePath(c.path.c_str(), c.use, &resolved));
        EXPECT_EQ(resolved, c.expected);
    }
}

TEST_F(WinPathTest, UnresolvablePathsSayWhy) {
    const std::string overLong = std::string(MAX_PATH - 4, 'a') + ".zql";
    const struct {
        const char* path;
        PathUse use;
        int error;
    } cases[] = {
        {"data/labs/new.zql", PathUse::kExisting, ENOENT},
        {"data/nothing/x.zql", PathUse::kExisting, ENOENT},
        {"data/nothing/x.zql", PathUse::kCreate, ENOENT},
        {"data/labs/x.zql/y", PathUse::kCreate, ENOENT},
        {"D:\\data\\labs\\x.zql", PathUse::kExisting, ENOENT},
        {"e:/x.zql", PathUse::kCreate, ENOENT},
        {nullptr, PathUse::kExisting, EINVAL},
        {"", PathUse::kCreate, ENOENT},
        {overLong.c_str(), PathUse::kCreate, ENAMETOOLONG},
    };
    ASSERT_EQ(overLong.size(), MAX_PATH);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "(null)");
        std::string resolved = "untouched";
        errno = 0;
        EXPECT_FALSE(winapi::ResolvePath(c.path, c.use, &resolved));
        EXPECT_EQ(errno, c.error);
        EXPECT_EQ(resolved, "untouched");
    }
    EXPECT_FALSE(winapi::ResolvePath("data", PathUse::kExisting, nullptr));
}

TEST_F(WinPathTest, FileOpenReadsWithoutRegardToCase) {
    for (const std::string& path : {std::string("DATA/Labs/X.ZQL"), WindowsPath("Data\\labs\\x.zql")}) {
        SCOPED_TRACE(path);
        FILE* file = winapi::FileOpen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        char text[8] = {};
        EXPECT_EQ(fread(text, 1, sizeof text, file), 3u);
        EXPECT_STREQ(text, "lab");
        fclose(file);
    }
}

TEST_F(WinPathTest, FileOpenCreatesUnderTheAskedNameInTheFoundFolder) {
    FILE* file = winapi::FileOpen("DATA\\LABS\\New.ZQL", "wb");
    ASSERT_NE(file, nullptr);
    fputs("new", file);
    fclose(file);
    EXPECT_EQ(ReadText(m_dir.File("data/labs/New.ZQL")), "new");
    EXPECT_EQ(NamesIn("."), (std::set<std::string>{"data", "same", "dir", "Dir", "DOCS", "docs"}));
    EXPECT_EQ(NamesIn("data/labs"), (std::set<std::string>{"x.zql", "New.ZQL"}));
}

TEST_F(WinPathTest, FileOpenWritesOverAnExistingCaseVariant) {
    FILE* file = winapi::FileOpen("Data/Labs/X.ZQL", "wb");
    ASSERT_NE(file, nullptr);
    fputs("re", file);
    fclose(file);
    file = winapi::FileOpen("DATA/labs/x.ZQL", "ab");
    ASSERT_NE(file, nullptr);
    fputs("written", file);
    fclose(file);
    EXPECT_EQ(ReadText(m_dir.File("data/labs/x.zql")), "rewritten");
    EXPECT_EQ(NamesIn("data/labs"), std::set<std::string>{"x.zql"});

    // Exclusive creation sees the variant as the file it is.
    errno = 0;
    EXPECT_EQ(winapi::FileOpen("data/labs/X.zql", "wbx"), nullptr);
    EXPECT_EQ(errno, EEXIST);
}

TEST_F(WinPathTest, FileOpenRefusesWhatItCannotResolve) {
    const std::string overLong = std::string(MAX_PATH, 'a');
    const struct {
        const char* path;
        const char* mode;
        int error;
    } cases[] = {
        {"data/labs/none.zql", "rb", ENOENT},
        {"data/labs/none.zql", "r+b", ENOENT},
        {"data/nothing/new.zql", "wb", ENOENT},
        {"D:/data/labs/x.zql", "rb", ENOENT},
        {nullptr, "rb", EINVAL},
        {nullptr, "wb", EINVAL},
        {"", "wb", ENOENT},
        {overLong.c_str(), "wb", ENAMETOOLONG},
        {"data/labs/new.zql", nullptr, EINVAL},
        {"data/labs/new.zql", "", EINVAL},
        {"data/labs/new.zql", "z", EINVAL},
        {"data/labs/new.zql", "+w", EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.path ? c.path : "(null)") << " " << (c.mode ? c.mode : "(null)"));
        errno = 0;
        EXPECT_EQ(winapi::FileOpen(c.path, c.mode), nullptr);
        EXPECT_EQ(errno, c.error);
    }
    EXPECT_EQ(NamesIn("data/labs"), std::set<std::string>{"x.zql"});
}

TEST(WildcardTest, PatternsMatchNamesWithoutRegardToCase) {
    const std::string longMatch = std::string(NAME_MAX - 1, 'a') + "b";
    const std::string longMiss(NAME_MAX, 'a');
    const struct {
        std::string pattern;
        std::string name;
        bool matches;
    } cases[] = {
        {"*.*", "Alpha.ZQL", true},
        {"*.*", "README", true},  // ".*" at the end also takes names without a dot
        {"*.*", ".hidden", true},
        {"*", "a.b.c", true},
        {"*.zql", "X.ZQL", true},
        {"*.ZQL", "x.zql", true},
        {"*.zql", "x.zqlx", false},
        {"*.zql", "zql", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},  // '?' is exactly one byte
        {"a?c", "abbc", false},
        {"a?c.*", "ABC", true},
        {"a?c.*", "abc.d.e", true},
        {"a?c.*", "abcd", false},
        {"?.*", ".", false},  // the dotless rule is for names without a dot
        {"a.*", "a.", true},
        {"*ab*cd", "xabyabcd", true},
        {"**", "x", true},
        {"*?", "", false},
        {"*", "", true},
        {"", "", true},
        {"", "a", false},
        {"[a]", "a", false},  // no character classes
        {"\xC4*", "\xE4rger.zql", true},
        {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", true},
        {"\xD7", "\xF7", false},
        {"*a*a*a*a*a*a*a*b", longMatch, true},
        {"*a*a*a*a*a*a*a*b", longMiss, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(c.pattern) << " " << testing::PrintToString(c.name));
        EXPECT_EQ(winapi::MatchesWildcard(c.pattern, c.name), c.matches);
    }
}

}  // namespace
