// make_model <model text> <model file>: builds the model a text describes and writes it as a
// "UZQ1" model file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/FileBytes.h"
#include "tools/model/ModelBuilder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_model <model text> <model file>\n");
        return 2;
    }
    std::vector<uint8_t> textBytes;
    if (!ReadFileBytes(argv[1], &textBytes)) {
        fprintf(stderr, "make_model: cannot read %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!MakeModelFromText(std::string(textBytes.begin(), textBytes.end()), &bytes, &error)) {
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
