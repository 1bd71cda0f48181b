// Particle systems stepped by fixed time steps with fixed seeds: the random table, emission
// counts and the carry, lifetimes and the removal by swap, the two emitters' particles, the
// gravity modifier and modifiers in general, rates that must stay within the array, and the
// quads written for drawing (on the recording device).
#include "engine/graphics/ParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "engine/core/Matrix.h"
#include "engine/core/Random.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/ParticleConeEmitter.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleGravityModifier.h"
#include "engine/graphics/QuaternionOps.h"
#include "engine/graphics/VertexBuffer.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Steps of 1/16 s keep every emission sum exact in binary.
constexpr double kStep = 0.0625;

// The program's generator from `seed`, written out once more: x = x * 214013 + 2531011.
std::vector<float> RandomTable(uint32_t seed) {
    std::vector<float> table;
    uint32_t x = seed;
    for (int i = 0; i < 1024; ++i) {
        x = x * 214013u + 2531011u;
        table.push_back(static_cast<float>((x >> 16) & 0x7FFF) / 32767.0f);
    }
    return table;
}

// v turned by q, through the matrix the engine builds from it.
CVector3 Turned(const CQuaternion& q, const CVector3& v) {
    CMatrix m;
    m.SetFromQuaternion(q);
    CVector3 out;
    m.TransformVector(&out, v);
    return out;
}

::testing::AssertionResult Near(const CVector3& actual, const CVector3& expected, float tolerance = 1e-5f) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                         << ") is not near (" << expected.x << ", " << expected.y << ", "
                                         << expected.z << ")";
}

void StepTimes(CParticleSystem* system, int steps, double dt = kStep) {
    for (int i = 0; i < steps; ++i)
        system->Step(&dt);
}

// Records what a modifier sees of each particle: its slot and a value drawn from the system's
// random table.
class CRecordingModifier : public CParticleModifier {
public:
    void Apply(CParticle* particle, const double* dt, CParticleSystem* system) override {
        slots.push_back(system->GetSlotIndex(particle));
        randoms.push_back(system->NextRandom());
        lastStep = *dt;
        particle->fSize += 1.0f;
    }

    std::vector<uint32_t> slots;
    std::vector<float> randoms;
    double lastStep = 0.0;
};

class ParticleSystemTest : public ::testing::Test {
protected:
    // Other users of the generator expect the start-up seed.
    void TearDown() override {
        SeedRandomNumbers(1);
        g_nColorByteOrder = 0;
    }

    // A cone emitter sending particles straight up (+y) at `speed`, `rate` a second.
    static void StraightUp(CParticleConeEmitter* system, float rate, float life, float speed = 1.0f) {
        system->m_fAngleA = kPi / 2;
        system->m_fAngleB = kPi / 2;
        system->m_fSpreadA = 0.0f;
        system->m_fSpreadB = 0.0f;
        system->m_fRate = rate;
        system->m_fLife = life;
        system->m_fSpeed = speed;
    }
};

// --- quaternions ----------------------------------------------------------------------------------

TEST_F(ParticleSystemTest, QuaternionFromAxisAngleNormalisesTheAxis) {
    const float s = std::sin(kPi / 4);
    struct Case {
        CVector3 axis;
        float angle;
        CQuaternion expected;
    };
    const Case cases[] = {
        {{0.0f, 0.0f, 1.0f}, 0.0f, {0.0f, 0.0f, 0.0f, 1.0f}},
        {{3.0f, -4.0f, 12.0f}, 0.0f, {0.0f, 0.0f, 0.0f, 1.0f}},
        {{0.0f, 0.0f, 2.0f}, kPi, {0.0f, 0.0f, 1.0f, 0.0f}},
        {{5.0f, 0.0f, 0.0f}, kPi / 2, {s, 0.0f, 0.0f, s}},
        {{0.0f, -1.0f, 0.0f}, kPi / 2, {0.0f, -s, 0.0f, s}},
        {{3.0f, 0.0f, 4.0f}, kPi / 3, {0.6f * 0.5f, 0.0f, 0.8f * 0.5f, std::cos(kPi / 6)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "axis (" << c.axis.x << ", " << c.axis.y << ", " << c.axis.z
                                        << ") angle " << c.angle);
        CQuaternion q{9.0f, 9.0f, 9.0f, 9.0f};
        EXPECT_EQ(QuaternionFromAxisAngle(&q, &c.axis, c.angle), &q);
        EXPECT_NEAR(q.x, c.expected.x, 1e-6f);
        EXPECT_NEAR(q.y, c.expected.y, 1e-6f);
        EXPECT_NEAR(q.z, c.expected.z, 1e-6f);
        EXPECT_NEAR(q.w, c.expected.w, 1e-6f);
    }
}

TEST_F(ParticleSystemTest, RotationFromAnglesTurnsAboutXThenYThenZ) {
    struct Case {
        float y, x, z;
        CVector3 from;
        CVector3 to;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.0f, {1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f}},
        {0.0f, kPi / 2, 0.0f, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
        {kPi / 2, 0.0f, 0.0f, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}},
        {0.0f, 0.0f, kPi / 2, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        // y -> z (about x), z -> x (about y), x -> y (about z): back where it started; any
        // other order takes it elsewhere.
        {kPi / 2, kPi / 2, kPi / 2, {0.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        // x stays under the turn about x, then goes to -z about y, and stays about z.
        {kPi / 2, kPi / 2, kPi / 2, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angles y " << c.y << " x " << c.x << " z " << c.z);
        const CQuaternion q = CParticleSystem::RotationFromAngles(c.y, c.x, c.z);
        EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-5f);
        EXPECT_TRUE(Near(Turned(q, c.from), c.to));
    }
}

// --- Init and the random table ----------------------------------------------------------------------

TEST_F(ParticleSystemTest, InitResetsTheSystemAndFillsTheTableFromTheSeed) {
    CParticleConeEmitter system;
    CParticleGravityModifier gravity;
    system.AttachModifier(&gravity);
    system.m_vPosition = CVector3(1.0f, 2.0f, 3.0f);
    system.m_qOrientation = CQuaternion{0.0f, 1.0f, 0.0f, 0.0f};
    system.m_fLife = system.m_fRate = system.m_fSize = system.m_fSpeed = 7.0f;
    system.m_fLifeVar = system.m_fSizeVar = system.m_fSpeedVar = 0.5f;
    system.m_fCarry = 0.75f;
    system.m_bEmitting = 0;
    system.m_fAngleA = 2.0f;

    for (const uint32_t seed : {2u, 99u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        ASSERT_EQ(system.Init(100, seed), 1);
        EXPECT_EQ(system.m_nCapacity, 100u);
        EXPECT_EQ(system.m_nLive, 0u);
        EXPECT_NE(system.m_pParticles, nullptr);
        EXPECT_EQ(system.m_pModifiers->m_nCount, 0);
        EXPECT_EQ(gravity.m_pSystems->m_nCount, 0);
        EXPECT_TRUE(Near(system.m_vPosition, CVector3(0.0f, 0.0f, 0.0f), 0.0f));
        EXPECT_EQ(system.m_qOrientation.w, 1.0f);
        EXPECT_EQ(system.m_qOrientation.y, 0.0f);
        EXPECT_EQ(system.m_fLife, 1.0f);
        EXPECT_EQ(system.m_fRate, 1.0f);
        EXPECT_EQ(system.m_fSize, 1.0f);
        EXPECT_EQ(system.m_fSpeed, 1.0f);
        EXPECT_EQ(system.m_fLifeVar, 0.0f);
        EXPECT_EQ(system.m_fSizeVar, 0.0f);
        EXPECT_EQ(system.m_fSpeedVar, 0.0f);
        EXPECT_EQ(system.m_fCarry, 0.0f);
        EXPECT_EQ(system.m_bEmitting, 1);
        EXPECT_EQ(system.m_fAngleA, 2.0f) << "the emitter's own values stay";
        EXPECT_EQ(system.m_nRandomIndex, 0u);
        const std::vector<float> table = RandomTable(seed);
        EXPECT_EQ(std::vector<float>(system.m_fRandom, system.m_fRandom + 1024), table);
        // The generator is the program's one: it goes on after the table's 1024 values.
        uint32_t x = seed;
        for (int i = 0; i < 1025; ++i)
            x = x * 214013u + 2531011u;
        EXPECT_EQ(NextRandomNumber(), static_cast<int>((x >> 16) & 0x7FFF));
    }
}

TEST_F(ParticleSystemTest, RandomIndexWrapsAfterTheTable) {
    CParticleConeEmitter system;
    ASSERT_EQ(system.Init(1, 5), 1);
    const std::vector<float> table = RandomTable(5);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(system.NextRandom(), table[i]) << "read " << i;
    EXPECT_EQ(system.m_nRandomIndex, 1024u);
    EXPECT_EQ(system.NextRandom(), table[0]);
    EXPECT_EQ(system.m_nRandomIndex, 1u);
    EXPECT_EQ(system.NextRandom(), table[1]);
}

// --- emission and ageing ----------------------------------------------------------------------------

TEST_F(ParticleSystemTest, FractionalEmissionIsCarriedFromStepToStep) {
    // 10 a second over 1/16 s is 0.625 a step.
    struct Case {
        int step;
        uint32_t live;
        float carry;
    };
    const Case expected[] = {{1, 0, 0.625f}, {2, 1, 0.25f}, {3, 1, 0.875f}, {4, 2, 0.5f},
                             {5, 3, 0.125f}, {6, 3, 0.75f}, {7, 4, 0.375f}, {8, 5, 0.0f}};
    CParticleConeEmitter system;
    ASSERT_EQ(system.Init(100, 1), 1);
    StraightUp(&system, 10.0f, 100.0f);
    for (const Case& c : expected) {
        SCOPED_TRACE(testing::Message() << "step " << c.step);
        StepTimes(&system, 1);
        EXPECT_EQ(system.m_nLive, c.live);
        EXPECT_EQ(system.m_fCarry, c.carry);
    }
    // Switched off, nothing more comes and nothing is carried.
    system.m_bEmitting = 0;
    system.m_fCarry = 0.9f;
    StepTimes(&system, 3);
    EXPECT_EQ(system.m_nLive, 5u);
    EXPECT_EQ(system.m_fCarry, 0.0f);
}

TEST_F(ParticleSystemTest, ParticlesLiveTheirLifeAndStopOnceEmissionIsOff) {
    // One a step, living 1/4 s: a particle is born and aged 1/16 in its step, still there at
    // exactly 0, and gone the step after, so four are alive at once.
    CParticleConeEmitter system;
    ASSERT_EQ(system.Init(10, 3), 1);
    StraightUp(&system, 16.0f, 0.25f);
    const uint32_t rising[] = {1, 2, 3, 4, 4, 4, 4};
    for (size_t i = 0; i < std::size(rising); ++i) {
        StepTimes(&system, 1);
        EXPECT_EQ(system.m_nLive, rising[i]) << "step " << i + 1;
    }
    for (uint32_t i = 0; i < system.m_nLive; ++i)
        EXPECT_GE(system.m_pParticles[i].dLife, 0.0);
    system.m_bEmitting = 0;
    const uint32_t falling[] = {3, 2, 1, 0, 0};
    for (size_t i = 0; i < std::size(falling); ++i) {
        StepTimes(&system, 1);
        EXPECT_EQ(system.m_nLive, falling[i]) << "step " << i + 1 << " without emission";
    }
}

TEST_F(ParticleSystemTest, TheLastParticleTakesADeadOnesSlotAndIsAgedOnce) {
    CParticleConeEmitter system;
    ASSERT_EQ(system.Init(10, 3), 1);
    StraightUp(&system, 16.0f, 0.0625f, 2.0f);
    StepTimes(&system, 1);  // the first one: 0 left, at 1/8 up
    ASSERT_EQ(system.m_nLive, 1u);
    EXPECT_EQ(system.m_pParticles[0].dLife, 0.0);
    system.m_fLife = 1.0f;
    system.m_fSpeed = 4.0f;
    StepTimes(&system, 1);  // the second one is born in slot 1, the first dies
    ASSERT_EQ(system.m_nLive, 1u);
    const CParticle& moved = system.m_pParticles[0];
    EXPECT_EQ(moved.dLife, 0.9375) << "aged once, in slot 0";
    EXPECT_TRUE(Near(moved.vPosition, CVector3(0.0f, 0.25f, 0.0f))) << "moved once";
}

TEST_F(ParticleSystemTest, AFullSystemEmitsNothingAndKeepsItsCarry) {
    CParticleConeEmitter system;
    ASSERT_EQ(system.Init(1, 3), 1);
    StraightUp(&system, 10.0f, 100.0f);
    StepTimes(&system, 2);  // 0.625, then 1.25: one particle, 0.25 carried
    ASSERT_EQ(system.m_nLive, 1u);
    StepTimes(&system, 1);
    EXPECT_EQ(system.m_fCarry, 0.875f);
    StepTimes(&system, 1);  // 1.5: no room
    EXPECT_EQ(system.m_nLive, 1u);
    EXPECT_EQ(system.m_fCarry, 0.5f);
}

TEST_F(ParticleSystemTest, AnyRateStaysWithinTheArray) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        float rate;
        double dt;
        uint32_t live;  // after two steps into 64 slots
    };
    const Case cases[] = {
        {"zero", 0.0f, kStep, 0},
        {"zero step", 1000.0f, 0.0, 0},
        {"large", 1.0e6f, kStep, 64},
        {"beyond the integers", 1.0e30f, kStep, 64},
        {"largest float over long steps", std::numeric_limits<float>::max(), 10.0, 64},
        {"infinite", inf, kStep, 64},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), kStep, 0},
        {"negative", -1000.0f, kStep, 0},
        {"negative infinite", -inf, kStep, 0},
        {"negative step", 1000.0f, -kStep, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CParticleConeEmitter system;
        ASSERT_EQ(system.Init(64, 3), 1);
        StraightUp(&system, c.rate, 1.0e9f);
        StepTimes(&system, 2, c.dt);
        EXPECT_EQ(system.m_nLive, c.live);
        EXPECT_GE(system.m_fCarry, 0.0f);
        EXPECT_LT(system.m_fCarry, 1.0f);
        // A usable rate afterwards emits as usual.
        system.m_fRate = 16.0f;
        system.m_fCarry = 0.0f;
        StepTimes(&system, 1);
        EXPECT_EQ(system.m_nLive, c.live < 64 ? c.live + 1 : 64u);
    }
}

TEST_F(ParticleSystemTest, ASystemWithoutParticlesEmitsNothing) {
    CParticleConeEmitter fresh;  // never initialised
    StepTimes(&fresh, 3);
    EXPECT_EQ(fresh.m_nLive, 0u);
    CParticleConeEmitter empty;
    ASSERT_EQ(empty.Init(0, 1), 1);
    StraightUp(&empty, 1000.0f, 1.0f);
    StepTimes(&empty, 3);
    EXPECT_EQ(empty.m_nLive, 0u);
    empty.Step(nullptr);
}

TEST_F(ParticleSystemTest, TheSameSeedAndStepsGiveTheSameParticles) {
    // An explosion-like cone: full spreads, speed and size variance, gravity.
    auto run = [](uint32_t seed, int steps) {
        CParticleGravityModifier gravity;
        gravity.m_fRate = 20.0f;
        auto system = std::make_unique<CParticleConeEmitter>();
        EXPECT_EQ(system->Init(1000, seed), 1);
        system->m_fAngleA = kPi / 2;
        system->m_fSpreadA = kPi;
        system->m_fSpreadB = kPi;
        system->m_fLife = 0.3f;
        system->m_fRate = 2500.0f;
        system->m_fSpeed = 4.0f;
        system->m_fSpeedVar = 1.0f;
        system->m_fSizeVar = 0.5f;
        system->m_vPosition = CVector3(1.0f, -2.0f, 0.5f);
        system->AttachModifier(&gravity);
        // The process's generator is used by others between the steps; the system does not care.
        for (int i = 0; i < steps; ++i) {
            NextRandomNumber();
            StepTimes(system.get(), 1, 0.01);
        }
        std::vector<uint8_t> bytes(sizeof(CParticle) * system->m_nLive);
        if (!bytes.empty())
            memcpy(bytes.data(), system->m_pParticles, bytes.size());
        return bytes;
    };
    const std::vector<uint8_t> first = run(42, 40);
    EXPECT_EQ(first.size(), sizeof(CParticle) * 750u) << "0.3 s of 25 a step";
    EXPECT_EQ(run(42, 40), first);
    EXPECT_NE(run(43, 40), first);
}

// --- the emitters' particles -------------------------------------------------------------------------

TEST_F(ParticleSystemTest, ConeParticlesLeaveWithinTheirAngles) {
    struct Case {
        const char* name;
        float angleA, angleB, spreadA, spreadB;
        float speedVar, sizeVar;
        CQuaternion orientation;
    };
    const CQuaternion identity{0.0f, 0.0f, 0.0f, 1.0f};
    const Case cases[] = {
        {"straight up", kPi / 2, kPi / 2, 0.0f, 0.0f, 0.0f, 0.0f, identity},
        {"the defaults", kPi / 8, 0.0f, 0.0f, kPi, 0.0f, 0.0f, identity},
        {"both spreads, varied", kPi / 2, kPi, 0.4f, 0.2f, 1.0f, 0.5f, identity},
        {"full spreads", kPi / 2, 0.0f, kPi, kPi, 0.75f, 1.0f, identity},
        {"turned", kPi / 2, kPi, 0.0f, 0.2f, 0.0f, 0.0f, CParticleSystem::RotationFromAngles(0.3f, -0.7f, 1.9f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CParticleConeEmitter system;
        ASSERT_EQ(system.Init(16, 11), 1);
        system.m_fAngleA = c.angleA;
        system.m_fAngleB = c.angleB;
        system.m_fSpreadA = c.spreadA;
        system.m_fSpreadB = c.spreadB;
        system.m_fSpeed = 3.0f;
        system.m_fSpeedVar = c.speedVar;
        system.m_fSize = 0.5f;
        system.m_fSizeVar = c.sizeVar;
        system.m_fLife = 0.75f;
        system.m_nColor = 0x80402010;
        system.m_vPosition = CVector3(1.0f, 2.0f, 3.0f);
        system.m_qOrientation = c.orientation;
        const std::vector<float> r = RandomTable(11);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << "particle " << i);
            CParticle particle{};
            system.InitParticle(&particle);
            // Four draws a particle: angle A, angle B, speed, size.
            const float a1 = 2.0f * (r[4 * i] - 0.5f) * c.spreadA + c.angleA;
            const float a2 = 2.0f * (r[4 * i + 1] - 0.5f) * c.spreadB + c.angleB;
            const float speed = (1.0f - r[4 * i + 2] * c.speedVar) * 3.0f;
            // (0, 0, speed) turned by a1 about y, then a2 about z, then the orientation.
            const CVector3 cone(speed * std::sin(a1) * std::cos(a2), speed * std::sin(a1) * std::sin(a2),
                                speed * std::cos(a1));
            EXPECT_TRUE(Near(particle.vVelocity, Turned(c.orientation, cone), 1e-5f));
            EXPECT_TRUE(Near(particle.vPosition, CVector3(1.0f, 2.0f, 3.0f), 0.0f));
            EXPECT_EQ(particle.fSize, (1.0f - r[4 * i + 3] * c.sizeVar) * 0.5f);
            EXPECT_EQ(particle.dLife, 0.75);
            EXPECT_EQ(particle.nColor, 0x80402010u);
        }
    }
}

TEST_F(ParticleSystemTest, StandardParticlesStartInsideTheirShape) {
    const CVector3 centre(2.0f, -1.0f, 0.5f);
    const CVector3 extent(1.0f, 0.6f, 0.4f);
    struct Case {
        int shape;
        const char* name;
        int draws;  // random values the offset takes
    };
    const Case cases[] = {{CParticleEmitter::kShapeBox, "box", 3},
                          {CParticleEmitter::kShapeSphere, "sphere", 3},
                          {CParticleEmitter::kShapeCylinder, "cylinder", 3},
                          {7, "no shape", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CParticleEmitter system;
        ASSERT_EQ(system.Init(1, 17), 1);
        system.m_nShape = c.shape;
        system.m_vExtent = extent;
        system.m_vPosition = centre;
        system.m_fSpeed = 2.0f;
        system.m_fSpeedVar = 0.5f;
        system.m_fSize = 0.2f;
        system.m_fSizeVar = 1.0f;
        system.m_fLife = 3.0f;
        const std::vector<float> r = RandomTable(17);
        int used = 0;
        float distanceFar = 0.0f;
        for (int i = 0; i < 300; ++i) {
            CParticle particle{};
            system.InitParticle(&particle);
            const float dx = particle.vPosition.x - centre.x;
            const float dy = particle.vPosition.y - centre.y;
            const float dz = particle.vPosition.z - centre.z;
            switch (c.shape) {
            case CParticleEmitter::kShapeBox:
                ASSERT_LE(std::fabs(dx), extent.x / 2 + 1e-6f);
                ASSERT_LE(std::fabs(dy), extent.y / 2 + 1e-6f);
                ASSERT_LE(std::fabs(dz), extent.z / 2 + 1e-6f);
                break;
            case CParticleEmitter::kShapeSphere:
                ASSERT_LE(std::sqrt(dx * dx + dy * dy + dz * dz), extent.x + 1e-5f);
                break;
            case CParticleEmitter::kShapeCylinder:
                ASSERT_LE(std::sqrt(dx * dx + dz * dz), extent.x + 1e-5f);
                ASSERT_LE(std::fabs(dy), extent.y / 2 + 1e-6f);
                break;
            default:
                ASSERT_TRUE(Near(particle.vPosition, centre, 0.0f));
            }
            distanceFar = std::fmax(distanceFar, std::sqrt(dx * dx + dy * dy + dz * dz));
            // Speed and size follow the offset's draws.
            const float speed = (1.0f - r[used + c.draws] * 0.5f) * 2.0f;
            ASSERT_TRUE(Near(particle.vVelocity, CVector3(0.0f, speed, 0.0f))) << "particle " << i;
            ASSERT_EQ(particle.fSize, (1.0f - r[used + c.draws + 1]) * 0.2f);
            ASSERT_EQ(particle.dLife, 3.0);
            used += c.draws + 2;
            if (used + 5 > 1024)
                break;
        }
        if (c.draws) {
            EXPECT_GT(distanceFar, 0.25f) << "the shape is filled, not a point";
        }
    }
}

TEST_F(ParticleSystemTest, StandardBoxOffsetsAndDirectionFollowTheOrientation) {
    CParticleEmitter system;
    ASSERT_EQ(system.Init(1, 23), 1);
    system.m_vExtent = CVector3(2.0f, 4.0f, 6.0f);
    system.m_vDirection = CVector3(1.0f, 0.0f, 0.0f);
    system.m_fSpeed = 5.0f;
    system.m_vPosition = CVector3(10.0f, 0.0f, 0.0f);
    system.m_qOrientation = CParticleSystem::RotationFromAngles(0.0f, 0.0f, kPi / 2);  // x -> y, y -> -x
    const std::vector<float> r = RandomTable(23);
    CParticle particle{};
    system.InitParticle(&particle);
    const CVector3 offset((2 * r[0] - 1) * 1.0f, (2 * r[1] - 1) * 2.0f, (2 * r[2] - 1) * 3.0f);
    EXPECT_TRUE(Near(particle.vPosition, CVector3(10.0f - offset.y, offset.x, offset.z)));
    EXPECT_TRUE(Near(particle.vVelocity, CVector3(0.0f, 5.0f, 0.0f)));
}

TEST_F(ParticleSystemTest, RandomDirectionsHaveTheSpeedInAnyDirection) {
    CParticleEmitter system;
    ASSERT_EQ(system.Init(1, 29), 1);
    system.m_nShape = 0;
    system.m_bRandomDirection = 1;
    system.m_fSpeed = 2.0f;
    CVector3 sum(0.0f, 0.0f, 0.0f);
    float lowestY = 0.0f;
    float highestY = 0.0f;
    for (int i = 0; i < 200; ++i) {
        CParticle particle{};
        system.InitParticle(&particle);
        ASSERT_NEAR(particle.vVelocity.Length(), 2.0f, 1e-5f);
        sum.AddAssign(&sum, particle.vVelocity);
        lowestY = std::fmin(lowestY, particle.vVelocity.y);
        highestY = std::fmax(highestY, particle.vVelocity.y);
    }
    EXPECT_LT(lowestY, -1.5f);
    EXPECT_GT(highestY, 1.5f);
    EXPECT_LT(sum.Length() / 200.0f, 0.5f) << "no one way dominates";
}

TEST_F(ParticleSystemTest, ColoursArePackedInTheDevicesByteOrder) {
    struct Case {
        int order;
        uint32_t expected;
    };
    const Case cases[] = {{0, 0x80123456u}, {1, 0x80563412u}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte order " << c.order);
        g_nColorByteOrder = c.order;
        EXPECT_EQ(CParticleSystem::PackColor(0x80123456u), c.expected);
        CParticleEmitter standard;
        CParticleConeEmitter cone;
        ASSERT_EQ(standard.Init(1, 1), 1);
        ASSERT_EQ(cone.Init(1, 1), 1);
        standard.m_nColor = cone.m_nColor = 0x80123456u;
        CParticle a{};
        CParticle b{};
        standard.InitParticle(&a);
        cone.InitParticle(&b);
        EXPECT_EQ(a.nColor, c.expected);
        EXPECT_EQ(b.nColor, c.expected);
    }
}

// --- modifiers ---------------------------------------------------------------------------------------

TEST_F(ParticleSystemTest, GravityPullsParticlesDownBeforeTheyMove) {
    struct Case {
        const char* name;
        int bEnabled;
        int mode;
        float pull;  // per second, as it acts
    };
    const Case cases[] = {{"on", 1, 1, 20.0f}, {"disabled", 0, 1, 0.0f}, {"another mode", 1, 2, 0.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CParticleConeEmitter system;
        ASSERT_EQ(system.Init(4, 1), 1);
        StraightUp(&system, 16.0f, 100.0f, 4.0f);  // one a step
        CParticleGravityModifier gravity;
        gravity.m_fRate = 20.0f;
        gravity.m_bEnabled = c.bEnabled;
        gravity.m_nMode = c.mode;
        system.AttachModifier(&gravity);
        StepTimes(&system, 1);
        system.m_bEmitting = 0;
        StepTimes(&system, 3);
        ASSERT_EQ(system.m_nLive, 1u);
        // Four steps: the speed drops by pull/16 before each move of speed/16.
        float speed = 4.0f;
        float height = 0.0f;
        for (int i = 0; i < 4; ++i) {
            speed -= c.pull * 0.0625f;
            height += speed * 0.0625f;
        }
        EXPECT_NEAR(system.m_pParticles[0].vVelocity.y, speed, 1e-5f);
        EXPECT_NEAR(system.m_pParticles[0].vPosition.y, height, 1e-5f);
    }
}

TEST_F(ParticleSystemTest, ModifiersSeeSlotsInOrderAndDrawFromTheTable) {
    CParticleConeEmitter system;
    ASSERT_EQ(system.Init(8, 31), 1);
    StraightUp(&system, 48.0f, 100.0f);  // three a step
    CRecordingModifier first;
    CRecordingModifier second;
    system.AttachModifier(&first);
    system.AttachModifier(&second);
    StepTimes(&system, 2);
    ASSERT_EQ(system.m_nLive, 6u);
    const std::vector<uint32_t> slots = {0, 1, 2, 0, 1, 2, 3, 4, 5};
    EXPECT_EQ(first.slots, slots);
    EXPECT_EQ(second.slots, slots);
    EXPECT_EQ(first.lastStep, kStep);
    // Emission takes four draws a particle; the modifiers take theirs from the same table,
    // one after the other for each particle.
    const std::vector<float> r = RandomTable(31);
    EXPECT_EQ(first.randoms[0], r[12]);
    EXPECT_EQ(second.randoms[0], r[13]);
    EXPECT_EQ(second.randoms[2], r[17]);
    // The second step emits with draws 18 to 29; its first particle's modifiers draw 30 and 31.
    EXPECT_EQ(first.randoms[3], r[30]);
    EXPECT_EQ(second.randoms[8], r[41]);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(system.m_pParticles[i].fSize, 5.0f) << "both modifiers, both steps";
}

TEST_F(ParticleSystemTest, AttachmentsAreUndoneFromEitherSide) {
    auto system = std::make_unique<CParticleConeEmitter>();
    auto other = std::make_unique<CParticleConeEmitter>();
    ASSERT_EQ(system->Init(4, 1), 1);
    ASSERT_EQ(other->Init(4, 1), 1);
    auto gravity = std::make_unique<CParticleGravityModifier>();
    CParticleGravityModifier kept;
    system->AttachModifier(gravity.get());
    system->AttachModifier(&kept);
    system->AttachModifier(gravity.get());
    other->AttachModifier(gravity.get());
    EXPECT_EQ(system->m_pModifiers->m_nCount, 3);
    EXPECT_EQ(gravity->m_pSystems->m_nCount, 3);

    // Every link of the pair goes; the others stay.
    system->DetachModifier(gravity.get());
    EXPECT_EQ(system->m_pModifiers->m_nCount, 1);
    EXPECT_EQ(system->m_pModifiers->m_pHead->m_data, &kept);
    EXPECT_EQ(gravity->m_pSystems->m_nCount, 1);
    EXPECT_EQ(gravity->m_pSystems->m_pHead->m_data, other.get());
    system->DetachModifier(gravity.get());  // nothing left to undo
    system->AttachModifier(nullptr);
    EXPECT_EQ(system->m_pModifiers->m_nCount, 1);

    // A modifier that goes first leaves no link behind in its systems.
    system->AttachModifier(gravity.get());
    gravity.reset();
    EXPECT_EQ(other->m_pModifiers->m_nCount, 0);
    EXPECT_EQ(system->m_pModifiers->m_nCount, 1);
    StepTimes(system.get(), 2);
    StepTimes(other.get(), 2);

    // A system that goes first leaves none in its modifiers.
    system.reset();
    EXPECT_EQ(kept.m_pSystems->m_nCount, 0);
}

// --- drawing -----------------------------------------------------------------------------------------

struct PoolVertex {
    float x, y, z;
    uint32_t color;
    float u, v, u1, v1;
};

class ParticleRenderTest : public ParticleSystemTest {
protected:
    void SetUp() override {
        ASSERT_EQ(m_device.InitForTest(0, 12, 0), 1);  // room for two particles
        m_camera.Setup(0.0f, 0.0f, -10.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.1f, 100.0f, 10.0f, 0.5f, 1.0f, 0);
    }

    std::vector<PoolVertex> PoolVertices(size_t count) {
        const CRecordingRenderDevice::BufferRecord* pool = m_device.VertexBuffer(m_device.m_pPoolPCT2->GetHandle());
        std::vector<PoolVertex> vertices(count);
        if (pool && pool->bytes.size() >= count * sizeof(PoolVertex))
            memcpy(vertices.data(), pool->bytes.data(), count * sizeof(PoolVertex));
        return vertices;
    }

    // Particles placed by hand.
    void Place(CParticleSystem* system, const std::vector<CParticle>& particles) {
        ASSERT_LE(particles.size(), system->m_nCapacity);
        for (size_t i = 0; i < particles.size(); ++i)
            system->m_pParticles[i] = particles[i];
        system->m_nLive = static_cast<uint32_t>(particles.size());
    }

    CRecordingRenderDevice m_device;
    CCamera m_camera;
};

TEST_F(ParticleRenderTest, EachParticleIsTwoTrianglesFacingTheCamera) {
    struct Case {
        const char* name;
        CQuaternion orientation;  // the camera's
        CVector3 right;           // where the quad's x and y axes point
        CVector3 up;
    };
    const float s = std::sin(kPi / 4);
    const Case cases[] = {
        {"the game's camera", {0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        // The view matrix turns by the orientation's inverse; the quads turn with the eye.
        {"a camera rolled a quarter turn", {0.0f, 0.0f, s, s}, {0.0f, 1.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}},
        {"a camera turned about y", {0.0f, s, 0.0f, s}, {0.0f, 0.0f, -1.0f}, {0.0f, 1.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CParticleConeEmitter system;
        ASSERT_EQ(system.Init(4, 1), 1);
        Place(&system, {CParticle{{1.0f, 2.0f, 3.0f}, 0x11223344u, 0.5f, {0, 0, 0}, 1.0},
                        CParticle{{-1.0f, 0.0f, 0.0f}, 0xFF00FF00u, 2.0f, {0, 0, 0}, 1.0}});
        m_camera.m_qOrientation = c.orientation;
        m_device.m_Calls.clear();
        EXPECT_EQ(system.Render(&m_device, 4.0f, 2.0f, &m_camera), 1);
        const std::vector<PoolVertex> v = PoolVertices(12);
        // Corners as (right, up) multiples and their texture coordinates.
        const float corners[6][4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {-1, 1, 0, 1},
                                     {1, -1, 1, 0},  {1, 1, 1, 1},  {-1, 1, 0, 1}};
        for (int p = 0; p < 2; ++p) {
            const CParticle& particle = system.m_pParticles[p];
            const float halfWidth = 2.0f * particle.fSize;
            const float halfHeight = 1.0f * particle.fSize;
            for (int k = 0; k < 6; ++k) {
                SCOPED_TRACE(testing::Message() << "particle " << p << " corner " << k);
                const PoolVertex& vertex = v[6 * p + k];
                const float a = corners[k][0] * halfWidth;
                const float b = corners[k][1] * halfHeight;
                const CVector3 expected(particle.vPosition.x + a * c.right.x + b * c.up.x,
                                        particle.vPosition.y + a * c.right.y + b * c.up.y,
                                        particle.vPosition.z + a * c.right.z + b * c.up.z);
                EXPECT_TRUE(Near(CVector3(vertex.x, vertex.y, vertex.z), expected));
                EXPECT_EQ(vertex.color, particle.nColor);
                EXPECT_EQ(vertex.u, corners[k][2]);
                EXPECT_EQ(vertex.v, corners[k][3]);
            }
        }
        // One discarding lock of exactly the vertices, one draw.
        const std::string handle = std::to_string(m_device.m_pPoolPCT2->GetHandle());
        const std::vector<std::string> calls = {"LockVertexBuffer " + handle + " 0 384 0x2000",
                                                "UnlockVertexBuffer " + handle, "SetVertexBuffer 0 " + handle + " 0",
                                                "DrawPrimitive 3 0 4"};
        EXPECT_EQ(m_device.m_Calls, calls);
    }
}

TEST_F(ParticleRenderTest, ParticlesThatDoNotFitThePoolAreNotDrawn) {
    CParticleConeEmitter system;
    ASSERT_EQ(system.Init(3, 1), 1);
    const CParticle particle{{0, 0, 0}, 0xFFFFFFFFu, 1.0f, {0, 0, 0}, 1.0};
    Place(&system, {particle, particle, particle});
    m_device.m_Calls.clear();
    EXPECT_EQ(system.Render(&m_device, 1.0f, 1.0f, &m_camera), 0) << "18 vertices in a pool of 12";
    EXPECT_TRUE(m_device.m_Calls.empty());

    system.m_nLive = 0;
    EXPECT_EQ(system.Render(&m_device, 1.0f, 1.0f, &m_camera), 1) << "nothing to draw";
    EXPECT_TRUE(m_device.m_Calls.empty());

    system.m_nLive = 2;
    m_device.m_bFailLock = true;
    EXPECT_EQ(system.Render(&m_device, 1.0f, 1.0f, &m_camera), 0);
    ASSERT_EQ(m_device.m_Calls.size(), 1u);
    EXPECT_EQ(m_device.m_Calls[0].rfind("LockVertexBuffer", 0), 0u) << "and no draw";
    m_device.m_bFailLock = false;
    EXPECT_EQ(system.Render(nullptr, 1.0f, 1.0f, &m_camera), 0);
    EXPECT_EQ(system.Render(&m_device, 1.0f, 1.0f, nullptr), 0);
    EXPECT_EQ(system.Render(&m_device, 1.0f, 1.0f, &m_camera), 1);
}

}  // namespace
