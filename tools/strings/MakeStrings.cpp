// make_strings <table file> <source>...: the game's string table made from UTF-8 sources of keys
// and texts, merged into one file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/FileBytes.h"
#include "tools/strings/StringTableBuilder.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: make_strings <table file> <source>...\n");
        return 2;
    }
    CStringTableBuilder builder;
    for (int i = 2; i < argc; ++i) {
        std::vector<uint8_t> bytes;
        if (!ReadFileBytes(argv[i], &bytes)) {
            fprintf(stderr, "make_strings: cannot read %s: %s\n", argv[i], strerror(errno));
            return 1;
        }
        std::string error;
        if (!builder.AddSource(argv[i], std::string(bytes.begin(), bytes.end()), &error)) {
            fprintf(stderr, "make_strings: %s\n", error.c_str());
            return 1;
        }
    }
    // The game takes an empty file for one it cannot read.
    if (builder.GetEntryCount() == 0) {
        fprintf(stderr, "make_strings: the sources hold no entries\n");
        return 1;
    }
    // Written aside and renamed, so a failed run never leaves half a table.
    const std::string table = builder.Write();
    CAtomicFile out;
    if (!out.Open(argv[1]) || !out.Write(table.data(), table.size()) || !out.Commit()) {
        fprintf(stderr, "make_strings: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
