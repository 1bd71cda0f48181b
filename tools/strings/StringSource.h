// The readable source of the string table: UTF-8, LF or CR LF line ends, entries of a key line,
// a "{" line, the text's lines as they are to read and a "}" line:
//   # a comment, outside a text
//   MenuStart
//   {
//   Start the lab
//   }
// Blank lines between entries are skipped. Keys and texts are checked against what the game's
// reader would cut, skip or lose, and converted to Windows-1252.
#pragma once

#include <string>
#include <vector>

// The longest key the game keeps whole.
constexpr size_t kMaxStringKeyLength = 127;

struct CStringSourceEntry {
    std::string key;   // Windows-1252
    std::string text;  // Windows-1252, its lines joined with CR LF
    int line = 0;      // the key's, for messages
};

// Appends the source's entries in source order; false with "line <n>: <why>" in *error and
// entries unchanged when the source is refused. Repeated keys are left to the caller, which
// sees every source.
bool ParseStringSource(const std::string& source, std::vector<CStringSourceEntry>* entries, std::string* error);
