// The game started as the program starts it on a copy of the default data set, for a few
// hundred frames, then closed through the window layer: every step of start-up logs its OK
// line, nothing fails to load, the scripter reports no error, start-up counts as done, and the
// first frame shows the start screen with the game's board hidden, every object of both under
// a shader. The score displays start with all their rollers at rest on 0 and count to a value
// in both directions, their models showing the digits.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/PointerList.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/FlipCounter.h"
#include "game/app/Game.h"
#include "game/app/GameClasses.h"
#include "game/flow/ControllerFiles.h"
#include "game/flow/RODAGame.h"
#include "tests/game/app/RollerFixture.h"
#include "tests/support/FrameReset.h"
#include "tests/support/GameRoot.h"
#include "tests/support/TempDir.h"
#include "winapi/window/WinWindow.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

constexpr const char* kKey = "pv263918";
constexpr int kFrames = 300;

// The steps of start-up that log an OK line of their own.
const char* const kStepLines[] = {
    "\t\tInit loading gfx handler\t\tOK\n", "\t\tLoading loading gfx script\t\tOK\n",
    "\t\tInit GUI Gfx Handler\t\tOK\n",     "\t\tLoading GUI Gfx Script\t\tOK\n",
    "\t\tInit Gfx Handler\t\tOK\n",         "\t\tLoading Gfx Script\t\tOK\n",
    "\t\tInit Shader Handler\t\tOK\n",      "\t\tLoading Shader Script\t\tOK\n",
    "\t\tInit Sound FX Handler\t\tOK\n",    "\t\tInit Sound FX Script\t\tOK\n",
    "Game::Init -------- End\n",
};

// A scene's visibility as start-up leaves it; -1 for a scene that is not there.
int32_t VisibilityOf(const M3DOMObject* scene) {
    return scene ? scene->m_bVisible : -1;
}

// The objects of the subtree that have no shader, by their nodes' and their own names.
void CollectWithoutShader(const M3DOMObject* mo, std::vector<std::string>* names) {
    for (const CPointerList::Node* node = mo->m_pOList->m_pHead; node; node = node->m_pNext) {
        const auto* o = static_cast<const C3DObject*>(node->m_data);
        if (!o->m_pShader)
            names->push_back(std::string(mo->m_szName) + "/" + o->m_szName);
    }
    for (const CPointerList::Node* node = mo->m_pList->m_pHead; node; node = node->m_pNext)
        CollectWithoutShader(static_cast<const M3DOMObject*>(node->m_data), names);
}

// What the first frame shows of the start screen's scene and the game's board.
struct SceneLook {
    int32_t menuVisible = -1;
    int32_t gameVisible = -1;
    std::vector<std::string> withoutShader;
};

SceneLook LookAtScenes(const CGame& game) {
    SceneLook look;
    if (!game.m_pWorld)
        return look;
    const M3DOMTree* tree = game.m_pWorld->m_pInstanceTree;
    const M3DOMObject* menu = tree->FindByName(kMenuSceneName);
    const M3DOMObject* board = tree->FindByName(kGameSceneName);
    look.menuVisible = VisibilityOf(menu);
    look.gameVisible = VisibilityOf(board);
    for (const M3DOMObject* scene : {menu, board}) {
        if (scene)
            CollectWithoutShader(scene, &look.withoutShader);
    }
    return look;
}

// Counts its frames, does what it is given in the first and closes its window through the
// window layer in frame `closeAt`.
class ClosingGame : public CGame {
public:
    ClosingGame(std::function<void(CGame&)> atFirstFrame, int closeAt)
        : m_atFirstFrame(std::move(atFirstFrame)), m_nCloseAt(closeAt) {}

    int Update(double dt) override {
        if (++frames == 1)
            m_atFirstFrame(*this);
        if (frames == m_nCloseAt)
            winapi::InjectClose();
        return CGame::Update(dt);
    }

    int frames = 0;

private:
    std::function<void(CGame&)> m_atFirstFrame;
    int m_nCloseAt;
};

// The score displays as the default data set makes them.
struct Display {
    RODAGame::ECounter slot;
    const char* parent;
    int digits;
    int direction;  // +1 counting up, -1 down
};

const Display kDisplays[] = {
    {RODAGame::kHighScore, "mo_highscore", 6, 1},
    {RODAGame::kExperimentScore, "mo_score_level", 4, -1},
    {RODAGame::kExperimentBonus, "mo_score_level_bonus", 4, -1},
    {RODAGame::kScore, "mo_score", 6, 1},
    {RODAGame::kElementCount, "mo_element_count", 2, -1},
};

constexpr unsigned kValue = 1234;

// The segments a face of one of the roller's objects shows in the frame it is on.
uint32_t Shows(const M3DOMObject* roller, int index, RollerPart part, RollerFace face) {
    const C3DObject* o = roller->GetO(index);
    EXPECT_EQ(o->m_nFrameA, o->m_nFrameB) << o->m_szName;
    return ShownSegments(o->GetModel(), o->m_nFrameA, part, face);
}

// The roller at rest on the digit, its halves showing the digit's top and bottom. A flap at
// rest stands over the upper half: shown (the start screen shows its scene whole), it must
// show the same.
void ExpectAtRest(const M3DOMObject* roller, int digit) {
    SCOPED_TRACE("at rest on " + std::to_string(digit));
    EXPECT_EQ(roller->m_nValN, digit);
    EXPECT_EQ(roller->GetO(kFlap)->m_fValue, 0.0f) << "turning";
    EXPECT_EQ(Shows(roller, kUpperHalf, RollerPart::kUpper, RollerFace::kFront), TopSegments(digit));
    EXPECT_EQ(Shows(roller, kLowerHalf, RollerPart::kLower, RollerFace::kFront), BottomSegments(digit));
    if (roller->GetO(kFlap)->m_bVisible) {
        EXPECT_EQ(Shows(roller, kFlap, RollerPart::kFlap, RollerFace::kFront), TopSegments(digit));
    }
}

// The digit of the value that roller i of count rollers shows, the units on the last.
int DigitOf(unsigned value, int i, int count) {
    for (int k = count - 1; k > i; --k)
        value /= 10;
    return static_cast<int>(value % 10);
}

// Every display with its rollers, at rest on 0; then counted to the value, at rest on its
// digits; then one turn begun, the flap showing the digit it leaves in front and the one it
// brings on its back.
void CountEveryDisplay(RODAGame* controller) {
    for (const Display& display : kDisplays) {
        SCOPED_TRACE(display.parent);
        CFlipCounter* counter = controller->m_pCounters[display.slot];
        ASSERT_NE(counter, nullptr);
        ASSERT_NE(counter->m_pParent, nullptr);
        EXPECT_STREQ(counter->m_pParent->m_szName, display.parent);
        EXPECT_EQ(counter->m_nDirection, display.direction);
        ASSERT_EQ(counter->m_pParent->m_pList->m_nCount, display.digits);
        for (int i = 0; i < display.digits; ++i) {
            SCOPED_TRACE("roller " + std::to_string(i));
            ASSERT_EQ(counter->m_pParent->GetChild(i)->m_pOList->m_nCount, kRollerObjects);
            ExpectAtRest(counter->m_pParent->GetChild(i), 0);
        }
        for (int update = 0; update < kUpdatesToRest; ++update)
            counter->Update(kLongDt, kValue);
        for (int i = 0; i < display.digits; ++i) {
            SCOPED_TRACE("roller " + std::to_string(i));
            ExpectAtRest(counter->m_pParent->GetChild(i), DigitOf(kValue, i, display.digits));
        }
        counter->Update(0.0, kValue + 1);
        const M3DOMObject* units = counter->m_pParent->GetChild(display.digits - 1);
        const int leaving = DigitOf(kValue, display.digits - 1, display.digits);
        EXPECT_EQ(units->GetO(kFlap)->m_bVisible, 1);
        EXPECT_EQ(Shows(units, kFlap, RollerPart::kFlap, RollerFace::kFront), TopSegments(leaving));
        EXPECT_EQ(Shows(units, kFlap, RollerPart::kFlap, RollerFace::kBack),
                  BottomSegments(Following(display.direction, leaving)));
        EXPECT_EQ(Shows(units, kUpperHalf, RollerPart::kUpper, RollerFace::kFront),
                  TopSegments(Following(display.direction, leaving)));
        EXPECT_EQ(Shows(units, kLowerHalf, RollerPart::kLower, RollerFace::kFront), BottomSegments(leaving));
    }
}

class DefaultDataStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFrameState();
        RegisterGameClasses();
        g_bStartUpFailed = 0;
        ASSERT_TRUE(m_root.CopyFrom(BRENLOW_DATA_DIR));
    }

    void TearDown() override {
        g_bStartUpFailed = 0;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    GameRoot m_root;
};

TEST_F(DefaultDataStartTest, StartsRunsAndClosesWithoutAFailedStep) {
    SceneLook look;
    auto game = std::make_unique<ClosingGame>([&look](CGame& started) { look = LookAtScenes(started); }, kFrames);
    EXPECT_EQ(game->Run(nullptr, kKey, ""), 1);
    EXPECT_EQ(game->frames, kFrames);
    EXPECT_EQ(g_bStartUpFailed, 0);
    EXPECT_EQ(look.menuVisible, 1) << kMenuSceneName;
    EXPECT_EQ(look.gameVisible, 0) << kGameSceneName;
    EXPECT_TRUE(look.withoutShader.empty()) << "objects without a shader: "
                                            << testing::PrintToString(look.withoutShader);
    game.reset();

    // The log is named after the system script's "AppName".
    const std::string log = ReadText("brenlow.log");
    for (const char* line : kStepLines)
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    // No failed step, no script that does not load, no error the scripter reports.
    EXPECT_EQ(LogFailureLines(log), std::vector<std::string>()) << log;
}

TEST_F(DefaultDataStartTest, ScoreDisplaysRestOnZeroAndCountInBothDirections) {
    bool counted = false;
    const auto countDisplays = [&counted](CGame& started) {
        if (started.m_pController)
            CountEveryDisplay(started.m_pController);
        counted = started.m_pController != nullptr;
    };
    auto game = std::make_unique<ClosingGame>(countDisplays, 1);
    EXPECT_EQ(game->Run(nullptr, kKey, ""), 1);
    EXPECT_TRUE(counted);
    EXPECT_EQ(g_bStartUpFailed, 0);
}

}  // namespace
