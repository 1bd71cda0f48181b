// The words of a sound recipe's lines and the values they spell: plain decimals, whole
// numbers (tools/ToolWords.h), quoted paths and note names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/ToolWords.h"

// The line's words, split at blanks and ended by a "#" where a word would start; a
// double-quoted stretch belongs to the word it stands in, quotes and all, and may hold blanks
// and "#". false for a quote left open.
bool SplitRecipeLine(const std::string& line, std::vector<std::string>* words);
// Digits with at most one point: no sign, exponent or hex, at most twelve characters.
bool ReadPlainDecimal(const std::string& word, double* value);
// What stands between the quotes of a word that is one quoted stretch.
bool ReadQuoted(const std::string& word, std::string* text);
// A note of equal temperament with A4 at 440 hertz: a letter A to G, an optional "#" or "b",
// an octave 0 to 8.
bool ReadNoteName(const std::string& word, double* hertz);
// A number as a message shows it: at most six significant digits, no trailing zeros.
std::string ShortNumber(double value);
