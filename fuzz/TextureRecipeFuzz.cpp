// Texture recipes from anywhere, through the texture tool's parser only (painting a 4096-pixel
// side takes too long for a fuzzer): refused with a line and a message, or a recipe whose
// sides are powers of two and whose kind is one the painter knows.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/texture/TextureRecipe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CTextureRecipe recipe;
    int line = 0;
    std::string error;
    if (!ParseTextureRecipe(text, &recipe, &line, &error)) {
        if (error.empty() || line < 0)
            abort();
        return 0;
    }
    const auto powerOfTwo = [](uint32_t side) { return side && !(side & (side - 1)) && side <= 4096; };
    const auto& kinds = TextureKinds();
    if (!powerOfTwo(recipe.width) || !powerOfTwo(recipe.height) ||
        std::find(kinds.begin(), kinds.end(), recipe.kind) == kinds.end())
        abort();
    for (const CTextLine& written : recipe.texts) {
        if (written.x < 0 || written.y < 0 || static_cast<uint32_t>(written.x) >= recipe.width ||
            static_cast<uint32_t>(written.y) >= recipe.height || written.text.empty())
            abort();
    }
    return 0;
}
