// The game tests' fixture root on a started frame: each of its scripts is taken whole by the
// loader the game's start-up hands it to, on the frame's real devices, and each file a test
// may remove fails the one script that names it.
#include "tests/support/FixtureGameRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/ValueScript.h"
#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/ShaderHandler.h"
#include "engine/graphics/Texture.h"
#include "engine/gui/Dlg.h"
#include "engine/gui/GuiClasses.h"
#include "engine/sound/ScriptSound.h"
#include "engine/sound/SoundHandler.h"
#include "tests/engine/core/frame/FrameTest.h"
#include "winapi/window/WinWindow.h"

namespace {

using FixtureGameRootTest = FrameTest;

// The start-up's loaders on the started frame's devices, each keeping what it loaded.
struct Loaders {
    explicit Loaders(CTestGame& game) {
        for (CGfxHandler* handler : {&loading, &gui, &graphics})
            handler->Init(game.m_pRenderDevice);
        shaders.Init(game.m_pRenderDevice);
        sounds.Init(game.m_pSoundDevice);
    }

    // The scripts that did not load, in the start-up's order.
    std::vector<std::string> Load() {
        std::vector<std::string> failed;
        const auto note = [&failed](int loaded, const char* script) {
            if (!loaded)
                failed.push_back(script);
        };
        note(loading.LoadScript(fixture::kLoadingGfxScript, nullptr), fixture::kLoadingGfxScript);
        note(gui.LoadScript(fixture::kGuiGfxScript, nullptr), fixture::kGuiGfxScript);
        note(graphics.LoadScript(fixture::kGameGfxScript, nullptr), fixture::kGameGfxScript);
        note(shaders.LoadScript(fixture::kShaderScript, &graphics), fixture::kShaderScript);
        note(sounds.LoadScript(fixture::kSoundScript), fixture::kSoundScript);
        return failed;
    }

    CGfxHandler loading;
    CGfxHandler gui;
    CGfxHandler graphics;
    CShaderHandler shaders;
    CSoundHandler sounds;
};

// The texture the handler loaded under that name from that file, or none.
CTexture2D* FoundTexture(const CGfxHandler& handler, const fixture::Resource& resource) {
    const CGfx* gfx = handler.Find(resource.name);
    if (!gfx || strcmp(gfx->m_sFile.GetText(), resource.file) != 0 || !gfx->GetTexture())
        return nullptr;
    return gfx->GetTexture()->m_pTexture;
}

TEST_F(FixtureGameRootTest, EveryScriptLoadsWholeOnTheStartedFrame) {
    std::string error;
    ASSERT_TRUE(WriteFixtureGameRoot(m_root, &error)) << error;
    RegisterGuiClasses();
    CTestGame game(m_record);
    ASSERT_EQ(game.Init(), 1);
    RECT client{};
    GetClientRect(game.m_pViewport->GetWindowHandle(), &client);
    EXPECT_EQ(client.right - client.left, fixture::kWidth);
    EXPECT_EQ(client.bottom - client.top, fixture::kHeight);
    float metrics[4] = {};
    game.GetGuiMetrics(metrics);
    const float width = static_cast<float>(fixture::kWidth);
    const float height = static_cast<float>(fixture::kHeight);
    EXPECT_EQ(std::vector<float>(metrics, metrics + 4), (std::vector<float>{width, height, 1.0f, 1.0f}))
        << "the interface's reference size is the window's";

    Loaders loaders(game);
    ASSERT_EQ(loaders.Load(), std::vector<std::string>{});

    struct Script {
        const CGfxHandler& handler;
        std::vector<fixture::Resource> textures;
    };
    std::vector<fixture::Resource> guiTextures = {fixture::kMenuFontTexture, fixture::kPointerTexture};
    guiTextures.insert(guiTextures.end(), std::begin(fixture::kDialogSkin), std::end(fixture::kDialogSkin));
    const Script scripts[] = {
        {loaders.loading, {std::begin(fixture::kLoadingTextures), std::end(fixture::kLoadingTextures)}},
        {loaders.gui, guiTextures},
        {loaders.graphics, {fixture::kGameTexture}},
    };
    for (const Script& script : scripts) {
        for (const fixture::Resource& texture : script.textures)
            EXPECT_NE(FoundTexture(script.handler, texture), nullptr) << texture.name;
    }
    const CGfx* font = loaders.gui.Find(fixture::kMenuFont.name);
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->GetFont(), nullptr);
    const CGfx* model = loaders.graphics.Find(fixture::kGameModel.name);
    ASSERT_NE(model, nullptr);
    EXPECT_NE(model->GetModel(), nullptr);

    const CShader* shader = loaders.shaders.GetShader(fixture::kShaderName);
    ASSERT_NE(shader, nullptr);
    ASSERT_EQ(shader->GetPassCount(), 1u);
    const CShaderStage* stage = shader->GetPass(0)->GetStage(0);
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->m_pTexture, FoundTexture(loaders.graphics, fixture::kGameTexture))
        << "the stage shares the game script's texture";

    const CScriptSound* sound = loaders.sounds.Find(fixture::kSound.name);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->m_bSound2DLoaded, 1);

    CValueScript config;
    ASSERT_EQ(config.Load(fixture::kConfigScript, "Config"), 1);
    for (const fixture::NumberSetting& setting : fixture::kConfigSettings) {
        EXPECT_NE(config.FindEntry(setting.key), nullptr) << setting.key;
        EXPECT_EQ(config.GetFloat(setting.key, -1.0f), setting.value) << setting.key;
    }
    CValueScript labs;
    ASSERT_EQ(labs.Load(fixture::kLabsScript, "Labs"), 1);
    ASSERT_NE(labs.FindEntry(fixture::kLabNameGameKey), nullptr);
    EXPECT_STREQ(labs.GetString(fixture::kLabNameGameKey, "").GetText(), fixture::kLabNameGame);

    for (const char* name : fixture::kDialogNames) {
        SCOPED_TRACE(name);
        CDlg dialog;
        ASSERT_EQ(dialog.LoadScript(fixture::DialogScriptPath(name).c_str()), 1);
        EXPECT_STREQ(dialog.m_sName.GetText(), name);
        const CWnd* child = dialog.GetChildByID(fixture::kDialogChildID);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->m_pClass, CWnd::GetStaticClass());
    }
}

TEST_F(FixtureGameRootTest, EachFileRemovedFailsOnlyTheScriptNamingIt) {
    std::string error;
    ASSERT_TRUE(WriteFixtureGameRoot(m_root, &error)) << error;
    CTestGame game(m_record);
    ASSERT_EQ(game.Init(), 1);

    struct Case {
        const char* file;
        const char* failingScript;
    };
    const Case cases[] = {
        {fixture::kBigGear.file, fixture::kLoadingGfxScript},
        {fixture::kMenuFont.file, fixture::kGuiGfxScript},
        {fixture::kDialogSkin[8].file, fixture::kGuiGfxScript},
        {fixture::kGameModel.file, fixture::kGameGfxScript},
        {fixture::kShaderScript, fixture::kShaderScript},
        {fixture::kSound.file, fixture::kSoundScript},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string aside = std::string(c.file) + ".aside";
        std::filesystem::rename(c.file, aside);
        Loaders loaders(game);
        EXPECT_EQ(loaders.Load(), std::vector<std::string>{c.failingScript});
        std::filesystem::rename(aside, c.file);
    }
    Loaders loaders(game);
    EXPECT_EQ(loaders.Load(), std::vector<std::string>{}) << "every file is back";
}

}  // namespace
