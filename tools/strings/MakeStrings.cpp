// make_strings <table file> <source>...: the game's string table made from UTF-8 sources of keys
// and texts, merged into one file.
#include <cstdio>
#include <string>

#include "tools/ToolFiles.h"
#include "tools/strings/StringTableBuilder.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: make_strings <table file> <source>...\n");
        return 2;
    }
    CStringTableBuilder builder;
    for (int i = 2; i < argc; ++i) {
        std::string source;
        if (!ReadToolInput("make_strings", argv[i], &source))
            return 1;
        std::string error;
        if (!builder.AddSource(argv[i], source, &error)) {
            fprintf(stderr, "make_strings: %s\n", error.c_str());
            return 1;
        }
    }
    // The game takes an empty file for one it cannot read.
    if (builder.GetEntryCount() == 0) {
        fprintf(stderr, "make_strings: the sources hold no entries\n");
        return 1;
    }
    const std::string table = builder.Write();
    return WriteToolOutput("make_strings", argv[1], table.data(), table.size()) ? 0 : 1;
}
