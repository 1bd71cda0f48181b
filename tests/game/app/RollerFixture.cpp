#include "tests/game/app/RollerFixture.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/graphics/Model.h"
#include "engine/graphics/VertexBuffer.h"

namespace {

constexpr int kFrames = 10;
// The render device's lock flag for reading only.
constexpr uint32_t kLockReadOnly = 0x10;
// Nearer than this a vertex stands on a bar's ridge.
constexpr float kOnPoint = 1e-4f;

enum : uint32_t { kA = 1, kB = 2, kC = 4, kD = 8, kE = 16, kF = 32, kG = 64 };
constexpr uint32_t kTopHalf = kA | kB | kF | kG;
constexpr uint32_t kBottomHalf = kC | kD | kE | kG;
// The lit segments of digits 0 to 9.
constexpr uint32_t kDigitSegments[10] = {
    kA | kB | kC | kD | kE | kF,
    kB | kC,
    kA | kB | kD | kE | kG,
    kA | kB | kC | kD | kG,
    kB | kC | kF | kG,
    kA | kC | kD | kF | kG,
    kA | kC | kD | kE | kF | kG,
    kA | kB | kC,
    kA | kB | kC | kD | kE | kF | kG,
    kA | kB | kC | kD | kF | kG,
};

// A bar of a digit as seen on the face: its centre (the hinge at y = 0, the digit 1.2 high),
// its length along x or y and its width. The middle bar is split at the hinge.
struct Bar {
    uint32_t segment;
    bool horizontal;
    float x, y, length, width;
};

const Bar kBars[] = {
    {kA, true, 0.0f, 0.56f, 0.44f, 0.1f},   {kB, false, 0.25f, 0.3f, 0.34f, 0.1f},
    {kF, false, -0.25f, 0.3f, 0.34f, 0.1f}, {kG, true, 0.0f, 0.075f, 0.44f, 0.07f},
    {kC, false, 0.25f, -0.3f, 0.34f, 0.1f}, {kE, false, -0.25f, -0.3f, 0.34f, 0.1f},
    {kD, true, 0.0f, -0.56f, 0.44f, 0.1f},  {kG, true, 0.0f, -0.075f, 0.44f, 0.07f},
};

// The cards, their middle planes at z = 0: 0.9 wide, reaching from 0.02 to 0.74 off the
// hinge. The halves are 0.04 thick with their bars standing out of the front face; the flap is
// 0.02 thick, hinged at its own origin, with bars on both faces.
constexpr float kCardWidth = 0.9f;
constexpr float kCardHeight = 0.72f;
constexpr float kCardCentre = 0.38f;
constexpr float kHalfDepth = 0.04f;
constexpr float kFlapDepth = 0.02f;

// A face's bars as the model holds them: the back's bars are turned upside down, so that
// they read upright once the flap has turned half a turn about x. A bar's inner ridge lies on
// the card's middle plane, so that no bar shows through the card on the other face.
struct PlacedBar {
    const Bar* bar;
    float y;
    float outward;  // -1 on a front face, +1 on the back

    float CentreZ() const { return outward * bar->width * 0.5f; }
};

std::vector<PlacedBar> BarsOf(RollerPart part, RollerFace face) {
    const bool flap = part == RollerPart::kFlap;
    if (face == RollerFace::kBack && !flap)
        return {};
    const bool back = face == RollerFace::kBack;
    const bool top = part == RollerPart::kUpper || (flap && !back);
    std::vector<PlacedBar> bars;
    for (const Bar& bar : kBars) {
        if ((bar.y > 0.0f) == top)
            bars.push_back({&bar, back ? -bar.y : bar.y, back ? 1.0f : -1.0f});
    }
    return bars;
}

// The digit whose face frame k is: counting up digit d is frame d, counting down frame 10 - d.
int UpperDigitOfFrame(int direction, int frame) {
    return direction > 0 ? frame : (kFrames - frame) % kFrames;
}

int NextDigit(int direction, int digit) {
    return (digit + direction + kFrames) % kFrames;
}

std::string Number(float value) {
    char text[32];
    snprintf(text, sizeof text, "%.5f", static_cast<double>(value));
    return text;
}

std::string CardText(RollerPart part) {
    const float depth = part == RollerPart::kFlap ? kFlapDepth : kHalfDepth;
    const float y = part == RollerPart::kLower ? -kCardCentre : kCardCentre;
    return "part box size " + Number(kCardWidth) + " " + Number(kCardHeight) + " " + Number(depth) +
           "\n    translate 0 " + Number(y) + " 0\nend\n";
}

// A bar is a square rod turned 45 degrees about its length: its two front facets catch the
// light differently from the flat card, so the digit reads on a card of the same colour.
std::string BarText(const PlacedBar& placed, const std::vector<int>& hiddenFrames) {
    const Bar& bar = *placed.bar;
    const std::string side = Number(bar.width / std::sqrt(2.0f));
    std::string text = "part box size ";
    text += bar.horizontal ? Number(bar.length) + " " + side + " " + side : side + " " + Number(bar.length) + " " + side;
    text += bar.horizontal ? "\n    rotate x 45" : "\n    rotate y 45";
    text += "\n    translate " + Number(bar.x) + " " + Number(placed.y) + " " + Number(placed.CentreZ());
    if (!hiddenFrames.empty()) {
        text += "\n    hide ";
        for (size_t i = 0; i < hiddenFrames.size(); ++i)
            text += (i ? "," : "") + std::to_string(hiddenFrames[i]);
    }
    return text + "\nend\n";
}

// The digit a face shows in frame k, by the data rule.
int DigitOnFace(RollerPart part, RollerFace face, int direction, int frame) {
    const int upper = UpperDigitOfFrame(direction, frame);
    const bool followingDigit = part == RollerPart::kLower || face == RollerFace::kBack;
    return followingDigit ? NextDigit(direction, upper) : upper;
}

}  // namespace

RollerModelNames RollerModelsFor(int direction) {
    if (direction > 0)
        return {"CountUpUpper", "CountUpLower", "CountUpFlap"};
    return {"CountDownUpper", "CountDownLower", "CountDownFlap"};
}

uint32_t TopSegments(int digit) {
    return kDigitSegments[digit] & kTopHalf;
}

uint32_t BottomSegments(int digit) {
    return kDigitSegments[digit] & kBottomHalf;
}

std::string RollerModelText(RollerPart part, int direction) {
    std::string text = "frames " + std::to_string(kFrames) + "\n" + CardText(part);
    for (const RollerFace face : {RollerFace::kFront, RollerFace::kBack}) {
        for (const PlacedBar& placed : BarsOf(part, face)) {
            std::vector<int> hidden;
            for (int frame = 0; frame < kFrames; ++frame) {
                if (!(kDigitSegments[DigitOnFace(part, face, direction, frame)] & placed.bar->segment))
                    hidden.push_back(frame);
            }
            text += BarText(placed, hidden);
        }
    }
    return text;
}

uint32_t ShownSegments(CModel* model, uint32_t frame, RollerPart part, RollerFace face) {
    if (!model || !model->m_pVertexBuffer || frame >= model->GetFrameCount())
        return 0;
    const uint32_t count = model->GetVertexCount();
    const uint32_t frameBytes = count * static_cast<uint32_t>(sizeof(CModelVertex));
    void* data = nullptr;
    if (!model->m_pVertexBuffer->Lock(frame * frameBytes, frameBytes, &data, kLockReadOnly))
        return 0;
    const auto* vertices = static_cast<const CModelVertex*>(data);
    uint32_t shown = 0;
    for (const PlacedBar& placed : BarsOf(part, face)) {
        // A shown bar has a vertex at an end of its outer ridge; a hidden one has shrunk to
        // its middle.
        const Bar& bar = *placed.bar;
        const float x = bar.x + (bar.horizontal ? bar.length * 0.5f : 0.0f);
        const float y = placed.y + (bar.horizontal ? 0.0f : bar.length * 0.5f);
        const float z = placed.CentreZ() + placed.outward * bar.width * 0.5f;
        for (uint32_t i = 0; i < count; ++i) {
            const CModelVertex& v = vertices[i];
            if (std::fabs(v.x - x) < kOnPoint && std::fabs(v.y - y) < kOnPoint && std::fabs(v.z - z) < kOnPoint) {
                shown |= bar.segment;
                break;
            }
        }
    }
    model->m_pVertexBuffer->Unlock();
    return shown;
}
