// The file-system calls the engine makes, over POSIX: folder searches, one fixed drive, the
// working directory, deleting a file and the thread's last error. Paths follow the rules of
// winapi/base/WinPath.h: "C:" is the root, '\' separates like '/', names match without
// regard to case.
#pragma once

#include "winapi/base/WinTypes.h"

// Paths and patterns of this many bytes or more are refused.
constexpr DWORD MAX_PATH = 260;

constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
// A file with no other attribute: everything found that is not a folder.
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// Drive types.
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_FIXED = 3;

// Last errors.
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;

// One entry a search found.
struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    char cFileName[MAX_PATH];
};

// Folder searches. The pattern's last component may hold '*' and '?' (without regard to
// case); one ending in ".*" also matches names without a dot. A last component without
// wildcards finds that entry itself. The first call reads the whole folder; the matches come
// sorted by their case-folded bytes, ties by raw bytes, with "." and ".." first (never at the
// root). Entries that cannot be stat'ed are left out; symbolic links are followed.
// FindFirstFileA fails with INVALID_HANDLE_VALUE; FindNextFileA fails with
// ERROR_NO_MORE_FILES at the end, and again on every call after it.
HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData);
BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* findData);
BOOL FindClose(HANDLE findFile);

// The one drive, C:, is fixed and stands for the file-system root. A root is "C:", "C:\" or
// "C:/" in either case; null names the current drive, which is C:.
DWORD GetLogicalDrives();
UINT GetDriveTypeA(LPCSTR rootPathName);
// Fills the buffers it is given: no label, serial 0, "POSIX" as the file system. Fails for
// other drives, and when a buffer given is too small (ERROR_INSUFFICIENT_BUFFER).
BOOL GetVolumeInformationA(LPCSTR rootPathName, char* volumeName, DWORD volumeNameSize, DWORD* serialNumber,
                           DWORD* maximumComponentLength, DWORD* fileSystemFlags, char* fileSystemName,
                           DWORD fileSystemNameSize);

// "C:" and the working directory with '/' ("C:/" at the root): the length without the
// terminator. When it does not fit, the buffer gets "." (as much of it as fits, always
// terminated; nothing for size 0) and the result is the size needed with the terminator,
// with ERROR_INSUFFICIENT_BUFFER. 0 when the working directory cannot be read.
DWORD GetCurrentDirectoryA(DWORD bufferSize, char* buffer);

// Deletes a file, never a folder (ERROR_ACCESS_DENIED); a symbolic link itself is deleted.
BOOL DeleteFileA(LPCSTR fileName);

// The last error of the calls above on this thread: ERROR_SUCCESS after every success.
DWORD GetLastError();
