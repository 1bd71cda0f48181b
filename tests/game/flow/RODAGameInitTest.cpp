// The controller's set-up on the fixture game root, after the engine, the game objects and the
// graphics are up as the application's start-up leaves them: the string table, the connector
// kinds, the element scripts with the start screen's scene, the score displays, the lab's
// place, the player's name and the start screen's camera; a missing element script asks the
// application to quit, a missing roller script leaves its displays empty.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <ostream>
#include <string>

#include "engine/core/PointerList.h"
#include "engine/graphics/Camera.h"
#include "engine/platform/Viewport.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/FlipCounter.h"
#include "game/app/NamedEntryList.h"
#include "game/app/WorldContent.h"
#include "game/flow/RODAGame.h"
#include "tests/game/app/GameFixture.h"
#include "tests/game/flow/PlayerHeader.h"
#include "tests/support/FixtureGameRoot.h"
#include "winapi/d3d9/D3D9.h"

namespace {

// Every kind of connection the elements can have, twice "Pipe" among them.
constexpr int kConnectorKinds = 13;
constexpr float kStartScreenDistance = 6.8f;

// A score display as the controller makes it: its slot, its node, its rollers and their
// spacing, the turning speed of a flap, the counting direction and the roller script.
struct Counter {
    RODAGame::ECounter slot;
    const char* node;
    int digits;
    float step;
    float turnSpeed;
    int direction;
    const char* rollerScript;
};
const Counter kCounters[] = {
    {RODAGame::kHighScore, fixture::kHighScoreNode, 6, 0.125f, 10.0f, 1, fixture::kSmallRollerScript},
    {RODAGame::kExperimentScore, fixture::kGameCounterNodes[0], 4, 0.25f, 10.0f, -1, fixture::kReversedRollerScript},
    {RODAGame::kExperimentBonus, fixture::kGameCounterNodes[1], 4, 0.25f, 10.0f, -1, fixture::kReversedRollerScript},
    {RODAGame::kScore, fixture::kGameCounterNodes[2], 6, 0.25f, 10.0f, 1, fixture::kRollerScript},
    {RODAGame::kElementCount, fixture::kGameCounterNodes[3], 2, 0.25f, 20.0f, -1, fixture::kReversedRollerScript},
};
static_assert(std::size(kCounters) == RODAGame::kCounterCount, "every display");
// The element count's node moves faster than the others.
constexpr const char* kElementCountNode = fixture::kGameCounterNodes[3];
constexpr float kElementCountVelocity = 10.0f;

class RODAGameInitTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_bStartUpFailed = 0;
    }
    void TearDown() override {
        GameTest::TearDown();
        g_bStartUpFailed = 0;
    }

    // What the application's start-up has done when it sets the controller up.
    bool StartWithGraphics() { return StartWithGameObjects() && m_game->InitGfx() == 1; }
    RODAGame& Controller() const { return *m_game->m_pController; }
    M3DOMTree* Instances() const { return m_game->m_pWorld->m_pInstanceTree; }
    M3DOMObject* Node(const char* name) const { return Instances()->FindByName(name); }
    void RemoveFile(const char* path) const { ASSERT_EQ(std::remove(m_root.File(path).c_str()), 0) << path; }

    // The rollers a display's node holds: whole ones, of all three objects.
    static int Rollers(const M3DOMObject* node) {
        int rollers = 0;
        for (CPointerList::Node* child = node->m_pList->m_pHead; child; child = child->m_pNext) {
            const auto* roller = static_cast<const M3DOMObject*>(child->m_data);
            rollers += roller->m_pOList->m_nCount == fixture::kRollerObjects ? 1 : 0;
        }
        return rollers;
    }
    // Whether the node and its objects are all shown (or all hidden).
    static bool ShownWithObjects(const M3DOMObject* node, int32_t shown) {
        bool all = node->m_bVisible == shown;
        for (CPointerList::Node* o = node->m_pOList->m_pHead; o; o = o->m_pNext)
            all = all && static_cast<const C3DObject*>(o->m_data)->m_bVisible == shown;
        return all;
    }
};

TEST_F(RODAGameInitTest, LoadsTheStringTable) {
    ASSERT_TRUE(StartWithGraphics());
    Controller().InitGame();
    EXPECT_EQ(Controller().m_StringTable.GetEntries().m_nCount, static_cast<int32_t>(std::size(fixture::kStrings)));
    for (const fixture::StringEntry& entry : fixture::kStrings) {
        const char* text = Controller().m_StringTable.GetString(entry.key);
        ASSERT_NE(text, nullptr) << entry.key;
        EXPECT_STREQ(text, entry.text);
    }
}

TEST_F(RODAGameInitTest, RegistersTheConnectorKindsInTheWorld) {
    ASSERT_TRUE(StartWithGraphics());
    Controller().InitGame();
    const CNamedEntryList* entries = m_game->m_pWorld->m_pNamedEntries;
    EXPECT_EQ(entries->m_pList->m_nCount, kConnectorKinds);
    ASSERT_NE(entries->Find("Wheel"), nullptr);
    EXPECT_EQ(entries->Find("Wheel")->m_nID, 255);
}

TEST_F(RODAGameInitTest, ShowsTheStartScreenAndHidesAndHoldsTheGameScene) {
    ASSERT_TRUE(StartWithGraphics());
    Controller().InitGame();
    M3DOMObject* menu = Node(fixture::kMenuScene);
    M3DOMObject* game = Node(fixture::kGameScene);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(Controller().m_pMOMenu, menu);
    EXPECT_EQ(Controller().m_pMOGame, game);
    EXPECT_TRUE(ShownWithObjects(menu, 1));
    EXPECT_EQ(menu->m_bHold, 0);
    EXPECT_TRUE(ShownWithObjects(game, 0));
    EXPECT_EQ(game->m_bHold, 1);
    EXPECT_EQ(Controller().m_bStartScreen, 1);
    // The scene was placed: the high score's node stands where the script put it.
    const M3DOMObject* highScore = Node(fixture::kHighScoreNode);
    ASSERT_NE(highScore, nullptr);
    EXPECT_FLOAT_EQ(highScore->m_vPos.x, -1.0f);
    EXPECT_FLOAT_EQ(highScore->m_vPos.y, 1.0f);
}

TEST_F(RODAGameInitTest, MakesTheFiveScoreDisplaysWithTheirRollers) {
    ASSERT_TRUE(StartWithGraphics());
    Controller().InitGame();
    for (const Counter& expected : kCounters) {
        SCOPED_TRACE(expected.node);
        const CFlipCounter* counter = Controller().m_pCounters[expected.slot];
        ASSERT_NE(counter, nullptr);
        ASSERT_EQ(counter->m_pParent, Node(expected.node));
        EXPECT_EQ(counter->m_nCount, expected.digits);
        EXPECT_EQ(counter->m_nDirection, expected.direction);
        EXPECT_FLOAT_EQ(counter->m_fTurnSpeed, expected.turnSpeed);
        EXPECT_EQ(Rollers(counter->m_pParent), expected.digits);
        const M3DOMObject* first = counter->m_pParent->GetChild(0);
        const M3DOMObject* second = counter->m_pParent->GetChild(1);
        ASSERT_NE(second, nullptr);
        EXPECT_FLOAT_EQ(second->m_vPosRel.x - first->m_vPosRel.x, expected.step);
    }
    EXPECT_FLOAT_EQ(Node(kElementCountNode)->m_fVelocity, kElementCountVelocity);
}

TEST_F(RODAGameInitTest, PlacesTheLabInTheLabsFolder) {
    ASSERT_TRUE(StartWithGraphics());
    Controller().InitGame();
    EXPECT_STREQ(Controller().m_pLab->m_szDirectory, "data/labs/");
    EXPECT_STREQ(Controller().m_pLab->m_szSuffix, ".zql");
}

TEST_F(RODAGameInitTest, ClearsTheFrameTimingSoTheLoadIsNotAStep) {
    ASSERT_TRUE(StartWithGraphics());
    m_game->m_bUseElapsedTime = 1;
    Controller().InitGame();
    EXPECT_EQ(m_game->m_bUseElapsedTime, 0);
}

struct PlayerName {
    const char* name;
    std::string setting;
    std::string kept;

    friend void PrintTo(const PlayerName& c, std::ostream* out) { *out << c.name; }
};

class RODAGamePlayerNameTest : public RODAGameInitTest, public ::testing::WithParamInterface<PlayerName> {};

// The name replaces the default whole and stays terminated inside its 40 bytes; the versions
// behind it stay.
TEST_P(RODAGamePlayerNameTest, TakesTheUserNameIntoThePlayerHeader) {
    const PlayerName& c = GetParam();
    ASSERT_TRUE(StartWithGraphics());
    ASSERT_LT(c.setting.size(), sizeof m_game->m_szUserName);
    memcpy(m_game->m_szUserName, c.setting.c_str(), c.setting.size() + 1);
    Controller().InitGame();
    EXPECT_EQ(HeaderOf(Controller()), HeaderWithName(c.kept));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RODAGamePlayerNameTest,
    ::testing::Values(PlayerName{"Short", "Al", "Al"}, PlayerName{"Empty", "", ""},
                      PlayerName{"ThirtyNine", std::string(39, 'n'), std::string(39, 'n')},
                      PlayerName{"Fifty", std::string(50, 'n'), std::string(39, 'n')}),
    [](const ::testing::TestParamInfo<PlayerName>& info) { return info.param.name; });

TEST_F(RODAGameInitTest, PointsTheCameraFromInFrontAtTheOriginOnTheDevice) {
    ASSERT_TRUE(StartWithGraphics());
    Controller().InitGame();
    const CCamera* camera = m_game->m_pCamera;
    EXPECT_FLOAT_EQ(camera->m_vPosition.x, 0.0f);
    EXPECT_FLOAT_EQ(camera->m_vPosition.y, 0.0f);
    EXPECT_FLOAT_EQ(camera->m_vPosition.z, -kStartScreenDistance);
    EXPECT_FLOAT_EQ(camera->m_vTarget.x, 0.0f);
    EXPECT_FLOAT_EQ(camera->m_vTarget.y, 0.0f);
    EXPECT_FLOAT_EQ(camera->m_vTarget.z, 0.0f);
    // Row vectors: the view takes the origin straight ahead at the distance, the eye to itself.
    D3DMATRIX view{};
    ASSERT_EQ(Direct3DDevice()->GetTransform(D3DTS_VIEW, &view), D3D_OK);
    EXPECT_NEAR(view.m[3][0], 0.0f, 1e-5f);
    EXPECT_NEAR(view.m[3][1], 0.0f, 1e-5f);
    EXPECT_NEAR(view.m[3][2], kStartScreenDistance, 1e-5f);
    for (int column = 0; column < 3; ++column)
        EXPECT_NEAR(view.m[3][column] - kStartScreenDistance * view.m[2][column], 0.0f, 1e-5f) << column;
}

// Entered again after the game scene was shown: the scenes swap back and every object's
// shadow volume is to be rebuilt.
TEST_F(RODAGameInitTest, StartScreenSwapsTheScenesBackAndMarksEveryObjectMoved) {
    ASSERT_TRUE(StartWithGraphics());
    Controller().InitGame();
    M3DOMObject* menu = Controller().m_pMOMenu;
    M3DOMObject* game = Controller().m_pMOGame;
    menu->SetVisible(0);
    menu->m_bHold = 1;
    game->SetVisible(1);
    game->m_bHold = 0;
    const CPointerList* objects = Instances()->m_pOList->m_pList;
    ASSERT_GT(objects->m_nCount, 0);
    for (CPointerList::Node* node = objects->m_pHead; node; node = node->m_pNext)
        static_cast<C3DObject*>(node->m_data)->m_bMatrixChanged = 0;
    m_game->m_pCamera->SetEye(CVector3(1.0f, 2.0f, 3.0f));

    Controller().StartScreen();
    EXPECT_TRUE(ShownWithObjects(menu, 1));
    EXPECT_EQ(menu->m_bHold, 0);
    EXPECT_TRUE(ShownWithObjects(game, 0));
    EXPECT_EQ(game->m_bHold, 1);
    for (CPointerList::Node* node = objects->m_pHead; node; node = node->m_pNext)
        EXPECT_EQ(static_cast<C3DObject*>(node->m_data)->m_bMatrixChanged, 1);
    EXPECT_FLOAT_EQ(m_game->m_pCamera->m_vPosition.z, -kStartScreenDistance);
}

TEST_F(RODAGameInitTest, WithoutTheElementScriptAsksToQuitAndStops) {
    ASSERT_TRUE(StartWithGraphics());
    RemoveFile(fixture::kElementScript);
    Controller().InitGame();
    EXPECT_TRUE(m_game->m_pViewport->IsQuitting());
    EXPECT_EQ(g_bStartUpFailed, 1);
    for (const CFlipCounter* counter : Controller().m_pCounters)
        EXPECT_EQ(counter, nullptr);
    EXPECT_EQ(Controller().m_pMOMenu, nullptr);
    EXPECT_EQ(Controller().m_pMOGame, nullptr);
    EXPECT_STREQ(Controller().m_pLab->m_szDirectory, "");
    // What comes before the scripts was done.
    EXPECT_EQ(Controller().m_StringTable.GetEntries().m_nCount, static_cast<int32_t>(std::size(fixture::kStrings)));
    EXPECT_EQ(m_game->m_pWorld->m_pNamedEntries->m_pList->m_nCount, kConnectorKinds);
}

class RODAGameRollerScriptTest : public RODAGameInitTest, public ::testing::WithParamInterface<const char*> {};

// The displays of that script have no rollers; the others have all theirs.
TEST_P(RODAGameRollerScriptTest, MissingLeavesItsDisplaysEmpty) {
    const char* missing = GetParam();
    ASSERT_TRUE(StartWithGraphics());
    RemoveFile(missing);
    Controller().InitGame();
    EXPECT_FALSE(m_game->m_pViewport->IsQuitting());
    for (const Counter& expected : kCounters) {
        SCOPED_TRACE(expected.node);
        const CFlipCounter* counter = Controller().m_pCounters[expected.slot];
        ASSERT_NE(counter, nullptr);
        const int rollers = strcmp(expected.rollerScript, missing) == 0 ? 0 : expected.digits;
        EXPECT_EQ(counter->m_pParent->m_pList->m_nCount, rollers);
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, RODAGameRollerScriptTest, ::testing::ValuesIn(fixture::kRollerScripts),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name = name.substr(name.rfind('/') + 1);
                             name = name.substr(0, name.find('.'));
                             std::string alphanumeric;
                             for (const char c : name) {
                                 if (c != '_')
                                     alphanumeric += c;
                             }
                             return alphanumeric;
                         });

// Before the graphics there is no camera, and the models are unknown: the set-up still runs.
TEST_F(RODAGameInitTest, WithoutCameraOrGraphicsSetsUpTheRest) {
    ASSERT_TRUE(StartWithGameObjects());
    ASSERT_EQ(m_game->m_pCamera, nullptr);
    Controller().InitGame();
    EXPECT_NE(Controller().m_pMOMenu, nullptr);
    for (const Counter& expected : kCounters)
        EXPECT_NE(Controller().m_pCounters[expected.slot], nullptr) << expected.node;
    EXPECT_FALSE(m_game->m_pViewport->IsQuitting());
}

// Without the world nothing can be read: the application is asked to quit.
TEST_F(RODAGameInitTest, WithoutTheWorldAsksToQuit) {
    ASSERT_TRUE(StartWithGameObjects());
    delete m_game->m_pWorld;
    m_game->m_pWorld = nullptr;
    Controller().InitGame();
    Controller().StartScreen();
    EXPECT_TRUE(m_game->m_pViewport->IsQuitting());
    EXPECT_EQ(g_bStartUpFailed, 1);
}

}  // namespace
