#include "winapi/base/WinPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "winapi/base/Cp1252.h"
#include "winapi/base/WinFile.h"
#include "winapi/base/WinPath_local.h"

namespace winapi {

namespace {

unsigned char Fold(char c) {
    return Cp1252FoldCase(static_cast<unsigned char>(c));
}

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    }
    return true;
}

int CompareFolded(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        if (Fold(a[i]) != Fold(b[i]))
            return Fold(a[i]) < Fold(b[i]) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// "." and ".." lead whatever bytes the other names start with.
int DotRank(std::string_view name) {
    return name == "." ? 0 : (name == ".." ? 1 : 2);
}

bool InSearchOrder(const FolderEntry& a, const FolderEntry& b) {
    if (DotRank(a.name) != DotRank(b.name))
        return DotRank(a.name) < DotRank(b.name);
    const int folded = CompareFolded(a.name, b.name);
    if (folded != 0)
        return folded < 0;
    return std::string_view(a.name) < std::string_view(b.name);  // char_traits compares bytes unsigned
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The two-index match: on a mismatch only the latest '*' takes one byte more and the rest of
// the pattern is tried again from there. Earlier stars never need retrying, since whatever
// they would take on the latest one can take instead; the work stays within the product
// of the two lengths.
bool MatchesPlainly(std::string_view pattern, std::string_view name) {
    size_t p = 0;
    size_t n = 0;
    size_t star = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace

PathStatus FindPathFolder(const char* path, PathTarget* target) {
    if (!path || !*path || strnlen(path, MAX_PATH) >= MAX_PATH)
        return PathStatus::kBadPath;
    std::string text(path);
    std::replace(text.begin(), text.end(), '\\', '/');

    std::string folder;
    std::string_view rest = text;
    if (rest.size() >= 2 && rest[1] == ':' && IsDriveLetter(rest[0])) {
        if (Cp1252FoldCase(static_cast<unsigned char>(rest[0])) != 'c')
            return PathStatus::kNoFolder;
        // push_back rather than assigning "/": gcc 12 at -O3 warns wrongly about the assignment.
        folder.push_back('/');
        rest.remove_prefix(2);
    } else if (rest[0] == '/') {
        folder.push_back('/');
    }

    const size_t lastSlash = rest.rfind('/');
    const std::string_view name = lastSlash == std::string_view::npos ? rest : rest.substr(lastSlash + 1);
    std::string_view folders = lastSlash == std::string_view::npos ? std::string_view() : rest.substr(0, lastSlash);
    while (!folders.empty()) {
        const size_t slash = folders.find('/');
        const std::string_view component = folders.substr(0, slash);
        folders = slash == std::string_view::npos ? std::string_view() : folders.substr(slash + 1);
        if (component.empty())
            continue;
        FolderEntry entry;
        if (!FindEntry(folder, component, true, &entry))
            return PathStatus::kNoFolder;
        folder = JoinPath(folder, entry.name);
    }
    target->folder = std::move(folder);
    target->name = std::string(name);
    return PathStatus::kFound;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    if (folder.empty())
        return std::string(name);
    std::string joined = folder;
    if (joined.back() != '/')
        joined += '/';
    joined += name;
    return joined;
}

bool ReadFolder(const std::string& folder, const std::function<bool(std::string_view name)>& keep,
                std::vector<FolderEntry>* entries) {
    entries->clear();
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    const int descriptor = dirfd(dir);
    while (const dirent* found = readdir(dir)) {
        if (!keep(found->d_name))
            continue;
        struct stat status;
        if (fstatat(descriptor, found->d_name, &status, 0) != 0)
            continue;
        entries->push_back({found->d_name, S_ISDIR(status.st_mode)});
    }
    closedir(dir);
    std::sort(entries->begin(), entries->end(), InSearchOrder);
    return true;
}

bool FindEntry(const std::string& folder, std::string_view name, bool foldersOnly, FolderEntry* entry) {
    struct stat status;
    if (stat(JoinPath(folder, name).c_str(), &status) == 0 && (!foldersOnly || S_ISDIR(status.st_mode))) {
        *entry = {std::string(name), S_ISDIR(status.st_mode)};
        return true;
    }
    std::vector<FolderEntry> matches;
    if (!ReadFolder(folder, [name](std::string_view candidate) { return EqualFolded(candidate, name); }, &matches))
        return false;
    for (FolderEntry& match : matches) {
        if (!foldersOnly || match.isFolder) {
            *entry = std::move(match);
            return true;
        }
    }
    return false;
}

PathStatus LookUpPath(const char* path, PathUse use, std::string* resolved) {
    PathTarget target;
    const PathStatus status = FindPathFolder(path, &target);
    if (status != PathStatus::kFound)
        return status;
    // A path ending in a separator names its folder.
    if (target.name.empty()) {
        *resolved = target.folder.empty() ? "." : target.folder;
        return PathStatus::kFound;
    }
    FolderEntry entry;
    if (FindEntry(target.folder, target.name, false, &entry)) {
        *resolved = JoinPath(target.folder, entry.name);
        return PathStatus::kFound;
    }
    if (use == PathUse::kCreate) {
        *resolved = JoinPath(target.folder, target.name);
        return PathStatus::kFound;
    }
    return PathStatus::kNoFile;
}

bool ResolvePath(const char* path, PathUse use, std::string* resolved) {
    if (!resolved) {
        errno = EINVAL;
        return false;
    }
    std::string found;
    switch (LookUpPath(path, use, &found)) {
        case PathStatus::kFound:
            *resolved = std::move(found);
            return true;
        case PathStatus::kBadPath:
            errno = !path ? EINVAL : (*path ? ENAMETOOLONG : ENOENT);
            return false;
        case PathStatus::kNoFile:
        case PathStatus::kNoFolder:
            break;
    }
    errno = ENOENT;
    return false;
}

FILE* FileOpen(const char* path, const char* mode) {
    if (!mode || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
        errno = EINVAL;
        return nullptr;
    }
    std::string resolved;
    if (!ResolvePath(path, mode[0] == 'r' ? PathUse::kExisting : PathUse::kCreate, &resolved))
        return nullptr;
    return fopen(resolved.c_str(), mode);
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (MatchesPlainly(pattern, name))
        return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           name.find('.') == std::string_view::npos && MatchesPlainly(pattern.substr(0, pattern.size() - 2), name);
}

}  // namespace winapi
