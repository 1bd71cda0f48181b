// What the painter's files share: a canvas of straight-alpha pixels in [0, 1] and the
// painters of each family of kinds.
#pragma once

#include <string>
#include <vector>

#include "tools/texture/TextureRecipe.h"

struct CPixel {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 0.0;
};

class CCanvas {
public:
    CCanvas(uint32_t width, uint32_t height) : m_width(width), m_height(height), m_pixels(size_t{width} * height) {}

    uint32_t Width() const { return m_width; }
    uint32_t Height() const { return m_height; }
    CPixel& At(uint32_t x, uint32_t y) { return m_pixels[size_t{y} * m_width + x]; }
    const CPixel& At(uint32_t x, uint32_t y) const { return m_pixels[size_t{y} * m_width + x]; }
    // Lays `pixel`, its alpha scaled by `coverage`, over what is there.
    void Over(uint32_t x, uint32_t y, const CPixel& pixel, double coverage);

private:
    uint32_t m_width;
    uint32_t m_height;
    std::vector<CPixel> m_pixels;
};

double Clamp01(double value);
double SmoothStep(double edge0, double edge1, double value);
CPixel Mix(const CPixel& from, const CPixel& to, double t);
// The recipe's colour when it gave one, else the kind's default (r, g, b, a in 0 to 255).
CPixel ColourOr(bool bGiven, const CColour& given, int r, int g, int b, int a = 255);
CPixel Scaled(const CPixel& pixel, double factor);  // colour only

// Each returns false for a kind it does not paint.
bool PaintMaterial(const CTextureRecipe& recipe, CCanvas* canvas);
bool PaintShape(const CTextureRecipe& recipe, CCanvas* canvas);
// The recipe's text lines over the canvas; false with the line and a message when the font
// cannot be opened or lacks a character.
bool DrawTexts(const CTextureRecipe& recipe, CCanvas* canvas, int* line, std::string* error);
