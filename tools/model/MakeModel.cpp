// make_model <model text> <model file>: builds the model a text describes and writes it as a
// "UZQ1" model file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "tools/model/ModelBuilder.h"

namespace {

// The whole file; false with errno telling why when it cannot be opened or read.
bool ReadWholeFile(const char* path, std::string* text) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        text->append(chunk, got);
    const bool failed = ferror(file) != 0;
    const int reason = errno;
    fclose(file);
    errno = reason;
    return !failed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_model <model text> <model file>\n");
        return 2;
    }
    std::string text;
    if (!ReadWholeFile(argv[1], &text)) {
        fprintf(stderr, "make_model: cannot read %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!MakeModelFromText(text, &bytes, &error)) {
        fprintf(stderr, "make_model: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    // Written aside and renamed, so a failed run never leaves half a model.
    CAtomicFile out;
    if (!out.Open(argv[2]) || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        fprintf(stderr, "make_model: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
