// make_font outline <font.ttf> <out.fnt>
// make_font cells <font.ttf> <cell height> <out.fnt> <out.tga>
// Writes the engine's font files for the Windows-1252 characters of a TrueType font: the
// outline form, or the bitmap-cell form with its texture. Files are written aside and
// renamed into place.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/ToolFiles.h"
#include "tools/font/FontConverter.h"

namespace {

constexpr char kTool[] = "make_font";

int Usage() {
    fprintf(stderr,
            "usage: make_font outline <font.ttf> <out.fnt>\n"
            "       make_font cells <font.ttf> <cell height> <out.fnt> <out.tga>\n");
    return 2;
}

int Fail(const std::string& error) {
    fprintf(stderr, "%s: %s\n", kTool, error.c_str());
    return 1;
}

bool Write(const char* path, const std::vector<uint8_t>& bytes) {
    return WriteToolOutput(kTool, path, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    if (argc == 4 && strcmp(argv[1], "outline") == 0) {
        COutlineFont font;
        if (!MakeOutlineFont(argv[2], &font, &error))
            return Fail(error);
        return Write(argv[3], EncodeOutlineFont(font)) ? 0 : 1;
    }
    if (argc == 6 && strcmp(argv[1], "cells") == 0) {
        char* end = nullptr;
        const long cellHeight = strtol(argv[3], &end, 10);
        if (!*argv[3] || *end || cellHeight < 4 || cellHeight > 1024)
            return Fail(std::string("the cell height must be a number from 4 to 1024, not ") + argv[3]);
        CCellFont font;
        if (!MakeCellFont(argv[2], static_cast<int>(cellHeight), &font, &error))
            return Fail(error);
        return Write(argv[5], EncodeCellTexture(font)) && Write(argv[4], EncodeCellFont(font)) ? 0 : 1;
    }
    return Usage();
}
