// make_model <model text> <model file>: builds the model a text describes and writes it as a
// "UZQ1" model file.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/ToolFiles.h"
#include "tools/model/ModelBuilder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_model <model text> <model file>\n");
        return 2;
    }
    std::string text;
    if (!ReadToolInput("make_model", argv[1], &text))
        return 1;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!MakeModelFromText(text, &bytes, &error)) {
        fprintf(stderr, "make_model: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    return WriteToolOutput("make_model", argv[2], bytes.data(), bytes.size()) ? 0 : 1;
}
