// The seeded noise materials. Each mixes its colour and accent by a pattern made from the
// tool's noise over whole periods, so the textures tile.
#include <cmath>

#include "tools/texture/TextureNoise.h"
#include "tools/texture/TexturePainter_local.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct CMaterial {
    const char* name;
    int colour[3];
    int accent[3];
    double scale;  // features across the image when the recipe gives none
};

const CMaterial kMaterials[] = {
    {"wood", {176, 122, 72}, {112, 66, 34}, 6},
    {"stone", {132, 130, 124}, {78, 76, 72}, 4},
    {"brick", {164, 72, 50}, {204, 198, 186}, 4},
    {"concrete", {162, 160, 154}, {104, 102, 98}, 8},
    {"paper", {238, 232, 216}, {200, 190, 168}, 16},
    {"cork", {194, 144, 92}, {116, 76, 42}, 32},
    {"metal", {176, 180, 186}, {112, 116, 124}, 2},
    {"marble", {236, 233, 226}, {96, 96, 108}, 3},
    {"fabric", {72, 92, 142}, {36, 50, 90}, 16},
    {"gridpaper", {242, 244, 238}, {120, 160, 214}, 8},
};

// The pattern of a material at pixel (x, y): 0 for the colour, 1 for the accent.
class CPattern {
public:
    CPattern(const CTextureRecipe& recipe, const CMaterial& material)
        : m_noise(recipe.seed),
          m_name(material.name),
          m_width(recipe.width),
          m_height(recipe.height),
          m_scale(recipe.scale > 0 ? recipe.scale : material.scale),
          m_period(static_cast<int>(std::lround(m_scale))) {
        CTextureRandom random(recipe.seed);
        m_phase = random.Unit();
    }

    double At(uint32_t x, uint32_t y) const {
        const double u = (x + 0.5) / m_width;
        const double v = (y + 0.5) / m_height;
        const std::string& name = m_name;
        if (name == "wood")
            return Wood(u, v);
        if (name == "stone")
            return 0.85 * Noise(u, v, m_period, 5) + 0.15 * Grain(x, y);
        if (name == "brick")
            return Brick(x, y, u, v);
        if (name == "concrete")
            return 0.6 * Noise(u, v, m_period, 4) + 0.2 * Grain(x, y) + (Grain(x, y) > 0.96 ? 0.4 : 0.0);
        if (name == "paper")
            return 0.25 * Noise(u, v, m_period, 3) + 0.15 * Fibres(u, v);
        if (name == "cork")
            return 0.55 * m_noise.Cell(Index(u), Index(v), m_period, m_period, 7) + 0.45 * Noise(u, v, m_period, 2);
        if (name == "metal")
            return 0.45 * m_noise.Fractal(u * m_period, v * 64 * m_period, m_period, 64 * m_period, 3) + 0.3 * v;
        if (name == "marble")
            return Marble(u, v);
        if (name == "fabric")
            return Fabric(u, v);
        return GridPaper(x, y, u, v);
    }

private:
    double Noise(double u, double v, int period, int octaves) const {
        return m_noise.Fractal(u * period, v * period, period, period, octaves);
    }
    // Independent per-pixel noise.
    double Grain(uint32_t x, uint32_t y) const {
        return m_noise.Cell(static_cast<int>(x), static_cast<int>(y), static_cast<int>(m_width),
                            static_cast<int>(m_height), 11);
    }
    int Index(double t) const { return static_cast<int>(std::floor(t * m_period)); }
    // Long fibres along x.
    double Fibres(double u, double v) const { return m_noise.Fractal(u * 4, v * 64, 4, 64, 2); }

    // Growth rings across the board, bent by noise, with fine grain along it.
    double Wood(double u, double v) const {
        const double bend = 0.7 * m_noise.Fractal(u * 2, v * 2, 2, 2, 3);
        const double rings = 0.5 + 0.5 * std::sin(2 * kPi * (v * m_period + bend + m_phase));
        return 0.7 * rings * rings + 0.3 * Fibres(u, v);
    }

    // Courses of bricks, every other one set off by half a brick, in mortar.
    double Brick(uint32_t x, uint32_t y, double u, double v) const {
        const double brickWidth = static_cast<double>(m_width) / m_period;
        const double brickHeight = static_cast<double>(m_height) / (2 * m_period);
        const int course = static_cast<int>(y / brickHeight);
        const double shifted = x + (course % 2 ? brickWidth / 2 : 0.0);
        const double bx = std::fmod(shifted, brickWidth);
        const double by = std::fmod(static_cast<double>(y), brickHeight);
        const double mortar = std::fmax(1.0, std::floor(brickHeight / 8));
        if (bx < mortar || by < mortar)
            return 0.9 + 0.1 * Grain(x, y);
        const int brick = static_cast<int>(shifted / brickWidth);
        const double shade = m_noise.Cell(brick, course, m_period + 1, 2 * m_period, 5);
        return 0.25 * shade + 0.15 * Noise(u, v, 4 * m_period, 2);
    }

    // Thin dark veins along a direction, wandering with the noise.
    double Marble(double u, double v) const {
        const double t = (u + 0.5 * v) * m_period + 2.0 * m_noise.Fractal(u * 4, v * 4, 4, 4, 4);
        return std::pow(1.0 - std::fabs(std::sin(kPi * t)), 8.0);
    }

    // A plain weave: threads over and under in a checker, each shaded across its width.
    double Fabric(double u, double v) const {
        const double tx = u * m_period;
        const double ty = v * m_period;
        const bool bAcross = ((static_cast<int>(tx) + static_cast<int>(ty)) & 1) == 0;
        const double across = (bAcross ? ty : tx) - std::floor(bAcross ? ty : tx);
        const double shade = std::sin(kPi * across);
        return 1.0 - 0.75 * shade + 0.15 * Noise(u, v, 2 * m_period, 1) - 0.15;
    }

    // Paper with lines one cell apart.
    double GridPaper(uint32_t x, uint32_t y, double u, double v) const {
        const uint32_t cellX = m_width / static_cast<uint32_t>(m_period < 1 ? 1 : m_period);
        const uint32_t cellY = m_height / static_cast<uint32_t>(m_period < 1 ? 1 : m_period);
        if ((cellX && x % cellX == 0) || (cellY && y % cellY == 0))
            return 1.0;
        return 0.08 * Noise(u, v, 8, 2);
    }

    CTextureNoise m_noise;
    std::string m_name;
    uint32_t m_width;
    uint32_t m_height;
    double m_scale;
    int m_period;  // the scale as whole noise periods, so the pattern tiles
    double m_phase;
};

}  // namespace

bool PaintMaterial(const CTextureRecipe& recipe, CCanvas* canvas) {
    for (const CMaterial& material : kMaterials) {
        if (recipe.kind != material.name)
            continue;
        const CPixel colour =
            ColourOr(recipe.bColour, recipe.colour, material.colour[0], material.colour[1], material.colour[2]);
        const CPixel accent =
            ColourOr(recipe.bAccent, recipe.accent, material.accent[0], material.accent[1], material.accent[2]);
        const CPattern pattern(recipe, material);
        for (uint32_t y = 0; y < canvas->Height(); ++y) {
            for (uint32_t x = 0; x < canvas->Width(); ++x)
                canvas->At(x, y) = Mix(colour, accent, Clamp01(pattern.At(x, y)));
        }
        return true;
    }
    return false;
}
