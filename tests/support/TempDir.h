// A fresh folder for one test's files, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& Path() const { return m_path; }
    // The path of a file inside the folder.
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // The names of everything in the folder, sorted: shows that a writer left nothing behind.
    std::vector<std::string> Names() const;

private:
    std::string m_path;
};

// Whole-file helpers for fixtures; ReadBytes gives an empty vector for a missing file.
std::vector<unsigned char> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const void* data, size_t size);
void WriteText(const std::string& path, const std::string& text);
// The text with every "\n" made CR LF, as the game's scripts are written.
std::string Crlf(const std::string& text);
bool FileExists(const std::string& path);
