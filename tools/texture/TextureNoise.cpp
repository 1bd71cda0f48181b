#include "tools/texture/TextureNoise.h"

#include <cmath>

namespace {

// A 32-bit integer hash with good avalanche (the "lowbias32" constants).
uint32_t Hash(uint32_t value) {
    value ^= value >> 16;
    value *= 0x7feb352du;
    value ^= value >> 15;
    value *= 0x846ca68bu;
    value ^= value >> 16;
    return value;
}

int Wrap(int value, int period) {
    const int wrapped = value % period;
    return wrapped < 0 ? wrapped + period : wrapped;
}

double Smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

}  // namespace

uint64_t CTextureRandom::Next() {
    uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

double CTextureRandom::Unit() {
    return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

double CTextureNoise::Cell(int x, int y, int periodX, int periodY, uint32_t octave) const {
    const uint32_t wx = static_cast<uint32_t>(Wrap(x, periodX < 1 ? 1 : periodX));
    const uint32_t wy = static_cast<uint32_t>(Wrap(y, periodY < 1 ? 1 : periodY));
    const uint32_t h = Hash(wx ^ Hash(wy ^ Hash(m_seed ^ Hash(octave + 0x51ed27u))));
    return static_cast<double>(h >> 8) * (1.0 / 16777216.0);
}

double CTextureNoise::Value(double x, double y, int periodX, int periodY, uint32_t octave) const {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const double tx = Smooth(x - fx);
    const double ty = Smooth(y - fy);
    const auto at = [&](int cx, int cy) { return Cell(cx, cy, periodX, periodY, octave); };
    const double top = at(ix, iy) * (1 - tx) + at(ix + 1, iy) * tx;
    const double bottom = at(ix, iy + 1) * (1 - tx) + at(ix + 1, iy + 1) * tx;
    return top * (1 - ty) + bottom * ty;
}

double CTextureNoise::Fractal(double x, double y, int periodX, int periodY, int octaves) const {
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * Value(x, y, periodX, periodY, static_cast<uint32_t>(octave));
        total += weight;
        weight *= 0.5;
        x *= 2.0;
        y *= 2.0;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / total;
}
