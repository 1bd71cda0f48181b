// The kinds drawn from shapes: flat colour and gradients, radial sprites, frame pieces and
// plates, the pointer arrow and gear silhouettes. Edges are smoothed by sampling each pixel
// on a 4 x 4 grid.
#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/texture/TextureNoise.h"
#include "tools/texture/TexturePainter_local.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 4;

// Paints every pixel with `paint(x, y)` at the pixel's centre coordinates.
void Each(CCanvas* canvas, const std::function<CPixel(double x, double y)>& paint) {
    for (uint32_t y = 0; y < canvas->Height(); ++y) {
        for (uint32_t x = 0; x < canvas->Width(); ++x)
            canvas->At(x, y) = paint(x + 0.5, y + 0.5);
    }
}

// The share of a pixel's samples inside a shape.
double Coverage(uint32_t x, uint32_t y, const std::function<bool(double x, double y)>& inside) {
    int hits = 0;
    for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx)
            hits += inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
    }
    return static_cast<double>(hits) / (kSamples * kSamples);
}

void Gradient(const CTextureRecipe& r, CCanvas* canvas) {
    const CPixel from = ColourOr(true, r.colour, 0, 0, 0);
    const CPixel to = ColourOr(true, r.accent, 0, 0, 0);
    const double w = canvas->Width();
    const double h = canvas->Height();
    Each(canvas, [&](double x, double y) {
        if (r.direction == "right")
            return Mix(from, to, w > 1 ? (x - 0.5) / (w - 1) : 0.0);
        if (r.direction == "radial")
            return Mix(from, to, Clamp01(std::hypot(x / w - 0.5, y / h - 0.5) * 2));
        return Mix(from, to, h > 1 ? (y - 0.5) / (h - 1) : 0.0);
    });
}

// Sprites: centred, fading to nothing at the image's edge circle.
void Sprite(const CTextureRecipe& r, CCanvas* canvas) {
    const double w = canvas->Width();
    const double h = canvas->Height();
    const CTextureNoise noise(r.seed);
    CTextureRandom random(r.seed);
    const int rays = 4 + static_cast<int>(random.Unit() * 4);
    const double turn = random.Unit() * kPi;
    Each(canvas, [&](double x, double y) {
        const double dx = (x / w - 0.5) * 2;
        const double dy = (y / h - 0.5) * 2;
        const double d = std::hypot(dx, dy);
        if (r.kind == "glow") {
            CPixel p = Mix(ColourOr(r.bAccent, r.accent, 255, 255, 255), ColourOr(r.bColour, r.colour, 255, 214, 130),
                           Clamp01(d * 1.5));
            p.a *= std::pow(Clamp01(1 - d), 2.0);
            return p;
        }
        if (r.kind == "spark") {
            const double core = std::pow(Clamp01(1 - d / 0.3), 2.0);
            double ray = 0;
            for (int i = 0; i < rays; ++i) {
                const double angle = turn + kPi * i / rays;
                const double across = std::fabs(dx * std::sin(angle) - dy * std::cos(angle));
                ray = std::max(ray, Clamp01(1 - d) * std::exp(-across * across / 0.002));
            }
            CPixel p = Mix(ColourOr(r.bAccent, r.accent, 255, 255, 230), ColourOr(r.bColour, r.colour, 255, 190, 70),
                           Clamp01(d * 2));
            p.a *= Clamp01(std::max(core, ray));
            return p;
        }
        if (r.kind == "flame") {
            // A drop pointing up: round below the centre, drawn out above it, its rim flickering.
            const double up = dy < 0.2 ? (dy - 0.2) / 1.6 : dy - 0.2;
            const double wobble = 0.25 * (noise.Fractal(x / w * 4, y / h * 4, 4, 4, 3) - 0.5);
            const double shape = std::hypot(dx * (1 + wobble), up) / 0.7;
            CPixel p = Mix(ColourOr(r.bAccent, r.accent, 255, 232, 130), ColourOr(r.bColour, r.colour, 255, 104, 16),
                           Clamp01(shape * 1.2));
            p.a *= 1 - SmoothStep(0.6, 1.0, shape);
            return p;
        }
        // Smoke: a soft round puff, thinned in patches.
        const double puff = noise.Fractal(x / w * 4, y / h * 4, 4, 4, 4);
        CPixel p = Mix(ColourOr(r.bColour, r.colour, 150, 150, 150), ColourOr(r.bAccent, r.accent, 96, 96, 96), puff);
        p.a *= 0.9 * Clamp01(1 - d) * SmoothStep(0.2, 0.7, puff + 0.2);
        return p;
    });
}

// The distance from a point to a rectangle with rounded corners, negative inside.
double RoundedBoxDistance(double x, double y, double left, double top, double right, double bottom, double radius) {
    const double cx = (left + right) / 2;
    const double cy = (top + bottom) / 2;
    const double qx = std::fabs(x - cx) - ((right - left) / 2 - radius);
    const double qy = std::fabs(y - cy) - ((bottom - top) / 2 - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// The smaller side of the image, or of the box where the recipe gives one inside it.
double SmallerSide(const CTextureRecipe& r, double w, double h) {
    const double smaller = std::min(w, h);
    return r.bBox ? std::min(smaller, std::min(r.box[2] - r.box[0], r.box[3] - r.box[1])) : smaller;
}

// Plates and buttons fill the image; a corner is the top-left quarter and an edge the top
// side of a frame twice the image's size, so four corners and tiled edges make a frame. A
// box lays the frame anywhere else: past the image's sides, a side of it is cut off.
void FramePiece(const CTextureRecipe& r, CCanvas* canvas) {
    const double w = canvas->Width();
    const double h = canvas->Height();
    const double smaller = SmallerSide(r, w, h);
    const double border = r.border >= 0 ? r.border : std::max(1.0, std::floor(smaller / 16));
    const double radius = r.radius >= 0 ? r.radius : std::floor(smaller / 4);
    const CPixel fill = ColourOr(r.bColour, r.colour, 196, 186, 164);
    const CPixel rim = ColourOr(r.bAccent, r.accent, 84, 64, 46);
    double left = 0;
    double top = 0;
    double right = w;
    double bottom = h;
    if (r.bBox) {
        left = r.box[0];
        top = r.box[1];
        right = r.box[2];
        bottom = r.box[3];
    } else if (r.kind == "corner") {
        right = 2 * w;
        bottom = 2 * h;
    } else if (r.kind == "edge") {
        left = -w;
        right = 2 * w;
        bottom = 2 * h;
    }
    const double edgeRadius = r.kind == "edge" && !r.bBox ? 0.0 : radius;
    for (uint32_t y = 0; y < canvas->Height(); ++y) {
        for (uint32_t x = 0; x < canvas->Width(); ++x) {
            const auto distance = [&](double px, double py) {
                return RoundedBoxDistance(px, py, left, top, right, bottom, edgeRadius);
            };
            const double inside = Coverage(x, y, [&](double px, double py) { return distance(px, py) <= 0; });
            const double inner =
                Coverage(x, y, [&](double px, double py) { return distance(px, py) <= -border; });
            CPixel body = fill;
            if (r.kind == "button") {
                // Lit from above; pressed, from below.
                const double light = 1.15 - 0.3 * (y + 0.5) / h;
                body = Scaled(fill, r.bPressed ? 2.0 - light : light);
            }
            CPixel p = Mix(rim, body, inside > 0 ? inner / inside : 0.0);
            p.a *= inside;
            canvas->At(x, y) = p;
        }
    }
}

// The distance from a point to a segment.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax;
    const double vy = by - ay;
    const double t = Clamp01(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy));
    return std::hypot(px - ax - t * vx, py - ay - t * vy);
}

// The pointer arrow, filled and outlined, its tip in the top-left corner of the image or of
// the box.
void Arrow(const CTextureRecipe& r, CCanvas* canvas) {
    static const double kOutline[][2] = {{0.0, 0.0},   {0.0, 0.8},  {0.2, 0.63},  {0.34, 0.95},
                                         {0.47, 0.9},  {0.34, 0.58}, {0.58, 0.58}};
    constexpr int kCorners = sizeof kOutline / sizeof kOutline[0];
    const double side = std::min(canvas->Width(), canvas->Height());
    const double border = r.border >= 0 ? r.border : std::max(1.0, std::floor(SmallerSide(r, side, side) / 24));
    const double left = r.bBox ? r.box[0] : 0.0;
    const double top = r.bBox ? r.box[1] : 0.0;
    const double width = r.bBox ? r.box[2] - r.box[0] : side;
    const double height = r.bBox ? r.box[3] - r.box[1] : side;
    const auto cornerX = [&](int i) { return left + kOutline[i][0] * width; };
    const auto cornerY = [&](int i) { return top + kOutline[i][1] * height; };
    const CPixel fill = ColourOr(r.bColour, r.colour, 255, 255, 255);
    const CPixel outline = ColourOr(r.bAccent, r.accent, 0, 0, 0);
    const auto inside = [&](double x, double y) {
        bool in = false;  // even-odd crossings
        for (int i = 0, j = kCorners - 1; i < kCorners; j = i++) {
            const double yi = cornerY(i);
            const double yj = cornerY(j);
            const double xi = cornerX(i);
            const double xj = cornerX(j);
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
    const auto edgeDistance = [&](double x, double y) {
        double nearest = 1e9;
        for (int i = 0, j = kCorners - 1; i < kCorners; j = i++)
            nearest = std::min(nearest, SegmentDistance(x, y, cornerX(j), cornerY(j), cornerX(i), cornerY(i)));
        return nearest;
    };
    for (uint32_t y = 0; y < canvas->Height(); ++y) {
        for (uint32_t x = 0; x < canvas->Width(); ++x) {
            const double shape = Coverage(x, y, inside);
            const double body =
                Coverage(x, y, [&](double px, double py) { return inside(px, py) && edgeDistance(px, py) >= border; });
            CPixel p = Mix(outline, fill, shape > 0 ? body / shape : 0.0);
            p.a *= shape;
            canvas->At(x, y) = p;
        }
    }
}

// A gear seen from its axis: trapezoid teeth around a disc with a hole.
void Gear(const CTextureRecipe& r, CCanvas* canvas) {
    const double w = canvas->Width();
    const double h = canvas->Height();
    const double outer = 0.48 * std::min(w, h);
    const double root = 0.78 * outer;
    const double hole = (r.hole >= 0 ? r.hole : 0.25) * outer;
    const int teeth = r.teeth > 0 ? r.teeth : 12;
    const CPixel colour = ColourOr(r.bColour, r.colour, 150, 152, 160);
    const auto inside = [&](double x, double y) {
        const double dx = x - w / 2;
        const double dy = y - h / 2;
        const double d = std::hypot(dx, dy);
        if (d < hole || d > outer)
            return false;
        const double turn = (std::atan2(dy, dx) + kPi) / (2 * kPi) * teeth;
        const double phase = turn - std::floor(turn);
        // Up the flank from 0.1 to 0.3, the top to 0.6, down to 0.8.
        const double profile = phase < 0.1 ? 0.0
                               : phase < 0.3 ? (phase - 0.1) / 0.2
                               : phase < 0.6 ? 1.0
                               : phase < 0.8 ? (0.8 - phase) / 0.2
                                             : 0.0;
        return d <= root + (outer - root) * profile;
    };
    for (uint32_t y = 0; y < canvas->Height(); ++y) {
        for (uint32_t x = 0; x < canvas->Width(); ++x) {
            CPixel p = colour;
            p.a *= Coverage(x, y, inside);
            canvas->At(x, y) = p;
        }
    }
}

}  // namespace

bool PaintShape(const CTextureRecipe& r, CCanvas* canvas) {
    const std::string& kind = r.kind;
    if (kind == "solid" || kind == "text") {
        const CPixel colour = ColourOr(r.bColour, r.colour, 0, 0, 0, 0);
        Each(canvas, [&](double, double) { return colour; });
    } else if (kind == "gradient") {
        Gradient(r, canvas);
    } else if (kind == "glow" || kind == "spark" || kind == "flame" || kind == "smoke") {
        Sprite(r, canvas);
    } else if (kind == "edge" || kind == "corner" || kind == "plate" || kind == "button") {
        FramePiece(r, canvas);
    } else if (kind == "arrow") {
        Arrow(r, canvas);
    } else if (kind == "gear") {
        Gear(r, canvas);
    } else {
        return false;
    }
    return true;
}
