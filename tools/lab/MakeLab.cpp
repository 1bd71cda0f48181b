// make_lab <game root> <lab text> <out.zql>: the lab a text describes, its experiments read into
// the game root's world and written by the game's own writers, enciphered with the script key.
// make_lab dump <game root> <lab.zql>: a lab printed back as the text on the standard output.
// Refusals name the file and line; exit status 1 then, with nothing written, and 2 for a bad
// command line.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "game/app/ScriptKey.h"
#include "game/app/WorldContent.h"
#include "tools/ToolFiles.h"
#include "tools/lab/LabReader.h"
#include "tools/lab/LabText.h"
#include "tools/lab/LabWorld.h"
#include "tools/lab/LabWriter.h"

namespace {

constexpr char kTool[] = "make_lab";

// The game's paths are relative to its root, so the caller's paths are made absolute first.
bool Absolute(const char* path, std::string* absolute) {
    std::error_code failure;
    *absolute = std::filesystem::absolute(path, failure).string();
    if (!failure)
        return true;
    fprintf(stderr, "%s: %s: %s\n", kTool, path, failure.message().c_str());
    return false;
}

bool LoadWorld(const char* root, CLabWorld* world) {
    if (chdir(root) != 0) {
        fprintf(stderr, "%s: cannot enter the game root %s: %s\n", kTool, root, strerror(errno));
        return false;
    }
    std::string error;
    if (world->Load(&error))
        return true;
    fprintf(stderr, "%s: %s/%s\n", kTool, root, error.c_str());
    return false;
}

int Make(const char* root, const char* textPath, const char* outPath) {
    std::string text;
    std::string out;
    if (!ReadToolInput(kTool, textPath, &text) || !Absolute(outPath, &out))
        return 1;
    CLabSource source;
    int line = 0;
    std::string error;
    if (!ParseLabText(text, &source, &line, &error)) {
        fprintf(stderr, "%s: %s:%d: %s\n", kTool, textPath, line, error.c_str());
        return 1;
    }
    CLabWorld world;
    if (!LoadWorld(root, &world))
        return 1;
    CWorldContent lab;
    if (!WriteLabRecords(&world, source, &lab, &line, &error)) {
        fprintf(stderr, "%s: %s:%d: %s\n", kTool, textPath, line, error.c_str());
        return 1;
    }
    const CLabHeader header = LabHeaderOf(source);
    if (!lab.Save(out.c_str(), &header, sizeof header, kScriptKey)) {
        fprintf(stderr, "%s: cannot write %s\n", kTool, outPath);
        return 1;
    }
    return 0;
}

int Dump(const char* root, const char* labPath) {
    std::string path;
    if (!Absolute(labPath, &path))
        return 1;
    CWorldContent lab;
    CLabHeader header;
    FILE* file = fopen(path.c_str(), "rb");
    const int read = file ? lab.LoadFrom(file, &header, sizeof header, kScriptKey) : 0;
    if (file)
        fclose(file);
    if (!read) {
        fprintf(stderr, "%s: %s: %s\n", kTool, labPath,
                file ? "does not load with the script key" : "cannot be read");
        return 1;
    }
    CLabWorld world;
    if (!LoadWorld(root, &world))
        return 1;
    CLabSource source;
    std::string error;
    if (!ReadLabRecords(&world, lab, header, &source, &error)) {
        fprintf(stderr, "%s: %s: %s\n", kTool, labPath, error.c_str());
        return 1;
    }
    const std::string text = FormatLabText(source);
    if (fwrite(text.data(), 1, text.size(), stdout) != text.size() || fflush(stdout) != 0) {
        fprintf(stderr, "%s: cannot write the standard output\n", kTool);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool dump = argc == 4 && strcmp(argv[1], "dump") == 0;
    bool empty = false;
    for (int i = 1; i < argc; ++i)
        empty = empty || !*argv[i];
    if (argc != 4 || empty) {
        fprintf(stderr,
                "usage: make_lab <game root> <lab text> <out.zql>\n"
                "       make_lab dump <game root> <lab.zql>\n");
        return 2;
    }
    return dump ? Dump(argv[2], argv[3]) : Make(argv[1], argv[2], argv[3]);
}
