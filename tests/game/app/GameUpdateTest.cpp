// The game's per-frame update on the fixture game root, on the real window, Direct3D 9 device
// and OpenAL Soft's null output: the fixed steps and their clocks, pausing and a disabled
// window, the Pause key and the window watch with the effects volume, the pointer's bounds, an
// interface that asks to quit, device loss and reset, the frame rate, and the music kept alive.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/Random.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/gui/Wnd.h"
#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundDeviceOpenAL.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/EmitterList.h"
#include "game/flow/RODAGame.h"
#include "tests/game/app/GameFixture.h"
#include "tests/support/FixtureGameRoot.h"
#include "tests/support/SoundFiles.h"
#include "winapi/base/TimerTestHooks.h"
#include "winapi/d3d9/D3D9.h"
#include "winapi/d3d9/D3D9TestHooks.h"
#include "winapi/window/WinLayer.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

// The window layer takes SDL's scancodes (this target does not see SDL's headers): A, and
// Pause, which the input device reports as 0xC5.
constexpr int kScancodeA = 4;
constexpr int kScancodePause = 72;
constexpr double kStep = 0.01;
constexpr int kSilent = -10000;
constexpr int kEffectsVolume = -2500;
// What the sound handler holds before a test looks: no rule of the update sets it.
constexpr int kUntouched = -1234;

// Hears every key event the interface routes to it.
class CListeningWindow : public CWnd {
public:
    void OnKey(CInputEvent* /*event*/) override { ++heard; }
    int heard = 0;
};

class CQuittingWindow : public CWnd {
public:
    int Update(double /*dt*/) override { return 0; }
};

class GameUpdateTest : public GameTest {
protected:
    // The engine and the game started on a clock that stands at 0.
    void SetUp() override {
        GameTest::SetUp();
        UseTestClock();
        ASSERT_TRUE(StartEngine());
        ASSERT_EQ(m_game->Init(), 1);
        m_game->m_nSoundFXVol = kEffectsVolume;
        m_game->m_pSoundHandler->m_nMasterVolume = kUntouched;
    }
    void TearDown() override {
        if (m_game && m_game->m_pController) {
            RODAGame* controller = m_game->m_pController;
            if (m_pSavedMusic)
                controller->m_pMusicStream = m_pSavedMusic;
            // The device must not keep playing sounds that are freed before it.
            m_game->m_pSoundDevice->StopSound(controller->m_pMusicStream, 1);
            if (m_pOtherSound)
                m_game->m_pSoundDevice->StopSound(m_pOtherSound.get(), 1);
        }
        GameTest::TearDown();
        m_pOtherSound.reset();
        SeedRandomNumbers(1);
    }

    void PressAndRelease(int scancode) {
        winapi::InjectKey(scancode, true);
        winapi::InjectKey(scancode, false);
    }
    int Volume() const { return m_game->m_pSoundHandler->m_nMasterVolume; }
    CSoundDevice& Sound() const { return *m_game->m_pSoundDevice; }

    // A looping tone of two seconds opened into `sound` and played on `voice`: the voice, or -1.
    int PlayTone(CSoundOgg* sound, const char* file, int voice, int bStream) {
        const std::string path = m_root.File(file);
        ToneFormat tone;
        tone.seconds = 2.0;
        if (!MakeToneOgg(path, tone) || !sound->Open(path.c_str(), 0))
            return -1;
        return Sound().Play(voice, sound, 1, bStream);
    }

    // Set when a test takes the music stream away; put back before the controller goes.
    CSoundOgg* m_pSavedMusic = nullptr;
    std::unique_ptr<CSoundOgg> m_pOtherSound;
};

// --- fixed steps ---------------------------------------------------------------------------------

struct StepFrame {
    double dt;
    int steps;       // fixed steps the frame runs
    double carried;  // what the accumulator keeps afterwards
};

struct StepCase {
    const char* name;
    std::vector<StepFrame> frames;

    friend void PrintTo(const StepCase& c, std::ostream* out) { *out << c.name; }
};

class GameFixedStepTest : public GameUpdateTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(GameFixedStepTest, RunsWholeStepsAndCarriesTheRest) {
    Activate();
    int steps = 0;
    for (const StepFrame& frame : GetParam().frames) {
        SCOPED_TRACE(testing::Message() << "dt " << frame.dt);
        const double stepTimeBefore = m_game->m_fStepTime;
        ASSERT_EQ(Frame(frame.dt), 1);
        steps += frame.steps;
        EXPECT_NEAR(m_game->m_fTotalStepTime, steps * kStep, 1e-12);
        EXPECT_NEAR(m_game->m_fSceneClock, steps * kStep, 1e-12);
        EXPECT_EQ(m_game->m_fStepTime, frame.steps ? kStep : stepTimeBefore);
        EXPECT_NEAR(m_game->m_fStepAccumulator, frame.carried, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, GameFixedStepTest,
    ::testing::Values(StepCase{"LongFrameThenShortOne", {{0.035, 3, 0.005}, {0.006, 1, 0.001}}},
                      StepCase{"ExactlyOneStepIsCarried", {{0.01, 0, 0.01}, {0.0005, 1, 0.0005}}},
                      StepCase{"TwoWholeStepsLeaveNothing", {{0.02, 2, 0.0}}},
                      StepCase{"ShortFramesAddUp", {{0.004, 0, 0.004}, {0.004, 0, 0.008}, {0.004, 1, 0.002}}}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return info.param.name; });

// --- pausing and a disabled window ---------------------------------------------------------------

struct HoldCase {
    const char* name;
    int paused;
    int windowEnabled;
    bool runs;

    friend void PrintTo(const HoldCase& c, std::ostream* out) { *out << c.name; }
};

class GameHoldTest : public GameUpdateTest, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(GameHoldTest, StopsTimeAndInputButMovesThePointerAndPlacesTheScene) {
    const HoldCase& c = GetParam();
    Activate();
    auto* listener = new CListeningWindow;
    m_game->m_pRootWindow->AddChild(listener, 100);
    g_pFocusWindow = listener;
    CParticleEmitter* emitter = m_game->m_pWorld->m_pEmitters->Create(CEmitterList::kKindStandard, 0, 0)->m_pEmitter;
    ASSERT_EQ(emitter->Init(100, 1), 1);
    emitter->m_fRate = 1000.0f;
    // The transform pass clears the mark of every node it visits.
    M3DOMObject* root = m_game->m_pWorld->m_pInstanceTree->m_pRoot;
    root->m_nFrameMark = 7;

    m_game->m_bPaused = c.paused;
    winapi::ForceWindowEnabled(c.windowEnabled);
    // The interface hears the window's last seen state: this frame's watch records it.
    ASSERT_EQ(Frame(0.0), 1);
    ASSERT_EQ(m_game->m_bWindowEnabled, c.windowEnabled);
    PressAndRelease(kScancodeA);
    winapi::InjectMouseMotion(200, 150, 1, 1);
    ASSERT_EQ(Frame(0.015), 1);

    EXPECT_EQ(listener->heard > 0, c.runs);
    EXPECT_EQ(m_game->m_fStepTime, c.runs ? kStep : 0.0);
    EXPECT_EQ(m_game->m_fTotalStepTime, c.runs ? kStep : 0.0);
    EXPECT_EQ(m_game->m_fSceneClock, c.runs ? kStep : 0.0);
    EXPECT_EQ(m_game->m_nPointerX, 200);
    EXPECT_EQ(m_game->m_nPointerY, 150);
    EXPECT_EQ(root->m_nFrameMark, 0);
    EXPECT_EQ(emitter->m_nLive, c.runs ? 10u : 0u);
    EXPECT_EQ(m_game->m_bPaused, c.paused) << "only the Pause key changes it";
}

INSTANTIATE_TEST_SUITE_P(States, GameHoldTest,
                         ::testing::Values(HoldCase{"Running", 0, 1, true}, HoldCase{"Paused", 1, 1, false},
                                           HoldCase{"WindowDisabled", 0, 0, false},
                                           HoldCase{"PausedInADisabledWindow", 1, 0, false}),
                         [](const ::testing::TestParamInfo<HoldCase>& info) { return info.param.name; });

// --- the Pause key and the window watch ----------------------------------------------------------

// The pause flag and the effects volume after each of two presses of the Pause key.
TEST_F(GameUpdateTest, ThePauseKeyTogglesPauseAndSilenceOnlyOffTheStartScreen) {
    Activate();
    struct Press {
        int paused;
        int volume;
    };
    struct Case {
        int startScreen;
        Press first;
        Press second;
    };
    const Case cases[] = {
        {0, {1, kSilent}, {0, kEffectsVolume}},
        {1, {0, kUntouched}, {0, kUntouched}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start screen " << c.startScreen);
        m_game->m_pController->m_bStartScreen = c.startScreen;
        m_game->m_bPaused = 0;
        m_game->m_pSoundHandler->m_nMasterVolume = kUntouched;
        for (const Press& expected : {c.first, c.second}) {
            PressAndRelease(kScancodePause);
            ASSERT_EQ(Frame(0.0), 1);
            EXPECT_EQ(m_game->m_bPaused, expected.paused);
            EXPECT_EQ(Volume(), expected.volume);
        }
    }
}

TEST_F(GameUpdateTest, TheWindowWatchSetsTheVolumeOnlyOffTheStartScreen) {
    struct Case {
        int startScreen;
        int windowEnabled;
        int volume;
    };
    // In turn from the flag's start (clear): each row changes the window's state.
    const Case cases[] = {
        {0, 1, kEffectsVolume}, {0, 0, kSilent}, {1, 1, kUntouched}, {1, 0, kUntouched}, {0, 1, kEffectsVolume},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start screen " << c.startScreen << ", enabled " << c.windowEnabled);
        m_game->m_pController->m_bStartScreen = c.startScreen;
        m_game->m_pSoundHandler->m_nMasterVolume = kUntouched;
        winapi::ForceWindowEnabled(c.windowEnabled);
        ASSERT_EQ(Frame(0.0), 1);
        EXPECT_EQ(m_game->m_bWindowEnabled, c.windowEnabled);
        EXPECT_EQ(Volume(), c.volume);
    }
    // An unchanged state sets nothing.
    m_game->m_pSoundHandler->m_nMasterVolume = kUntouched;
    m_game->m_pController->m_bStartScreen = 0;
    ASSERT_EQ(Frame(0.0), 1);
    EXPECT_EQ(Volume(), kUntouched);
}

// --- the pointer ---------------------------------------------------------------------------------

TEST_F(GameUpdateTest, ThePointerStaysInsideTheScreenAndRightOfColumnTen) {
    Activate();
    const int width = static_cast<int>(m_game->m_pRenderDevice->m_nWidth);
    const int height = static_cast<int>(m_game->m_pRenderDevice->m_nHeight);
    ASSERT_EQ(width, fixture::kWidth);
    ASSERT_EQ(height, fixture::kHeight);
    struct Case {
        int x;
        int y;
        int storedX;
        int storedY;
    };
    const Case cases[] = {
        {3, 100, 10, 100},
        {100, -5, 100, 0},
        {width + 50, 100, width - 1, 100},
        {100, height, 100, height - 1},
        {10, 0, 10, 0},
        {width - 1, height - 1, width - 1, height - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        winapi::InjectMouseMotion(c.x, c.y, 1, 1);
        ASSERT_EQ(Frame(0.011), 1);
        EXPECT_EQ(m_game->m_nPointerX, c.storedX);
        EXPECT_EQ(m_game->m_nPointerY, c.storedY);
    }
}

// --- quitting, the device ------------------------------------------------------------------------

TEST_F(GameUpdateTest, AnInterfaceThatAsksToQuitEndsTheUpdateBeforeTheDeviceCheck) {
    Activate();
    m_game->m_pRootWindow->AddChild(new CQuittingWindow, 100);
    winapi::d3d::LoseDevice(Direct3DDevice());
    m_game->m_bUseElapsedTime = 0;
    EXPECT_EQ(Frame(0.05), 0);
    EXPECT_EQ(m_game->m_bUseElapsedTime, 1) << "set first";
    EXPECT_EQ(m_game->m_bDeviceAvailable, 1) << "the loss is not seen yet";
    EXPECT_EQ(m_game->m_fTotalStepTime, 0.0) << "no step ran";
    EXPECT_EQ(m_game->m_fStepAccumulator, 0.0);
}

TEST_F(GameUpdateTest, ALostDeviceStopsTheElapsedTimeAndItsResetBringsTheSettingsBack) {
    Activate();
    IDirect3DDevice9* device = Direct3DDevice();
    ASSERT_NE(device, nullptr);
    m_game->m_nTextureFilter = 2;
    m_game->ApplyGfxSettings();
    winapi::d3d::LoseDevice(device);

    ASSERT_EQ(Frame(0.02), 1);
    EXPECT_EQ(m_game->m_bDeviceAvailable, 0);
    EXPECT_EQ(m_game->m_bUseElapsedTime, 0) << "the lost frame's time is not handed on";
    ASSERT_EQ(Frame(0.02), 1);
    EXPECT_EQ(m_game->m_bDeviceAvailable, 1);
    EXPECT_EQ(m_game->m_bUseElapsedTime, 1);
    // The reset device starts from its defaults (point filtering): the game's are on it again.
    for (DWORD stage = 0; stage < 8; ++stage) {
        DWORD filter = 0;
        device->GetSamplerState(stage, D3DSAMP_MINFILTER, &filter);
        EXPECT_EQ(filter, static_cast<DWORD>(D3DTEXF_ANISOTROPIC)) << "stage " << stage;
    }
    BOOL lit = FALSE;
    device->GetLightEnable(0, &lit);
    EXPECT_TRUE(lit);
}

// --- the frame rate ------------------------------------------------------------------------------

TEST_F(GameUpdateTest, TheFrameRateIsReplacedOnlyAfterMoreThanASecond) {
    struct Case {
        int milliseconds;
        float framesPerSecond;
    };
    const Case cases[] = {
        {100, 0.0f},
        {500, 0.0f},
        {1000, 0.0f},
        {1250, 4.0f / 1.25f},  // four frames in 1.25 s
        {2000, 4.0f / 1.25f},
        {2250, 4.0f / 1.25f},  // exactly one second after the last is not more than one
        {2500, 3.0f / 1.25f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.milliseconds << " ms");
        winapi::SetTestClockNanoseconds(static_cast<int64_t>(c.milliseconds) * 1000000);
        ASSERT_EQ(Frame(0.0), 1);
        EXPECT_FLOAT_EQ(m_game->m_fFramesPerSecond, c.framesPerSecond);
    }
    EXPECT_EQ(m_game->m_nRateFrames, 0u) << "the measuring frame starts the next count";
    EXPECT_FLOAT_EQ(m_game->m_fRateTime, 2.5f);
}

// --- the music -----------------------------------------------------------------------------------

TEST_F(GameUpdateTest, PausedMusicResumesUnlessTheMusicIsOff) {
    ASSERT_NE(dynamic_cast<CSoundDeviceOpenAL*>(m_game->m_pSoundDevice), nullptr);
    const int voice = PlayTone(m_game->m_pController->m_pMusicStream, "music.ogg", CSoundDevice::kAnyVoice, 1);
    ASSERT_GE(voice, 0);
    struct Case {
        uint32_t music;
        int playing;
    };
    for (const Case& c : {Case{1, 1}, Case{0, 0}, Case{3, 1}}) {
        SCOPED_TRACE(testing::Message() << "Music " << c.music);
        Sound().Pause(voice);
        ASSERT_EQ(Sound().IsPlaying(voice), 0);
        m_game->m_nMusic = c.music;
        ASSERT_EQ(Frame(0.0), 1);
        EXPECT_EQ(Sound().IsPlaying(voice), c.playing);
    }
}

TEST_F(GameUpdateTest, WithoutAMusicStreamTheSoundOnVoiceZeroIsLeftAlone) {
    ASSERT_NE(dynamic_cast<CSoundDeviceOpenAL*>(m_game->m_pSoundDevice), nullptr);
    m_pOtherSound = std::make_unique<CSoundOgg>();
    ASSERT_EQ(PlayTone(m_pOtherSound.get(), "other.ogg", 0, 0), 0);
    Sound().Pause(0);
    m_pSavedMusic = m_game->m_pController->m_pMusicStream;
    m_game->m_pController->m_pMusicStream = nullptr;
    m_game->m_nMusic = 1;
    ASSERT_EQ(Frame(0.0), 1);
    EXPECT_EQ(Sound().IsPlaying(0), 0);
}

}  // namespace
