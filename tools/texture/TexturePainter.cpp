#include "tools/texture/TexturePainter.h"

#include <cmath>

#include "tools/texture/TexturePainter_local.h"
#include "tools/tga/TgaWriter.h"

void CCanvas::Over(uint32_t x, uint32_t y, const CPixel& pixel, double coverage) {
    CPixel& under = At(x, y);
    const double top = pixel.a * coverage;
    const double alpha = top + under.a * (1 - top);
    if (alpha <= 0)
        return;
    const auto blend = [&](double over, double below) { return (over * top + below * under.a * (1 - top)) / alpha; };
    under.r = blend(pixel.r, under.r);
    under.g = blend(pixel.g, under.g);
    under.b = blend(pixel.b, under.b);
    under.a = alpha;
}

double Clamp01(double value) {
    return value < 0 ? 0 : value > 1 ? 1 : value;
}

double SmoothStep(double edge0, double edge1, double value) {
    const double t = Clamp01((value - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

CPixel Mix(const CPixel& from, const CPixel& to, double t) {
    CPixel mixed;
    mixed.r = from.r + (to.r - from.r) * t;
    mixed.g = from.g + (to.g - from.g) * t;
    mixed.b = from.b + (to.b - from.b) * t;
    mixed.a = from.a + (to.a - from.a) * t;
    return mixed;
}

CPixel ColourOr(bool bGiven, const CColour& given, int r, int g, int b, int a) {
    CPixel pixel;
    pixel.r = (bGiven ? given.r : r) / 255.0;
    pixel.g = (bGiven ? given.g : g) / 255.0;
    pixel.b = (bGiven ? given.b : b) / 255.0;
    pixel.a = (bGiven ? given.a : a) / 255.0;
    return pixel;
}

CPixel Scaled(const CPixel& pixel, double factor) {
    CPixel scaled = pixel;
    scaled.r = Clamp01(pixel.r * factor);
    scaled.g = Clamp01(pixel.g * factor);
    scaled.b = Clamp01(pixel.b * factor);
    return scaled;
}

namespace {

void LayOverBackground(const CColour& background, CCanvas* canvas) {
    const CPixel under = ColourOr(true, background, 0, 0, 0);
    for (uint32_t y = 0; y < canvas->Height(); ++y) {
        for (uint32_t x = 0; x < canvas->Width(); ++x) {
            const CPixel painted = canvas->At(x, y);
            canvas->At(x, y) = under;
            canvas->Over(x, y, painted, 1.0);
        }
    }
}

uint8_t Byte(double value) {
    return static_cast<uint8_t>(std::lround(Clamp01(value) * 255.0));
}

}  // namespace

bool PaintTexture(const CTextureRecipe& recipe, std::vector<uint8_t>* rgba, int* line, std::string* error) {
    CCanvas canvas(recipe.width, recipe.height);
    if (!PaintMaterial(recipe, &canvas) && !PaintShape(recipe, &canvas)) {
        *line = recipe.kindLine;
        *error = "kind " + recipe.kind + " has no painter";
        return false;
    }
    if (!DrawTexts(recipe, &canvas, line, error))
        return false;
    if (recipe.bBackground)
        LayOverBackground(recipe.background, &canvas);
    rgba->clear();
    rgba->reserve(size_t{recipe.width} * recipe.height * 4);
    for (uint32_t y = 0; y < recipe.height; ++y) {
        for (uint32_t x = 0; x < recipe.width; ++x) {
            const CPixel& pixel = canvas.At(x, y);
            rgba->push_back(Byte(pixel.r));
            rgba->push_back(Byte(pixel.g));
            rgba->push_back(Byte(pixel.b));
            rgba->push_back(Byte(pixel.a));
        }
    }
    return true;
}

uint32_t TextureDepth(const CTextureRecipe& recipe) {
    if (recipe.depth)
        return recipe.depth;
    // An opaque background leaves no alpha to keep.
    if (recipe.bBackground)
        return recipe.background.a == 255 ? 24 : 32;
    if (KindHasAlpha(recipe.kind))
        return 32;
    // Flat colours keep alpha only when they have some.
    const bool translucent = (recipe.bColour && recipe.colour.a != 255) || (recipe.bAccent && recipe.accent.a != 255);
    return (recipe.kind == "solid" || recipe.kind == "gradient") && translucent ? 32 : 24;
}

std::vector<uint8_t> EncodeTexture(const CTextureRecipe& recipe, const std::vector<uint8_t>& rgba) {
    const uint32_t bytesPerPixel = TextureDepth(recipe) / 8;
    std::vector<uint8_t> pixels;
    if (bytesPerPixel == 4) {
        pixels = rgba;
    } else {
        pixels.reserve(rgba.size() / 4 * 3);
        for (size_t i = 0; i < rgba.size(); i += 4)
            pixels.insert(pixels.end(), rgba.begin() + static_cast<long>(i), rgba.begin() + static_cast<long>(i) + 3);
    }
    const auto encode = [&](ETgaEncoding encoding) {
        return EncodeTga(recipe.width, recipe.height, bytesPerPixel, pixels.data(), encoding);
    };
    if (recipe.encoding == ETextureEncoding::kPlain)
        return encode(ETgaEncoding::kPlain);
    std::vector<uint8_t> packed = encode(ETgaEncoding::kRunLength);
    if (recipe.encoding == ETextureEncoding::kRunLength)
        return packed;
    std::vector<uint8_t> plain = encode(ETgaEncoding::kPlain);
    return packed.size() < plain.size() ? packed : plain;
}

bool MakeTextureFromRecipe(const std::string& text, std::vector<uint8_t>* tga, int* line, std::string* error) {
    CTextureRecipe recipe;
    std::vector<uint8_t> rgba;
    if (!ParseTextureRecipe(text, &recipe, line, error) || !PaintTexture(recipe, &rgba, line, error))
        return false;
    *tga = EncodeTexture(recipe, rgba);
    return true;
}
