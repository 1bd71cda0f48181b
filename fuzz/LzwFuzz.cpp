// Compressed streams from anywhere: Expand either refuses with no buffer or gives bytes that
// survive a compress-expand round trip, as the input itself must.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/app/LZWCodec.h"

namespace {

// Larger outputs are legal, but round-tripping them would slow every run down.
constexpr int kRoundTripLimit = 1 << 20;

void RoundTrip(const uint8_t* data, int size) {
    CLZWCodec codec;
    uint8_t* compressed = nullptr;
    const int compressedSize = codec.Compress(&compressed, data, size);
    if (size == 0 ? compressedSize != 0 || compressed : compressedSize <= 0 || !compressed)
        abort();
    if (size == 0)
        return;
    uint8_t* expanded = nullptr;
    const int expandedSize = codec.Expand(&expanded, compressed, compressedSize);
    if (expandedSize != size || !expanded || memcmp(expanded, data, static_cast<size_t>(size)) != 0)
        abort();
    free(expanded);
    free(compressed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    const int length = static_cast<int>(size);

    uint8_t* expanded = nullptr;
    const int expandedSize = CLZWCodec().Expand(&expanded, data, length);
    if (expandedSize == 0 ? expanded != nullptr
                          : expandedSize < 0 || expandedSize > CLZWCodec::kMaxExpandedSize || !expanded)
        abort();
    if (expandedSize > 0 && expandedSize <= kRoundTripLimit)
        RoundTrip(expanded, expandedSize);
    free(expanded);

    RoundTrip(data, length);
    return 0;
}
