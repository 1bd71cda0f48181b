#include "tests/support/GameRoot.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "engine/core/ScriptCipher.h"
#include "engine/core/ValueScript.h"

GameRoot::GameRoot() {
    m_previous = std::filesystem::current_path().string();
    std::filesystem::create_directories(m_dir.File("scripts/config"));
    if (chdir(m_dir.Path().c_str()) != 0) {
        perror("chdir");
        abort();
    }
}

GameRoot::~GameRoot() {
    if (chdir(m_previous.c_str()) != 0)
        perror("chdir");
}

bool GameRoot::CopyFrom(const std::string& folder, std::string* error) const {
    std::error_code failure;
    std::filesystem::copy(folder, File("."),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                          failure);
    if (failure && error)
        *error = "cannot copy " + folder + ": " + failure.message();
    return !failure;
}

std::vector<std::string> LogFailureLines(const std::string& logText) {
    static const char* const kMarkers[] = {"failed", "FAILED", "NOT successful", "ERROR"};
    std::vector<std::string> failures;
    for (size_t start = 0; start < logText.size();) {
        const size_t end = std::min(logText.find('\n', start), logText.size());
        const std::string line = logText.substr(start, end - start);
        start = end + 1;
        for (const char* marker : kMarkers) {
            if (line.find(marker) != std::string::npos) {
                failures.push_back(line);
                break;
            }
        }
    }
    return failures;
}

std::string ScriptText(const char* block, const std::vector<const char*>& lines) {
    std::string text = NewScriptText() + "[" + block + "]\r\n";
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text + "\r\n";
}

std::string NewScriptText() {
    return CValueScript::kNewFileText;
}

void WriteUnreadableScript(const std::string& path, const char* key) {
    const int keyLength = static_cast<int>(strlen(key));
    std::vector<uint8_t> bytes(static_cast<size_t>(keyLength));
    CScriptCipher cipher;
    const int written = cipher.Transform(CScriptCipher::kEncipher, nullptr, 0, bytes.data(), key, keyLength);
    bytes.resize(static_cast<size_t>(written));
    WriteBytes(path, bytes.data(), bytes.size());
}
