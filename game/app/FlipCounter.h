// A number shown as a row of mechanical digit rollers in the scene. Each roller is a copy of
// one roller node read from a script under the parent node: an upper and a lower fixed half
// and a flap, whose animation frames 0..9 are the digit faces. A roller steps one digit per
// flap turn, always in the counting direction, until it shows its digit of the value.
#pragma once

#include <cstdint>

class C3DObject;
class M3DOMObject;
class M3DOMWorld;

class CFlipCounter {
public:
    // The flap turns from this angle (radians about x) until it passes half a turn.
    static constexpr float kFlapStart = -0.01f;
    static constexpr float kFlapEnd = -3.1415927f;

    // Reads the roller script once per digit under parent (with the script key), moves roller
    // i by i x step along x and gives each a turning speed up to an eighth below turnSpeed;
    // then every roller rests on 0. Counting runs upwards when bCountUp is set, else downwards.
    // A roller whose node is missing or holds fewer than three objects is left out.
    CFlipCounter(M3DOMWorld* world, M3DOMObject* parent, int32_t count, float step, float turnSpeed,
                 int32_t bCountUp, const char* rollerScript);
    CFlipCounter(const CFlipCounter&) = delete;
    CFlipCounter& operator=(const CFlipCounter&) = delete;
    // The rollers stay in the object model.
    virtual ~CFlipCounter() = default;

    // Shows or hides the parent with every roller; hidden, the counter does not animate.
    void SetVisible(int32_t visible);
    // Advances the rollers by dt seconds towards the decimal digits of value, the units digit
    // on the last roller; digits beyond the rollers are not shown.
    void Update(double dt, unsigned value);
    // Every roller at rest on 0, a turn in progress ended and its flap folded back up.
    void Reset();

    // The face frame of a digit: counting up frame d, counting down frame (10 - d) mod 10.
    int32_t FrameOfDigit(int32_t digit) const;

    M3DOMObject* m_pParent;  // not owned
    int32_t m_nCount;
    float m_fTurnSpeed;  // radians per second of a flap
    int32_t m_nDirection;  // +1 or -1
    int32_t m_bShown = 1;

private:
    enum { kUpperHalf = 0, kLowerHalf = 1, kFlap = 2, kObjectsPerRoller = 3 };

    // Roller i's node, or none when it is missing or lacks one of its three objects.
    M3DOMObject* Roller(int32_t i) const;
    int32_t NextDigit(int32_t digit) const;
    void UpdateRoller(M3DOMObject* roller, int32_t target, double dt);
    void PlaceRollers();
};
