// Writes RGBA pictures as compressed PNG files through libpng, so that rendered frames can be
// looked at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixels: width x height words 0xAARRGGBB, rows top first. False when the file cannot be
// written.
bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

struct PixelFrame;

// The picture programs' last step: the frame written to out and the file named on stdout; 0,
// or 1 with the reason on stderr under the program's name.
int WriteFramePng(const char* program, const std::string& out, const PixelFrame& frame);
