// make_sound <recipe> <out.wav|out.ogg>: synthesises the sound a recipe describes, or encodes
// the WAV file it names, and writes it in the form the output's name asks for, as the
// engine's readers and sound scripts take it. Refusals name the recipe's file and line.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/ToolFiles.h"
#include "tools/sound/SoundMaker.h"

int main(int argc, char** argv) {
    if (argc != 3 || !*argv[1] || !*argv[2]) {
        fprintf(stderr, "usage: make_sound <recipe> <out.wav|out.ogg>\n");
        return 2;
    }
    const std::string recipePath = argv[1];
    const std::string outPath = argv[2];
    // The scripts name the file by its name alone; the folders above it are the game's.
    const ESoundContainer container = SoundContainerOf(outPath.substr(outPath.find_last_of('/') + 1));
    if (container == ESoundContainer::kNone) {
        fprintf(stderr,
                "make_sound: %s: a sound's name must end in \".wav\" or \".ogg\", the first of them in it, "
                "for the sound scripts to know it\n",
                argv[2]);
        return 1;
    }
    std::string recipe;
    if (!ReadToolInput("make_sound", argv[1], &recipe))
        return 1;
    const size_t slash = recipePath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : recipePath.substr(0, slash);
    std::vector<uint8_t> bytes;
    int line = 0;
    std::string error;
    if (!MakeSoundFromRecipe(recipe, folder, container, &bytes, &line, &error)) {
        fprintf(stderr, "make_sound: %s:%d: %s\n", argv[1], line, error.c_str());
        return 1;
    }
    return WriteToolOutput("make_sound", argv[2], bytes.data(), bytes.size()) ? 0 : 1;
}
