// The TGA files the tools write: true colour without a colour map or an id field, rows top
// first (descriptor 0x20, or 0x28 with eight alpha bits), plain (type 2) or run-length
// encoded (type 10).
#pragma once

#include <cstdint>
#include <vector>

enum class ETgaEncoding { kPlain, kRunLength };

// `pixels` holds width x height pixels of `bytesPerPixel` (3: R, G, B; 4: R, G, B, A), rows
// top first; the file stores them B, G, R(, A). Run-length packets never cross a row end, as
// the format asks of writers, so every reader takes them.
std::vector<uint8_t> EncodeTga(uint32_t width, uint32_t height, uint32_t bytesPerPixel, const uint8_t* pixels,
                               ETgaEncoding encoding);
