// make_texture <recipe> <out.tga>: paints the texture a recipe describes and writes it as a
// TGA file the engine reads. Refusals name the recipe's file and line.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/ToolFiles.h"
#include "tools/texture/TexturePainter.h"

int main(int argc, char** argv) {
    if (argc != 3 || !*argv[1] || !*argv[2]) {
        fprintf(stderr, "usage: make_texture <recipe> <out.tga>\n");
        return 2;
    }
    std::string recipe;
    if (!ReadToolInput("make_texture", argv[1], &recipe))
        return 1;
    std::vector<uint8_t> bytes;
    int line = 0;
    std::string error;
    if (!MakeTextureFromRecipe(recipe, &bytes, &line, &error)) {
        fprintf(stderr, "make_texture: %s:%d: %s\n", argv[1], line, error.c_str());
        return 1;
    }
    return WriteToolOutput("make_texture", argv[2], bytes.data(), bytes.size()) ? 0 : 1;
}
