#include "winapi/base/WinFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/winapi/base/FileTreeFixture.h"

namespace {

constexpr DWORD kFile = FILE_ATTRIBUTE_NORMAL;
constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;

const std::string kLongMatch = std::string(NAME_MAX - 1, 'a') + "b";
const std::string kLongMiss = std::string(NAME_MAX, 'a');
// Exponential in the name's length for a matcher that retries every '*'.
const char kManyStars[] = "*a*a*a*a*a*a*a*b";

struct Found {
    std::string name;
    DWORD attributes;
    bool operator==(const Found&) const = default;
};

void PrintTo(const Found& found, std::ostream* out) {
    *out << testing::PrintToString(found.name) << (found.attributes == kFolder ? " folder" : " file");
}

// Leaves a failure as the last error, so that a success after it must clear it.
void FailOnce() {
    FindClose(nullptr);
}

// A whole search, with the last error checked after every call.
std::vector<Found> SearchAll(const char* pattern) {
    std::vector<Found> found;
    WIN32_FIND_DATAA data;
    FailOnce();
    HANDLE search = FindFirstFileA(pattern, &data);
    EXPECT_NE(search, INVALID_HANDLE_VALUE);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        found.push_back({data.cFileName, data.dwFileAttributes});
        FailOnce();
    } while (FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    FailOnce();
    EXPECT_TRUE(FindClose(search));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    return found;
}

// One folder of every kind of name: mixed case, without a dot, beginning with a dot, with
// the Windows-1252 byte 0xE4 (ä), a subfolder, a symbolic link and a broken one.
class WinFileTest : public FileTreeTest {
protected:
    void SetUp() override {
        FileTreeTest::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* name : {"Alpha.ZQL", "beta.zql", "ABC", "abc.txt", "aXc.zql", ".hidden", "\xE4rger.zql"})
            MakeFile(name, name);
        MakeLink("link.zql", "beta.zql");
        MakeLink("broken.zql", "nowhere.zql");
        MakeFolder("Sub/Deep");
        MakeFile("Sub/inner.zql");
        MakeFolder("long");
        MakeFile("long/" + kLongMatch);
        MakeFile("long/" + kLongMiss);
    }
};

TEST_F(WinFileTest, SearchesFindTheirMatchesSortedWithoutRegardToCase) {
    const std::vector<Found> everything = {
        {".", kFolder},        {"..", kFolder},       {".hidden", kFile},  {"ABC", kFile},
        {"abc.txt", kFile},    {"Alpha.ZQL", kFile},  {"aXc.zql", kFile},  {"beta.zql", kFile},
        {"link.zql", kFile},   {"long", kFolder},     {"Sub", kFolder},    {"\xE4rger.zql", kFile},
    };
    const std::vector<Found> zql = {
        {"Alpha.ZQL", kFile}, {"aXc.zql", kFile}, {"beta.zql", kFile}, {"link.zql", kFile}, {"\xE4rger.zql", kFile},
    };
    const struct {
        std::string pattern;
        std::vector<Found> expected;
    } cases[] = {
        {"*.*", everything},
        {"*", everything},
        {"*.zql", zql},
        {"*.ZQL", zql},
        {"a?c.*", {{"ABC", kFile}, {"abc.txt", kFile}, {"aXc.zql", kFile}}},
        {".*", {{".", kFolder}, {"..", kFolder}, {".hidden", kFile}}},
        {"\xC4*", {{"\xE4rger.zql", kFile}}},
        {"sub", {{"Sub", kFolder}}},
        {"BETA.ZQL", {{"beta.zql", kFile}}},
        {"\xC4RGER.zql", {{"\xE4rger.zql", kFile}}},
        {"link.zql", {{"link.zql", kFile}}},
        {"SUB\\*.*", {{".", kFolder}, {"..", kFolder}, {"Deep", kFolder}, {"inner.zql", kFile}}},
        {WindowsPath("SUB") + "\\*.zql", {{"inner.zql", kFile}}},
        {"./SUB//deep/*", {{".", kFolder}, {"..", kFolder}}},
        {std::string("long/") + kManyStars, {{kLongMatch, kFile}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.pattern));
        EXPECT_EQ(SearchAll(c.pattern.c_str()), c.expected);
    }
}

TEST_F(WinFileTest, ThePathMayUseTheWholeLengthBelowTheLimit) {
    std::string pattern = "*.zql";
    while (pattern.size() < MAX_PATH - 1)
        pattern = "./" + pattern;
    ASSERT_EQ(pattern.size(), MAX_PATH - 1);
    EXPECT_EQ(SearchAll(pattern.c_str()).size(), 5u);
}

TEST_F(WinFileTest, TheRootHasNoDotEntries) {
    std::set<std::string> expected;
    for (const auto& entry : std::filesystem::directory_iterator("/")) {
        std::error_code ignored;
        if (std::filesystem::exists(entry.path(), ignored))
            expected.insert(entry.path().filename().string());
    }
    for (const char* pattern : {"C:/*.*", "c:\\*"}) {
        SCOPED_TRACE(pattern);
        std::set<std::string> names;
        for (const Found& found : SearchAll(pattern))
            names.insert(found.name);
        EXPECT_EQ(names, expected);
    }
}

TEST_F(WinFileTest, FailedSearchesGiveTheInvalidHandleAndTheirReason) {
    const std::string overLong = std::string(MAX_PATH - 4, 'a') + ".zql";
    const std::string farOverLong(4 * MAX_PATH, '*');
    const struct {
        const char* pattern;
        DWORD error;
    } cases[] = {
        {"Missing/*.*", ERROR_PATH_NOT_FOUND},
        {"missing\\x.zql", ERROR_PATH_NOT_FOUND},
        {"beta.zql/*", ERROR_PATH_NOT_FOUND},
        {"D:\\*.*", ERROR_PATH_NOT_FOUND},
        {"d:/Sub", ERROR_PATH_NOT_FOUND},
        {"*.nothing", ERROR_FILE_NOT_FOUND},
        {"nothing", ERROR_FILE_NOT_FOUND},
        {"broken.zql", ERROR_FILE_NOT_FOUND},
        {"b*n.zql", ERROR_FILE_NOT_FOUND},
        {"Sub/", ERROR_FILE_NOT_FOUND},
        {"long/*a*a*a*a*a*a*a*c", ERROR_FILE_NOT_FOUND},
        {nullptr, ERROR_PATH_NOT_FOUND},
        {"", ERROR_PATH_NOT_FOUND},
        {overLong.c_str(), ERROR_PATH_NOT_FOUND},
        {farOverLong.c_str(), ERROR_PATH_NOT_FOUND},
    };
    ASSERT_EQ(overLong.size(), MAX_PATH);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.pattern ? c.pattern : "(null)"));
        WIN32_FIND_DATAA data;
        EXPECT_EQ(FindFirstFileA(c.pattern, &data), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(WinFileTest, BadHandlesAreRefused) {
    WIN32_FIND_DATAA data;
    HANDLE closed = FindFirstFileA("*", &data);
    ASSERT_NE(closed, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(FindClose(closed));
    int notASearch = 0;
    for (HANDLE handle : {HANDLE{nullptr}, INVALID_HANDLE_VALUE, closed, static_cast<HANDLE>(&notASearch)}) {
        SCOPED_TRACE(handle);
        EXPECT_FALSE(FindNextFileA(handle, &data));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(FindClose(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST_F(WinFileTest, AMissingFindDataIsRefusedAndTheSearchGoesOn) {
    EXPECT_EQ(FindFirstFileA("*", nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA("a?c.*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileA(search, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(FindNextFileA(search, &data));
    EXPECT_STREQ(data.cFileName, "abc.txt");
    EXPECT_TRUE(FindClose(search));
}

TEST_F(WinFileTest, TheLastErrorBelongsToItsThread) {
    WIN32_FIND_DATAA data;
    ASSERT_EQ(FindFirstFileA("nothing", &data), INVALID_HANDLE_VALUE);
    DWORD otherStart = ERROR_GEN_FAILURE;
    DWORD otherAfter = ERROR_GEN_FAILURE;
    std::thread other([&] {
        otherStart = GetLastError();
        FindFirstFileA("Missing/x", &data);
        otherAfter = GetLastError();
    });
    other.join();
    EXPECT_EQ(otherStart, ERROR_SUCCESS);
    EXPECT_EQ(otherAfter, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(WinFileTest, DeleteFileRemovesFilesOnly) {
    const struct {
        std::string path;
        BOOL result;
        DWORD error;
        const char* gone;  // what the call must remove, if anything
        const char* kept;  // what it must leave
    } cases[] = {
        {"abc.txt", TRUE, ERROR_SUCCESS, "abc.txt", "ABC"},
        {"ALPHA.zql", TRUE, ERROR_SUCCESS, "Alpha.ZQL", "aXc.zql"},
        {"link.zql", TRUE, ERROR_SUCCESS, "link.zql", "beta.zql"},
        {WindowsPath("SUB\\INNER.ZQL"), TRUE, ERROR_SUCCESS, "Sub/inner.zql", "Sub"},
        {"missing.zql", FALSE, ERROR_FILE_NOT_FOUND, nullptr, "beta.zql"},
        {"Missing/beta.zql", FALSE, ERROR_PATH_NOT_FOUND, nullptr, "beta.zql"},
        {"D:\\beta.zql", FALSE, ERROR_PATH_NOT_FOUND, nullptr, "beta.zql"},
        {"Sub", FALSE, ERROR_ACCESS_DENIED, nullptr, "Sub/Deep"},
        {"sub/deep", FALSE, ERROR_ACCESS_DENIED, nullptr, "Sub/Deep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FailOnce();
        EXPECT_EQ(DeleteFileA(c.path.c_str()), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        if (c.gone) {
            EXPECT_FALSE(Exists(c.gone));
        }
        EXPECT_TRUE(Exists(c.kept));
    }
}

TEST_F(WinFileTest, DeleteFileRefusesNullEmptyAndOverLongPaths) {
    const std::string overLong = std::string(MAX_PATH - 4, 'a') + ".zql";
    for (const char* path : {static_cast<const char*>(nullptr), "", overLong.c_str()}) {
        SCOPED_TRACE(path ? std::to_string(strlen(path)) + " bytes" : "null");
        EXPECT_FALSE(DeleteFileA(path));
        EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    }
    EXPECT_TRUE(Exists("beta.zql"));
}

TEST_F(WinFileTest, TheCurrentDirectoryIsOnDriveC) {
    const std::string expected = "C:" + std::filesystem::current_path().string();
    const DWORD needed = static_cast<DWORD>(expected.size() + 1);
    char buffer[2 * MAX_PATH];
    ASSERT_LT(needed, sizeof buffer);

    FailOnce();
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), expected.size());
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(GetCurrentDirectoryA(needed, buffer), expected.size());
    EXPECT_EQ(std::string(buffer), expected);

    // Too small: "." in as much as fits, always terminated, and the size needed.
    const struct {
        DWORD size;
        std::string written;
    } tooSmall[] = {{needed - 1, "."}, {2, "."}, {1, ""}};
    for (const auto& c : tooSmall) {
        SCOPED_TRACE(c.size);
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(GetCurrentDirectoryA(c.size, buffer), needed);
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(std::string(buffer), c.written);
    }
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetCurrentDirectoryA(0, buffer), needed);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), needed);
}

TEST_F(WinFileTest, TheRootIsTheDriveItself) {
    ASSERT_EQ(chdir("/"), 0);
    char buffer[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
    EXPECT_STREQ(buffer, "C:/");
}

TEST(WinDriveTest, OnlyDriveCIsThereAndFixed) {
    FailOnce();
    EXPECT_EQ(GetLogicalDrives(), 1u << ('C' - 'A'));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    const struct {
        const char* root;
        UINT type;
    } cases[] = {
        {"C:", DRIVE_FIXED},       {"c:", DRIVE_FIXED},       {"C:\\", DRIVE_FIXED},
        {"c:/", DRIVE_FIXED},      {nullptr, DRIVE_FIXED},    {"D:", DRIVE_NO_ROOT_DIR},
        {"d:\\", DRIVE_NO_ROOT_DIR}, {"C:/tmp", DRIVE_NO_ROOT_DIR}, {"C", DRIVE_NO_ROOT_DIR},
        {"", DRIVE_NO_ROOT_DIR},   {"C:\\\\", DRIVE_NO_ROOT_DIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root ? c.root : "(null)");
        EXPECT_EQ(GetDriveTypeA(c.root), c.type);
    }
}

TEST(WinDriveTest, VolumeInformationFillsWhatItIsGivenForDriveCOnly) {
    for (const char* root : {"C:", "c:/", "C:\\"}) {
        SCOPED_TRACE(root);
        char label[MAX_PATH];
        char fileSystem[MAX_PATH];
        memset(label, 'x', sizeof label);
        memset(fileSystem, 'x', sizeof fileSystem);
        DWORD serial = 7;
        DWORD componentLength = 0;
        DWORD flags = 7;
        FailOnce();
        EXPECT_TRUE(GetVolumeInformationA(root, label, sizeof label, &serial, &componentLength, &flags, fileSystem,
                                          sizeof fileSystem));
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        EXPECT_STREQ(label, "");
        EXPECT_GT(strlen(fileSystem), 0u);
        EXPECT_LT(strlen(fileSystem), sizeof fileSystem);
        EXPECT_EQ(serial, 0u);
        EXPECT_EQ(flags, 0u);
        // Every name a search hands out is within it.
        EXPECT_GE(componentLength, static_cast<DWORD>(NAME_MAX));
        EXPECT_LT(componentLength, MAX_PATH);
    }
    EXPECT_TRUE(GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));

    char label[MAX_PATH] = "untouched";
    EXPECT_FALSE(GetVolumeInformationA("D:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_STREQ(label, "untouched");

    char tiny[1] = {'x'};
    EXPECT_FALSE(GetVolumeInformationA("C:\\", label, sizeof label, nullptr, nullptr, nullptr, tiny, sizeof tiny));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(tiny[0], 'x');
    EXPECT_STREQ(label, "untouched");
}

}  // namespace
