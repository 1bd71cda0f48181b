// Experiment texts files from anywhere, for any number of experiments: the parse finds that
// many blocks or refuses, and every block it finds has a terminated name and a text that lies
// inside the data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/flow/RODAGame.h"

namespace {

void Check(bool holds) {
    if (!holds)
        abort();
}

}  // namespace

// The first byte is the number of experiments (up to 15), the rest the file's text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20))
        return 0;
    const int count = data[0] % 16;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const char* end = text + (size - 1);
    std::vector<RODAGame::ExperimentTextBlock> blocks(static_cast<size_t>(count) + 1);
    if (!RODAGame::ParseExperimentTexts(text, end, count, blocks.data()))
        return 0;
    const char* previousEnd = text;
    for (int i = 0; i < count; ++i) {
        const RODAGame::ExperimentTextBlock& block = blocks[static_cast<size_t>(i)];
        Check(memchr(block.szName, '\0', sizeof block.szName) != nullptr);
        Check(block.nTextLength >= 0 && block.pText >= previousEnd && block.pText <= end);
        Check(static_cast<size_t>(block.nTextLength) <= static_cast<size_t>(end - block.pText));
        previousEnd = block.pText + block.nTextLength;
    }
    return 0;
}
