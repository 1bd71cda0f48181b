// The readable form of an icon: a "size" line, "colour" lines mapping a pixel letter to RGBA
// in hex, then one row of letters per pixel row, top first. "#" starts a comment line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CIconImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width x height pixels, 4 bytes each
};

// false with a message naming the line when the text is not a well-formed icon.
bool ParseIconText(const std::string& text, CIconImage* icon, std::string* error);
