#include "tests/support/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "tests/support/PixelFrame.h"

namespace {

// The rows as libpng wants them: bytes R, G, B, A.
std::vector<uint8_t> RgbaBytes(const std::vector<uint32_t>& pixels, size_t count) {
    std::vector<uint8_t> bytes(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        bytes[4 * i + 0] = static_cast<uint8_t>(p >> 16);
        bytes[4 * i + 1] = static_cast<uint8_t>(p >> 8);
        bytes[4 * i + 2] = static_cast<uint8_t>(p);
        bytes[4 * i + 3] = static_cast<uint8_t>(p >> 24);
    }
    return bytes;
}

// libpng reports failures by longjmp; nothing with a destructor lives in this frame, so the
// jump skips none. The rows are made by the caller.
bool WriteRows(FILE* file, std::vector<png_bytep>& rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    std::vector<uint8_t> bytes = RgbaBytes(pixels, static_cast<size_t>(width) * static_cast<size_t>(height));
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = bytes.data() + y * static_cast<size_t>(width) * 4;

    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = WriteRows(file, rows, width, height);
    return fclose(file) == 0 && written;
}

int WriteFramePng(const char* program, const std::string& out, const PixelFrame& frame) {
    if (!WritePng(out, frame.pixels, frame.width, frame.height)) {
        fprintf(stderr, "%s: cannot write %s\n", program, out.c_str());
        return 1;
    }
    printf("%s: wrote %s (%dx%d)\n", program, out.c_str(), frame.width, frame.height);
    return 0;
}
