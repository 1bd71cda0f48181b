#include "engine/core/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "engine/core/AtomicFileTestHooks.h"
#include "winapi/base/WinPath.h"

namespace {

constexpr char kTemporaryInfix[] = ".tmp-";
constexpr size_t kTemporaryUniqueLength = 6;  // mkstemp's XXXXXX
bool g_failCommits = false;

// The mode a plain fopen gives a new file.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The rename is only lasting once the folder itself is on the disk.
void SyncFolder(const std::string& folder) {
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        return;
    fsync(descriptor);
    close(descriptor);
}

}  // namespace

void SetAtomicFileCommitFailure(bool fail) {
    g_failCommits = fail;
}

CAtomicFile::~CAtomicFile() {
    Abandon();
}

int CAtomicFile::Open(const char* path) {
    Abandon();
    // An existing case variant is the file to replace; a new file keeps the asked case.
    if (!winapi::ResolvePath(path, winapi::PathUse::kCreate, &m_path))
        return 0;
    mode_t mode = NewFileMode();
    struct stat existing;
    if (stat(m_path.c_str(), &existing) == 0) {
        // Replacing a file the process may not write would take its protection away.
        if (!S_ISREG(existing.st_mode) || access(m_path.c_str(), W_OK) != 0)
            return 0;
        mode = existing.st_mode & 07777;
    }

    std::vector<char> temporary(m_path.begin(), m_path.end());
    const std::string suffix = std::string(kTemporaryInfix) + std::string(kTemporaryUniqueLength, 'X');
    temporary.insert(temporary.end(), suffix.begin(), suffix.end());
    temporary.push_back('\0');
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return 0;
    m_temporaryPath = temporary.data();
    // mkstemp makes the file private to its owner; the destination's mode is the one to keep.
    if (fchmod(descriptor, mode) != 0 || !(m_pStream = fdopen(descriptor, "wb"))) {
        close(descriptor);
        unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
        return 0;
    }
    return 1;
}

int CAtomicFile::Write(const void* data, size_t size) {
    if (!m_pStream)
        return 0;
    return size == 0 || fwrite(data, 1, size, m_pStream) == size ? 1 : 0;
}

int CAtomicFile::Commit() {
    if (!m_pStream)
        return 0;
    const bool written =
        !g_failCommits && fflush(m_pStream) == 0 && !ferror(m_pStream) && fsync(fileno(m_pStream)) == 0;
    const bool closed = fclose(m_pStream) == 0;
    m_pStream = nullptr;
    if (!written || !closed || rename(m_temporaryPath.c_str(), m_path.c_str()) != 0) {
        unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
        return 0;
    }
    m_temporaryPath.clear();
    SyncFolder(FolderOf(m_path));
    RemoveLeftovers();
    return 1;
}

void CAtomicFile::RemoveLeftovers() const {
    const std::string folder = FolderOf(m_path);
    const std::string prefix = NameOf(m_path) + kTemporaryInfix;
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = readdir(directory)) {
        const size_t length = strlen(entry->d_name);
        if (length == prefix.size() + kTemporaryUniqueLength && strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            leftovers.push_back(folder + "/" + entry->d_name);
    }
    closedir(directory);
    for (const std::string& leftover : leftovers)
        unlink(leftover.c_str());
}

void CAtomicFile::Abandon() {
    if (m_pStream) {
        fclose(m_pStream);
        m_pStream = nullptr;
    }
    if (!m_temporaryPath.empty()) {
        unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}

int WriteWholeFileAtomically(const char* path, const void* bytes, size_t size) {
    if (!path || (size > 0 && !bytes))
        return 0;
    CAtomicFile file;
    return file.Open(path) && file.Write(bytes, size) && file.Commit() ? 1 : 0;
}
