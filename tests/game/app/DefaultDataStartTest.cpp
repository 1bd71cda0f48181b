// The game started as the program starts it on a copy of the default data set, for a few
// hundred frames, then closed through the window layer: every step of start-up logs its OK
// line, nothing fails to load but a score display's roller script, the scripter reports no
// error, start-up counts as done, and the first frame shows the start screen with the game's
// board hidden, every object of both under a shader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/PointerList.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/Game.h"
#include "game/app/GameClasses.h"
#include "game/flow/ControllerFiles.h"
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

// Counts its frames, looks at the scenes in the first and closes its window through the
// window layer after the last.
class ClosingGame : public CGame {
public:
    int Update(double dt) override {
        if (++frames == 1)
            LookAtScenes();
        if (frames == kFrames)
            winapi::InjectClose();
        return CGame::Update(dt);
    }

    void LookAtScenes() {
        if (!m_pWorld)
            return;
        const M3DOMTree* tree = m_pWorld->m_pInstanceTree;
        const M3DOMObject* menu = tree->FindByName(kMenuSceneName);
        const M3DOMObject* game = tree->FindByName(kGameSceneName);
        menuVisible = VisibilityOf(menu);
        gameVisible = VisibilityOf(game);
        for (const M3DOMObject* scene : {menu, game}) {
            if (scene)
                CollectWithoutShader(scene, &withoutShader);
        }
    }

    int frames = 0;
    int32_t menuVisible = -1;
    int32_t gameVisible = -1;
    std::vector<std::string> withoutShader;
};

// The lines of the log that tell of a failure: a failed step, a script that does not load or
// decipher. A roller script may be missing (the display then shows nothing), so its failed
// load, told on the line after the one naming it, is let through.
std::vector<std::string> FailureLines(const std::string& log) {
    std::vector<std::string> rollerLoads;
    for (const char* script : {kSmallRollerScript, kCountDownRollerScript, kRollerScript})
        rollerLoads.push_back(std::string("LoadScript - tyring to load \"") + script + "\"");
    std::vector<std::string> failures;
    std::string previous;
    for (size_t start = 0; start < log.size();) {
        const size_t end = std::min(log.find('\n', start), log.size());
        const std::string line = log.substr(start, end - start);
        start = end + 1;
        const bool failure = line.find("failed") != std::string::npos || line.find("FAILED") != std::string::npos ||
                             line.find("NOT successful") != std::string::npos;
        const bool rollerMissing =
            line == "LoadScript - loading failed" &&
            std::find(rollerLoads.begin(), rollerLoads.end(), previous) != rollerLoads.end();
        if (failure && !rollerMissing)
            failures.push_back(line);
        previous = line;
    }
    return failures;
}

class DefaultDataStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFrameState();
        RegisterGameClasses();
        g_bStartUpFailed = 0;
        std::filesystem::copy(BRENLOW_DATA_DIR, m_root.File("."),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
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
    auto game = std::make_unique<ClosingGame>();
    EXPECT_EQ(game->Run(nullptr, kKey, ""), 1);
    EXPECT_EQ(game->frames, kFrames);
    EXPECT_EQ(g_bStartUpFailed, 0);
    EXPECT_EQ(game->menuVisible, 1) << kMenuSceneName;
    EXPECT_EQ(game->gameVisible, 0) << kGameSceneName;
    EXPECT_TRUE(game->withoutShader.empty()) << "objects without a shader: "
                                             << testing::PrintToString(game->withoutShader);
    game.reset();

    // The log is named after the system script's "AppName".
    const std::string log = ReadText("brenlow.log");
    for (const char* line : kStepLines)
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(FailureLines(log), std::vector<std::string>()) << log;
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
}

}  // namespace
