// How the layer reads the program's Windows-shaped paths on a case-sensitive file system:
//  - "C:" (either case) at the start stands for the file-system root; any other drive is a
//    missing folder. Other paths are relative to the working directory, and stay relative.
//  - '\' separates like '/'; empty components ("a//b") are skipped.
//  - Each component is found without regard to case (Windows-1252 letters, Cp1252FoldCase):
//    the exact name is tried first, and only when it is missing is the folder scanned; of
//    several matches the first by case-folded bytes, ties by raw bytes, wins. Folders are
//    looked for among folders only. Names are raw bytes: nothing is converted.
//  - A path that is null, empty or of MAX_PATH bytes or more is refused.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace winapi {

enum class PathUse {
    kExisting,  // the last component must exist
    kCreate,    // a missing last component keeps the case it was asked with
};

// The host path of a Windows-shaped path by the rules above; with kCreate the folder must
// exist but the last component need not. False with errno set (EINVAL for null, ENOENT for
// empty or missing, ENAMETOOLONG) and resolved untouched when it cannot be found.
bool ResolvePath(const char* path, PathUse use, std::string* resolved);

// fopen of a resolved path: reading modes ("r...") need the file to exist, writing modes
// ("w...", "a...") create a missing one under its asked name in the folder found. Null with
// errno set when the path cannot be resolved or the mode is not one of these.
FILE* FileOpen(const char* path, const char* mode);

// Whether a name matches a search pattern's last component: '*' stands for any run of bytes,
// '?' for exactly one, other bytes match without regard to case. A pattern ending in ".*"
// also matches a name without a dot, so "*.*" matches every name. Time grows with the
// product of the two lengths at worst.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace winapi
