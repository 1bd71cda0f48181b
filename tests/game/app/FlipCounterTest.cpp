// The digit rollers: rollers read from a roller script per digit and placed a step apart,
// their turning speeds, the frames and faces they show at rest and through a turn in both
// counting directions, the counting itself, holding still while hidden or without time, a
// reset in mid-turn, and set-ups that give no rollers.
#include "game/app/FlipCounter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/ScriptCipher.h"
#include "engine/core/Vector3.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/ScriptKey.h"
#include "tests/game/app/RollerFixture.h"
#include "tests/game/app/ScripterFixture.h"
#include "tests/support/TempDir.h"
#include "winapi/base/WinRandom.h"

namespace {

constexpr int kUp = 1;
constexpr int kDown = -1;
constexpr unsigned kSeed = 1234;
constexpr float kStep = 1.1f;
constexpr float kSpeed = 4.0f;  // radians per second
// Short enough for no roller to finish a turn in one update.
constexpr double kPartDt = 0.25;

const CVector3 kParentPos(1.0f, 2.0f, 0.5f);

// Worked out here rather than taken from the counter: counting up digit d is frame d,
// counting down frame 10 - d, and digit 0 frame 0 both ways.
uint32_t ExpectedFrame(int direction, int digit) {
    return static_cast<uint32_t>(direction > 0 ? digit : (10 - digit) % 10);
}

int Preceding(int direction, int digit) {
    return Following(-direction, digit);
}

uint32_t FrameOf(const C3DObject* o) {
    EXPECT_EQ(o->m_nFrameA, o->m_nFrameB) << o->m_szName;
    return o->m_nFrameA;
}

uint32_t Shows(const C3DObject* o, RollerPart part, RollerFace face) {
    return ShownSegments(o->GetModel(), FrameOf(o), part, face);
}

// The flap state and frames of a roller in one line, to see that nothing changed.
std::string Describe(const M3DOMObject* roller) {
    const C3DObject* flap = roller->GetO(kFlap);
    char text[160];
    snprintf(text, sizeof text, "valn %d frames %u %u %u flap visible %d value %.9g rot %.9g", roller->m_nValN,
             FrameOf(roller->GetO(kUpperHalf)), FrameOf(roller->GetO(kLowerHalf)), FrameOf(flap), flap->m_bVisible,
             static_cast<double>(flap->m_fValue), static_cast<double>(flap->m_vOwnRot.x));
    return text;
}

void ExpectAtRest(const M3DOMObject* roller, int direction, int digit) {
    SCOPED_TRACE("at rest on " + std::to_string(digit));
    EXPECT_EQ(roller->m_nValN, digit);
    EXPECT_EQ(FrameOf(roller->GetO(kUpperHalf)), ExpectedFrame(direction, digit));
    EXPECT_EQ(FrameOf(roller->GetO(kLowerHalf)), ExpectedFrame(direction, Preceding(direction, digit)));
    EXPECT_EQ(roller->GetO(kFlap)->m_bVisible, 0);
    EXPECT_EQ(roller->GetO(kFlap)->m_fValue, 0.0f);
}

// An enciphered copy of a file, as the game ships its scripts.
void WriteEnciphered(const std::string& path, const std::vector<unsigned char>& plain, const char* key) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    CScriptCipher cipher;
    EXPECT_EQ(cipher.EncipherAndWrite(plain.data(), static_cast<int>(plain.size()), key, kScriptKeyLength, file),
              static_cast<int>(plain.size()) + kScriptKeyLength);
    fclose(file);
}

class FlipCounterTest : public ScripterTest {
protected:
    void SetUp() override {
        ScripterTest::SetUp();
        if (HasFatalFailure())
            return;
        for (const int direction : {kUp, kDown}) {
            const RollerModelNames names = RollerModelsFor(direction);
            ASSERT_NE(AddModel(names.upper, RollerModelText(RollerPart::kUpper, direction)), nullptr);
            ASSERT_NE(AddModel(names.lower, RollerModelText(RollerPart::kLower, direction)), nullptr);
            ASSERT_NE(AddModel(names.flap, RollerModelText(RollerPart::kFlap, direction)), nullptr);
        }
        m_pParent = AddNode("Counter");
        m_pParent->m_vPos = m_pParent->m_vTarget = kParentPos;
        winapi::srand(kSeed);
    }

    static const char* ScriptFor(int direction) {
        return direction > 0 ? kRollerCountUpScript : kRollerCountDownScript;
    }

    std::unique_ptr<CFlipCounter> MakeCounter(int count, int direction) {
        const std::string script = ScriptFixturePath(ScriptFor(direction));
        return std::make_unique<CFlipCounter>(m_pWorld.get(), m_pParent, count, kStep, kSpeed, direction > 0 ? 1 : 0,
                                              script.c_str());
    }

    // A roller as the script alone reads it, under a node of its own.
    const M3DOMObject* ScriptRoller(const char* script) {
        M3DOMObject* scratch = AddNode("Scratch");
        const std::string path = ScriptFixturePath(script);
        EXPECT_GT(Scripter().LoadScript(scratch, path.c_str(), kScriptKey, kScriptKeyLength), 0);
        return scratch->GetChild(0);
    }

    M3DOMObject* Roller(int i) const { return m_pParent->GetChild(i); }

    // Each roller's digit, the most significant first.
    std::string Shown() const {
        std::string digits;
        for (CPointerList::Node* node = m_pParent->m_pList->m_pHead; node; node = node->m_pNext)
            digits += static_cast<char>('0' + static_cast<M3DOMObject*>(node->m_data)->m_nValN);
        return digits;
    }

    void RunToRest(CFlipCounter* counter, unsigned value) {
        for (int i = 0; i < kUpdatesToRest; ++i)
            counter->Update(kLongDt, value);
    }

    M3DOMObject* m_pParent = nullptr;
};

TEST_F(FlipCounterTest, BuildsARollerPerDigitAStepApartEachTurningUpToAnEighthSlower) {
    const M3DOMObject* model = ScriptRoller(kRollerCountUpScript);
    ASSERT_NE(model, nullptr);
    const CVector3 base = model->m_vPosRel;
    const CVector3 flapOffset = model->GetO(kFlap)->m_vPosRel;
    constexpr int kRollers = 4;
    const std::unique_ptr<CFlipCounter> counter = MakeCounter(kRollers, kUp);
    EXPECT_EQ(m_pParent->m_bRelative, 1);
    ASSERT_EQ(m_pParent->CountMOs(), kRollers);

    // The same draws again: one per roller, in order.
    winapi::srand(kSeed);
    std::vector<float> speeds;
    for (int i = 0; i < kRollers; ++i) {
        SCOPED_TRACE("roller " + std::to_string(i));
        const M3DOMObject* roller = Roller(i);
        ExpectNear(roller->m_vPosRel, CVector3(base.x + static_cast<float>(i) * kStep, base.y, base.z));
        ExpectNear(roller->m_vTargetRel, roller->m_vPosRel, 0.0f);
        ExpectAtRest(roller, kUp, 0);
        const float share = static_cast<float>(winapi::rand()) / static_cast<float>(winapi::kRandMax);
        EXPECT_NEAR(roller->m_fValF, kSpeed * (1.0f - share / 8.0f), 1e-5f);
        EXPECT_LE(roller->m_fValF, kSpeed);
        EXPECT_GE(roller->m_fValF, kSpeed * 7.0f / 8.0f);
        speeds.push_back(roller->m_fValF);
    }
    EXPECT_NE(speeds.front(), speeds.back());

    // A turn places the rollers from the parent: each roller and its flap where the script put
    // them, moved by the roller's step.
    counter->Update(0.0, 1111);
    for (int i = 0; i < kRollers; ++i) {
        SCOPED_TRACE("roller " + std::to_string(i));
        const M3DOMObject* roller = Roller(i);
        const CVector3 at(kParentPos.x + base.x + static_cast<float>(i) * kStep, kParentPos.y + base.y,
                          kParentPos.z + base.z);
        ExpectNear(roller->m_vPos, at);
        const C3DObject* flap = roller->GetO(kFlap);
        ExpectNear(flap->m_vPos, CVector3(at.x + flapOffset.x, at.y + flapOffset.y, at.z + flapOffset.z));
        EXPECT_FLOAT_EQ(flap->m_vRot.x, CFlipCounter::kFlapStart);
    }
}

TEST_F(FlipCounterTest, ATurnPlacesTheCounterAloneAndKeepsTheFrameTime) {
    M3DOMObject* mover = AddNode("Mover");
    mover->m_fVelocity = 1.0f;
    mover->m_vTarget = CVector3(5.0f, 0.0f, 0.0f);
    const std::unique_ptr<CFlipCounter> counter = MakeCounter(2, kUp);
    m_FrameTime = 0.5;
    counter->Update(0.0, 11);
    counter->Update(kLongDt, 11);
    EXPECT_EQ(Shown(), "11");
    ExpectNear(mover->m_vPos, CVector3(0.0f, 0.0f, 0.0f), 0.0f);
    ExpectNear(m_pParent->m_vPos, kParentPos, 0.0f);
    EXPECT_EQ(m_FrameTime, 0.5);
}

// What each face shows at rest and through every turn of a full round, both ways: the
// counter's frames with the test rollers, which follow the roller data rule.
TEST_F(FlipCounterTest, FramesAndFacesAtRestAndThroughEveryTurnOfARound) {
    for (const int direction : {kUp, kDown}) {
        SCOPED_TRACE(direction > 0 ? "counting up" : "counting down");
        m_pParent->DeleteChildren();
        const std::unique_ptr<CFlipCounter> counter = MakeCounter(1, direction);
        M3DOMObject* roller = Roller(0);
        ASSERT_NE(roller, nullptr);
        const C3DObject* upper = roller->GetO(kUpperHalf);
        const C3DObject* lower = roller->GetO(kLowerHalf);
        const C3DObject* flap = roller->GetO(kFlap);
        int digit = 0;
        for (int turn = 0; turn < 10; ++turn) {
            const int next = Following(direction, digit);
            SCOPED_TRACE("turn from " + std::to_string(digit) + " to " + std::to_string(next));
            ExpectAtRest(roller, direction, digit);
            EXPECT_EQ(Shows(upper, RollerPart::kUpper, RollerFace::kFront), TopSegments(digit));
            EXPECT_EQ(Shows(lower, RollerPart::kLower, RollerFace::kFront), BottomSegments(digit));

            // The start: the flap stands over the upper half with the old digit's top, the upper
            // half shows the next digit's top.
            counter->Update(kPartDt, static_cast<unsigned>(next));
            EXPECT_EQ(roller->m_nValN, digit);
            EXPECT_EQ(flap->m_bVisible, 1);
            EXPECT_EQ(flap->m_fValue, 1.0f);
            EXPECT_EQ(flap->m_vOwnRot.x, CFlipCounter::kFlapStart);
            EXPECT_EQ(FrameOf(flap), ExpectedFrame(direction, digit));
            EXPECT_EQ(FrameOf(upper), ExpectedFrame(direction, next));
            EXPECT_EQ(FrameOf(lower), ExpectedFrame(direction, Preceding(direction, digit)));
            EXPECT_EQ(Shows(upper, RollerPart::kUpper, RollerFace::kFront), TopSegments(next));
            EXPECT_EQ(Shows(flap, RollerPart::kFlap, RollerFace::kFront), TopSegments(digit));
            EXPECT_EQ(Shows(flap, RollerPart::kFlap, RollerFace::kBack), BottomSegments(next));
            EXPECT_EQ(Shows(lower, RollerPart::kLower, RollerFace::kFront), BottomSegments(digit));

            // Half-way: only the flap has moved, at the roller's own speed.
            counter->Update(kPartDt, static_cast<unsigned>(next));
            EXPECT_NEAR(flap->m_vOwnRot.x, CFlipCounter::kFlapStart - roller->m_fValF * kPartDt, 1e-5);
            EXPECT_GT(flap->m_vOwnRot.x, CFlipCounter::kFlapEnd);
            EXPECT_EQ(flap->m_fValue, 1.0f);
            EXPECT_EQ(FrameOf(flap), ExpectedFrame(direction, digit));
            EXPECT_EQ(FrameOf(upper), ExpectedFrame(direction, next));
            EXPECT_EQ(FrameOf(lower), ExpectedFrame(direction, Preceding(direction, digit)));

            // Past half a turn the flap is gone and the lower half shows what its back showed.
            counter->Update(kLongDt, static_cast<unsigned>(next));
            EXPECT_LT(flap->m_vOwnRot.x, CFlipCounter::kFlapEnd);
            ExpectAtRest(roller, direction, next);
            EXPECT_EQ(FrameOf(lower), ExpectedFrame(direction, digit));
            EXPECT_EQ(Shows(lower, RollerPart::kLower, RollerFace::kFront), BottomSegments(next));
            EXPECT_EQ(FrameOf(flap), ExpectedFrame(direction, digit));
            digit = next;
        }
        EXPECT_EQ(digit, 0);
    }
}

struct CountingCase {
    const char* name;
    int direction;
    int rollers;
    unsigned from;
    unsigned to;
    std::vector<std::string> shown;  // after the start and after each turn
};

const CountingCase kCountingCases[] = {
    {"counting up from 9 to 1 passes 0", kUp, 1, 9, 1, {"9", "0", "1"}},
    {"counting down from 2 to 5 takes seven turns", kDown, 1, 2, 5, {"2", "1", "0", "9", "8", "7", "6", "5"}},
    {"counting down from 0 to 9 takes one turn", kDown, 1, 0, 9, {"0", "9"}},
    {"a value of more digits than rollers shows its lowest ones", kUp, 2, 0, 4567,
     {"00", "11", "22", "33", "44", "55", "66", "67"}},
    {"the leading rollers of a short value go to 0", kUp, 3, 208, 9,
     {"208", "309", "409", "509", "609", "709", "809", "909", "009"}},
    {"a value already shown turns nothing", kDown, 3, 305, 305, {"305"}},
};

TEST_F(FlipCounterTest, CountsDigitByDigitInItsDirectionUntilTheValueShows) {
    for (const CountingCase& c : kCountingCases) {
        SCOPED_TRACE(c.name);
        m_pParent->DeleteChildren();
        const std::unique_ptr<CFlipCounter> counter = MakeCounter(c.rollers, c.direction);
        RunToRest(counter.get(), c.from);
        std::vector<std::string> shown = {Shown()};
        for (int i = 0; i < 3 * kUpdatesToRest; ++i) {
            counter->Update(kLongDt, c.to);
            if (Shown() != shown.back())
                shown.push_back(Shown());
        }
        EXPECT_EQ(shown, c.shown);
    }
}

struct HoldCase {
    const char* name;
    bool turning;  // a flap turns when the hold begins
    bool hidden;
    double dt;
};

const HoldCase kHoldCases[] = {
    {"hidden while turning", true, true, 0.3},
    {"hidden at rest", false, true, 0.3},
    {"no time while turning", true, false, 0.0},
};

TEST_F(FlipCounterTest, HiddenOrWithoutTimeNothingMovesAndTurnsResumeWhereTheyStopped) {
    for (const HoldCase& c : kHoldCases) {
        SCOPED_TRACE(c.name);
        m_pParent->DeleteChildren();
        const std::unique_ptr<CFlipCounter> counter = MakeCounter(2, kUp);
        if (c.turning) {
            counter->Update(0.0, 11);
            counter->Update(kPartDt, 11);
        }
        if (c.hidden) {
            counter->SetVisible(0);
            EXPECT_EQ(m_pParent->m_bVisible, 0);
            for (int i = 0; i < 2; ++i) {
                for (int o = kUpperHalf; o <= kFlap; ++o)
                    EXPECT_EQ(Roller(i)->GetO(o)->m_bVisible, 0);
            }
        }
        const std::string held[] = {Describe(Roller(0)), Describe(Roller(1))};
        for (int i = 0; i < 3; ++i)
            counter->Update(c.dt, 22);
        EXPECT_EQ(Describe(Roller(0)), held[0]);
        EXPECT_EQ(Describe(Roller(1)), held[1]);

        if (c.hidden)
            counter->SetVisible(1);
        const float before = Roller(0)->GetO(kFlap)->m_vOwnRot.x;
        counter->Update(kPartDt, 11);
        const C3DObject* flap = Roller(0)->GetO(kFlap);
        EXPECT_EQ(flap->m_fValue, 1.0f);
        if (c.turning) {
            EXPECT_NEAR(flap->m_vOwnRot.x, before - Roller(0)->m_fValF * kPartDt, 1e-5);
        } else {
            EXPECT_EQ(flap->m_vOwnRot.x, CFlipCounter::kFlapStart);
        }
        RunToRest(counter.get(), 11);
        EXPECT_EQ(Shown(), "11");
    }
}

TEST_F(FlipCounterTest, ResetInMidTurnLeavesEveryRollerAtRestOnZero) {
    for (const int direction : {kUp, kDown}) {
        SCOPED_TRACE(direction > 0 ? "counting up" : "counting down");
        m_pParent->DeleteChildren();
        constexpr int kRollers = 3;
        const std::unique_ptr<CFlipCounter> counter = MakeCounter(kRollers, direction);
        RunToRest(counter.get(), 123);
        counter->Update(0.0, 456);
        counter->Update(kPartDt, 456);
        for (int i = 0; i < kRollers; ++i)
            ASSERT_EQ(Roller(i)->GetO(kFlap)->m_fValue, 1.0f);

        counter->Reset();
        for (int i = 0; i < kRollers; ++i)
            ExpectAtRest(Roller(i), direction, 0);
        // No turn was left to finish and count on.
        RunToRest(counter.get(), 0);
        for (int i = 0; i < kRollers; ++i)
            ExpectAtRest(Roller(i), direction, 0);
    }
}

struct KeyCase {
    const char* name;
    const char* key;
    int rollers;
};

TEST_F(FlipCounterTest, AnEncipheredRollerScriptNeedsTheGameKey) {
    const KeyCase cases[] = {
        {"the game's key", kScriptKey, 2},
        {"another key", "another key of 20 ch", 0},
    };
    const std::vector<unsigned char> plain = ReadBytes(ScriptFixturePath(kRollerCountUpScript));
    ASSERT_FALSE(plain.empty());
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_pParent->DeleteChildren();
        const std::string path = m_Dir.File("roller.enc");
        WriteEnciphered(path, plain, c.key);
        CFlipCounter counter(m_pWorld.get(), m_pParent, 2, kStep, kSpeed, 1, path.c_str());
        EXPECT_EQ(m_pParent->CountMOs(), c.rollers);
        RunToRest(&counter, 37);
        EXPECT_EQ(Shown(), c.rollers ? "37" : "");
    }
}

struct BadSetUp {
    const char* name;
    bool world;
    bool parent;
    const char* script;  // in the fixtures folder; none for none
    int count;
    int children;  // what the parent holds afterwards
    const char* log;  // what the log holds, or none
};

const BadSetUp kBadSetUps[] = {
    {"a script that is missing", true, true, "roller_missing.fsc", 3, 0, "LoadScript - loading failed"},
    {"no script", true, true, nullptr, 3, 0, "LoadScript - loading failed"},
    {"rollers of two objects", true, true, kRollerTwoObjectsScript, 3, 3, nullptr},
    {"no parent", true, false, kRollerCountUpScript, 3, 0, nullptr},
    {"no world", false, true, kRollerCountUpScript, 3, 0, nullptr},
    {"no digits", true, true, kRollerCountUpScript, 0, 0, nullptr},
    {"fewer than no digits", true, true, kRollerCountUpScript, -2, 0, nullptr},
};

TEST_F(FlipCounterTest, SetUpsWithoutRollersDoNoHarm) {
    for (const BadSetUp& c : kBadSetUps) {
        SCOPED_TRACE(c.name);
        m_pParent->DeleteChildren();
        TakeLog();
        const int worldSize = WorldSize();
        const std::string script = c.script ? ScriptFixturePath(c.script) : std::string();
        {
            CFlipCounter counter(c.world ? m_pWorld.get() : nullptr, c.parent ? m_pParent : nullptr, c.count, kStep,
                                 kSpeed, 1, c.script ? script.c_str() : nullptr);
            EXPECT_EQ(m_pParent->CountMOs(), c.children);
            const std::string built = DescribeTree(m_pWorld->m_pInstanceTree);
            for (int i = 0; i < 4; ++i)
                counter.Update(kLongDt, 987);
            counter.Reset();
            // The nodes the script made stay as it made them.
            EXPECT_EQ(DescribeTree(m_pWorld->m_pInstanceTree), built);
            counter.SetVisible(0);
            counter.Update(kLongDt, 987);
            counter.SetVisible(1);
            counter.Update(kLongDt, 987);
        }
        if (c.children == 0) {
            EXPECT_EQ(WorldSize(), worldSize);
        }
        const std::string log = TakeLog();
        if (c.log) {
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        }
    }
}

}  // namespace
