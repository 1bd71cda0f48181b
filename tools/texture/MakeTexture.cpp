// make_texture <recipe> <out.tga>: paints the texture a recipe describes and writes it as a
// TGA file the engine reads. Refusals name the recipe's file and line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/FileBytes.h"
#include "tools/texture/TexturePainter.h"

int main(int argc, char** argv) {
    if (argc != 3 || !*argv[1] || !*argv[2]) {
        fprintf(stderr, "usage: make_texture <recipe> <out.tga>\n");
        return 2;
    }
    std::vector<uint8_t> textBytes;
    if (!ReadFileBytes(argv[1], &textBytes)) {
        fprintf(stderr, "make_texture: cannot read %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    std::vector<uint8_t> bytes;
    int line = 0;
    std::string error;
    if (!MakeTextureFromRecipe(std::string(textBytes.begin(), textBytes.end()), &bytes, &line, &error)) {
        fprintf(stderr, "make_texture: %s:%d: %s\n", argv[1], line, error.c_str());
        return 1;
    }
    // Written aside and renamed, so a failed run never leaves half a texture.
    CAtomicFile out;
    if (!out.Open(argv[2]) || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        fprintf(stderr, "make_texture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
