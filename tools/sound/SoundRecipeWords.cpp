#include "tools/sound/SoundRecipeWords.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

bool SplitRecipeLine(const std::string& line, std::vector<std::string>* words) {
    words->clear();
    std::string word;
    bool bQuoted = false;
    for (const char c : line) {
        // "#" starts a comment where a word would start; inside a word it is part of it, as
        // in the sharp note C#5.
        if (!bQuoted && (c == ' ' || c == '\t' || c == '\r' || (c == '#' && word.empty()))) {
            if (!word.empty())
                words->push_back(word);
            word.clear();
            if (c == '#')
                return true;
            continue;
        }
        if (c == '"')
            bQuoted = !bQuoted;
        word += c;
    }
    if (!word.empty())
        words->push_back(word);
    return !bQuoted;
}

bool ReadPlainDecimal(const std::string& word, double* value) {
    const size_t digits = word.size() - static_cast<size_t>(word.find('.') != std::string::npos);
    if (digits == 0 || word.size() > 12 || word.find_first_not_of("0123456789.") != std::string::npos ||
        word.find('.') != word.rfind('.'))
        return false;
    *value = strtod(word.c_str(), nullptr);
    return true;
}

bool ReadQuoted(const std::string& word, std::string* text) {
    if (word.size() < 2 || word.front() != '"' || word.back() != '"' || word.find('"', 1) != word.size() - 1)
        return false;
    *text = word.substr(1, word.size() - 2);
    return true;
}

bool ReadNoteName(const std::string& word, double* hertz) {
    // Semitones of the natural notes above A in their octave (which starts at C).
    static const int kFromA[] = {0, 2, -9, -7, -5, -4, -2};  // A B C D E F G
    if (word.size() < 2 || word.size() > 3 || word[0] < 'A' || word[0] > 'G')
        return false;
    int semitones = kFromA[word[0] - 'A'];
    if (word.size() == 3) {
        if (word[1] != '#' && word[1] != 'b')
            return false;
        semitones += word[1] == '#' ? 1 : -1;
    }
    const char octave = word.back();
    if (octave < '0' || octave > '8')
        return false;
    semitones += 12 * (octave - '4');
    *hertz = 440.0 * std::pow(2.0, semitones / 12.0);
    return true;
}

std::string ShortNumber(double value) {
    char text[32];
    snprintf(text, sizeof text, "%g", value);
    return text;
}
