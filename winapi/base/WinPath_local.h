// The path rules' pieces that the file functions share: a path taken apart with its folder
// found, a folder's entries in search order, and one entry found without regard to case.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "winapi/base/WinPath.h"

namespace winapi {

enum class PathStatus {
    kFound,
    kNoFile,    // the folder is there, the last component is not
    kNoFolder,  // a folder on the way is missing, or the drive is not C:
    kBadPath,   // null, empty or too long
};

// A path's folder as found on the host ("" for the working directory) and its last
// component as asked ("" when the path ends in a separator or is a bare drive).
struct PathTarget {
    std::string folder;
    std::string name;
};

struct FolderEntry {
    std::string name;
    bool isFolder;
};

PathStatus FindPathFolder(const char* path, PathTarget* target);

// The host path of name inside folder.
std::string JoinPath(const std::string& folder, std::string_view name);

// The entries of folder whose names keep accepts and that can be stat'ed (symbolic links
// followed), sorted: "." and ".." first, then by case-folded bytes, ties by raw bytes. False
// with errno set when the folder cannot be read.
bool ReadFolder(const std::string& folder, const std::function<bool(std::string_view name)>& keep,
                std::vector<FolderEntry>* entries);

// The entry of folder called name: the exact name when it exists, else the first case-blind
// match in sort order. With foldersOnly, files are passed over, the exact name's too.
bool FindEntry(const std::string& folder, std::string_view name, bool foldersOnly, FolderEntry* entry);

// ResolvePath with the reason of a failure.
PathStatus LookUpPath(const char* path, PathUse use, std::string* resolved);

}  // namespace winapi
