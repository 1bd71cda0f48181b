// The values the data tools' readable texts spell in their words.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

// Digits only (no sign, blank or exponent), at most `most`.
inline bool ReadWholeNumber(const std::string& word, uint64_t most, uint64_t* value) {
    if (word.empty() || word.size() > 19 || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const uint64_t parsed = strtoull(word.c_str(), nullptr, 10);
    if (parsed > most)
        return false;
    *value = parsed;
    return true;
}
