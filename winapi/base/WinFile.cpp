#include "winapi/base/WinFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "winapi/base/WinPath_local.h"

using winapi::FolderEntry;
using winapi::PathStatus;

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

BOOL Succeed() {
    t_lastError = ERROR_SUCCESS;
    return TRUE;
}

BOOL Fail(DWORD error) {
    t_lastError = error;
    return FALSE;
}

DWORD ErrorOfErrno(int error) {
    switch (error) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EBUSY:
            return ERROR_ACCESS_DENIED;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_GEN_FAILURE;
    }
}

DWORD ErrorOfStatus(PathStatus status) {
    return status == PathStatus::kNoFile ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

// A search's matches, read at its start, and the next one to hand out.
struct Search {
    std::vector<FolderEntry> matches;
    size_t next;
};

// Handles are numbers that are never reused, so a closed or made-up handle is known as bad
// without reading through it.
struct SearchTable {
    std::mutex lock;
    std::unordered_map<uintptr_t, Search> searches;
    uintptr_t nextHandle = 1;
};

SearchTable& Searches() {
    static SearchTable table;
    return table;
}

void FillFindData(const FolderEntry& entry, WIN32_FIND_DATAA* findData) {
    *findData = {};
    findData->dwFileAttributes = entry.isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    memcpy(findData->cFileName, entry.name.c_str(), entry.name.size() + 1);
}

bool HasWildcard(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

bool IsFileSystemRoot(const std::string& folder) {
    struct stat root;
    struct stat status;
    return stat("/", &root) == 0 && stat(folder.empty() ? "." : folder.c_str(), &status) == 0 &&
           root.st_dev == status.st_dev && root.st_ino == status.st_ino;
}

bool IsDriveRoot(const char* root) {
    return (root[0] == 'C' || root[0] == 'c') && root[1] == ':' &&
           (root[2] == '\0' || ((root[2] == '\\' || root[2] == '/') && root[3] == '\0'));
}

// Whether text fits a buffer the caller gave; a buffer left out (null) takes anything.
bool FitsBuffer(const char* text, const char* buffer, DWORD size) {
    return !buffer || strlen(text) < size;
}

void CopyToBuffer(const char* text, char* buffer) {
    if (buffer)
        memcpy(buffer, text, strlen(text) + 1);
}

bool ReadWorkingDirectory(std::string* directory) {
    std::vector<char> buffer(PATH_MAX);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return false;
        buffer.resize(buffer.size() * 2);
    }
    *directory = buffer.data();
    return true;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) {
    if (!findData) {
        Fail(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    winapi::PathTarget target;
    const PathStatus status = winapi::FindPathFolder(fileName, &target);
    if (status != PathStatus::kFound) {
        Fail(ErrorOfStatus(status));
        return INVALID_HANDLE_VALUE;
    }

    std::vector<FolderEntry> matches;
    if (!HasWildcard(target.name)) {
        FolderEntry entry;
        if (!target.name.empty() && winapi::FindEntry(target.folder, target.name, false, &entry))
            matches.push_back(std::move(entry));
    } else {
        const auto matchesPattern = [&target](std::string_view name) {
            return name.size() < MAX_PATH && winapi::MatchesWildcard(target.name, name);
        };
        if (!winapi::ReadFolder(target.folder, matchesPattern, &matches)) {
            Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorOfErrno(errno));
            return INVALID_HANDLE_VALUE;
        }
        // The drive's root has no parent to list.
        if (IsFileSystemRoot(target.folder))
            std::erase_if(matches, [](const FolderEntry& entry) { return entry.name == "." || entry.name == ".."; });
    }
    if (matches.empty()) {
        Fail(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    FillFindData(matches.front(), findData);
    SearchTable& table = Searches();
    const std::lock_guard<std::mutex> hold(table.lock);
    const uintptr_t handle = table.nextHandle++;
    table.searches.emplace(handle, Search{std::move(matches), 1});
    Succeed();
    return reinterpret_cast<HANDLE>(handle);
}

BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* findData) {
    SearchTable& table = Searches();
    const std::lock_guard<std::mutex> hold(table.lock);
    const auto found = table.searches.find(reinterpret_cast<uintptr_t>(findFile));
    if (found == table.searches.end())
        return Fail(ERROR_INVALID_HANDLE);
    if (!findData)
        return Fail(ERROR_INVALID_PARAMETER);
    Search& search = found->second;
    if (search.next >= search.matches.size())
        return Fail(ERROR_NO_MORE_FILES);
    FillFindData(search.matches[search.next++], findData);
    return Succeed();
}

BOOL FindClose(HANDLE findFile) {
    SearchTable& table = Searches();
    const std::lock_guard<std::mutex> hold(table.lock);
    if (table.searches.erase(reinterpret_cast<uintptr_t>(findFile)) == 0)
        return Fail(ERROR_INVALID_HANDLE);
    return Succeed();
}

DWORD GetLogicalDrives() {
    Succeed();
    return 1u << ('C' - 'A');
}

UINT GetDriveTypeA(LPCSTR rootPathName) {
    Succeed();
    return !rootPathName || IsDriveRoot(rootPathName) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

BOOL GetVolumeInformationA(LPCSTR rootPathName, char* volumeName, DWORD volumeNameSize, DWORD* serialNumber,
                           DWORD* maximumComponentLength, DWORD* fileSystemFlags, char* fileSystemName,
                           DWORD fileSystemNameSize) {
    static const char kLabel[] = "";
    static const char kFileSystem[] = "POSIX";
    if (rootPathName && !IsDriveRoot(rootPathName))
        return Fail(ERROR_PATH_NOT_FOUND);
    if (!FitsBuffer(kLabel, volumeName, volumeNameSize) || !FitsBuffer(kFileSystem, fileSystemName, fileSystemNameSize))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    CopyToBuffer(kLabel, volumeName);
    CopyToBuffer(kFileSystem, fileSystemName);
    if (serialNumber)
        *serialNumber = 0;
    if (maximumComponentLength)
        *maximumComponentLength = NAME_MAX;
    if (fileSystemFlags)
        *fileSystemFlags = 0;
    return Succeed();
}

DWORD GetCurrentDirectoryA(DWORD bufferSize, char* buffer) {
    std::string directory;
    if (!ReadWorkingDirectory(&directory)) {
        Fail(ErrorOfErrno(errno));
        return 0;
    }
    const std::string text = "C:" + directory;
    if (buffer && bufferSize > text.size()) {
        memcpy(buffer, text.c_str(), text.size() + 1);
        Succeed();
        return static_cast<DWORD>(text.size());
    }
    // "." still names the working directory for a caller that does not look at the result.
    if (buffer && bufferSize > 0) {
        buffer[0] = bufferSize > 1 ? '.' : '\0';
        if (bufferSize > 1)
            buffer[1] = '\0';
    }
    Fail(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<DWORD>(text.size() + 1);
}

BOOL DeleteFileA(LPCSTR fileName) {
    std::string resolved;
    const PathStatus status = winapi::LookUpPath(fileName, winapi::PathUse::kExisting, &resolved);
    if (status != PathStatus::kFound)
        return Fail(ErrorOfStatus(status));
    struct stat info;
    if (stat(resolved.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return Fail(ERROR_ACCESS_DENIED);
    if (unlink(resolved.c_str()) != 0)
        return Fail(ErrorOfErrno(errno));
    return Succeed();
}

DWORD GetLastError() {
    return t_lastError;
}
