#include "tools/icon/IconText.h"

#include <cctype>
#include <map>
#include <sstream>

namespace {

constexpr int kMaxSide = 256;

bool Fail(std::string* error, int line, const std::string& message) {
    *error = "line " + std::to_string(line) + ": " + message;
    return false;
}

bool ParseHexColour(const std::string& hex, uint32_t* colour) {
    if (hex.size() != 8)
        return false;
    for (char c : hex) {
        if (!isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    *colour = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
    return true;
}

}  // namespace

bool ParseIconText(const std::string& text, CIconImage* icon, std::string* error) {
    std::map<char, uint32_t> palette;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    int rows = 0;
    *icon = CIconImage{};
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "size") {
            if (icon->width || !(words >> icon->width >> icon->height) || icon->width < 1 || icon->height < 1 ||
                icon->width > kMaxSide || icon->height > kMaxSide)
                return Fail(error, lineNumber, "expected one \"size <width> <height>\" of 1 to 256");
            icon->rgba.reserve(static_cast<size_t>(icon->width * icon->height) * 4);
            continue;
        }
        if (keyword == "colour") {
            std::string letter;
            std::string hex;
            uint32_t colour = 0;
            if (!(words >> letter >> hex) || letter.size() != 1 || !ParseHexColour(hex, &colour))
                return Fail(error, lineNumber, "expected \"colour <letter> <RRGGBBAA>\"");
            palette[letter[0]] = colour;
            continue;
        }
        if (!icon->width)
            return Fail(error, lineNumber, "pixel rows before the size");
        if (rows == icon->height)
            return Fail(error, lineNumber, "more than " + std::to_string(icon->height) + " rows");
        if (static_cast<int>(line.size()) != icon->width)
            return Fail(error, lineNumber, "a row must have " + std::to_string(icon->width) + " pixels");
        for (char letter : line) {
            const auto found = palette.find(letter);
            if (found == palette.end())
                return Fail(error, lineNumber, std::string("no colour for the letter '") + letter + "'");
            for (int shift = 24; shift >= 0; shift -= 8)
                icon->rgba.push_back(static_cast<uint8_t>(found->second >> shift));
        }
        ++rows;
    }
    if (!icon->width || rows != icon->height)
        return Fail(error, lineNumber, "the picture has " + std::to_string(rows) + " of its rows");
    return true;
}
