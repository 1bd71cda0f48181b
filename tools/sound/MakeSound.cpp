// make_sound <recipe> <out.wav|out.ogg>: synthesises the sound a recipe describes, or encodes
// the WAV file it names, and writes it in the form the output's name asks for, as the
// engine's readers and sound scripts take it. Refusals name the recipe's file and line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/FileBytes.h"
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
    std::vector<uint8_t> textBytes;
    if (!ReadFileBytes(argv[1], &textBytes)) {
        fprintf(stderr, "make_sound: cannot read %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    const size_t slash = recipePath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : recipePath.substr(0, slash);
    std::vector<uint8_t> bytes;
    int line = 0;
    std::string error;
    if (!MakeSoundFromRecipe(std::string(textBytes.begin(), textBytes.end()), folder, container, &bytes, &line,
                             &error)) {
        fprintf(stderr, "make_sound: %s:%d: %s\n", argv[1], line, error.c_str());
        return 1;
    }
    // Written aside and renamed, so a failed run never leaves half a sound.
    CAtomicFile out;
    if (!out.Open(argv[2]) || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        fprintf(stderr, "make_sound: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
