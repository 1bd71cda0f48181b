// A game root in a fresh folder that is the working directory while it lives, with the
// helpers to write its start-up scripts.
#pragma once

#include <string>
#include <vector>

#include "tests/support/TempDir.h"

class GameRoot {
public:
    // Holds an empty scripts/config folder.
    GameRoot();
    GameRoot(const GameRoot&) = delete;
    GameRoot& operator=(const GameRoot&) = delete;
    // Returns to the previous working directory before the folder goes.
    ~GameRoot();

    std::string File(const std::string& relative) const { return m_dir.File(relative); }
    // Copies a data set (or another root) into this one, over what it holds under the same
    // names; false with the reason in error, when given, when the copy fails.
    bool CopyFrom(const std::string& folder, std::string* error = nullptr) const;

private:
    TempDir m_dir;
    std::string m_previous;
};

constexpr const char* kSystemScript = "scripts/config/sysinit.vsc";
constexpr const char* kDisplayScript = "scripts/config/3dinit.vsc";
constexpr const char* kLogFile = "Game.log";

// The lines of a start-up log that tell of a failure: a failed step, a script that does not
// load or decipher, an error the scripter reports. Without their line ends.
std::vector<std::string> LogFailureLines(const std::string& logText);

// A plain script file holding one block with these "Key = value" lines.
std::string ScriptText(const char* block, const std::vector<const char*>& lines);
// What a script file holds that was created and never saved.
std::string NewScriptText();
// An enciphered script no longer than the key: the one kind of file a script load rejects.
void WriteUnreadableScript(const std::string& path, const char* key);
