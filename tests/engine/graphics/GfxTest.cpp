#include "engine/graphics/Gfx.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/LogFile.h"
#include "engine/core/ValueScript.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/Texture.h"
#include "engine/graphics/Texture2D.h"
#include "tests/engine/graphics/ModelBytes.h"
#include "tests/support/TempDir.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

// 2 x 1 pixels, 24 bits.
std::vector<uint8_t> SmallTga() {
    std::vector<uint8_t> file(18, 0);
    file[2] = 2;
    file[12] = 2;
    file[14] = 1;
    file[16] = 24;
    for (uint8_t b : {10, 20, 30, 40, 50, 60})
        file.push_back(b);
    return file;
}

// A font of 256 cells on a texture of its own: a size, then x, y and width of every cell.
std::vector<uint8_t> CellFont(uint16_t size) {
    std::vector<uint8_t> file = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)};
    for (int cell = 0; cell < 256; ++cell) {
        for (const int value : {(cell % 16) * 16, (cell / 16) * 16, 9}) {
            file.push_back(static_cast<uint8_t>(value));
            file.push_back(static_cast<uint8_t>(value >> 8));
        }
    }
    return file;
}

class GfxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_log = std::make_unique<CLogFile>(m_dir.File("device.log").c_str());
        ASSERT_EQ(m_device.InitForTest(0, 0, 0, m_log.get()), 1);
        ASSERT_EQ(m_handler.Init(&m_device), 1);
        const std::vector<uint8_t> model = TwoFrameSquare().Bytes();
        WriteBytes(m_dir.File("square.uzq"), model.data(), model.size());
        const std::vector<uint8_t> tga = SmallTga();
        WriteBytes(m_dir.File("small.tga"), tga.data(), tga.size());
        const std::vector<uint8_t> font = CellFont(17);
        WriteBytes(m_dir.File("cells.fnt"), font.data(), font.size());
        const std::vector<uint8_t> broken(50, 7);
        WriteBytes(m_dir.File("broken.uzq"), broken.data(), broken.size());
    }

    void TearDown() override { m_handler.FreeAll(); }

    // A graphics script of the blocks given as "[name]" lines and "Key = value" lines.
    std::string Script(const std::string& blocks) {
        const std::string path = m_dir.File("gfx.vsc");
        WriteText(path, std::string(CValueScript::kHeader) + "\r\n\r\n" + blocks);
        return path;
    }
    std::string Prefix() const { return m_dir.Path() + "/"; }
    std::string Log() const { return ReadText(m_dir.File("device.log")); }
    std::string Loading(const std::string& file, bool ok) const {
        return "loading " + m_dir.File(file) + (ok ? "... ok\n" : "... failed\n");
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (auto* node = m_handler.m_pResources->m_pHead; node; node = node->m_pNext)
            names.push_back(static_cast<CGfx*>(node->m_data)->m_sName.GetText());
        return names;
    }
    int LiveBuffers() const {
        int live = 0;
        for (const auto& record : m_device.m_VertexBuffers)
            live += record.released ? 0 : 1;
        for (const auto& record : m_device.m_IndexBuffers)
            live += record.released ? 0 : 1;
        return live;
    }

    TempDir m_dir;
    std::unique_ptr<CLogFile> m_log;
    CRecordingRenderDevice m_device;
    CGfxHandler m_handler;
};

// ---------------------------------------------------------------------------------------------
// Scripts

TEST_F(GfxTest, EachBlockLoadsItsResourceByName) {
    const std::string script = Script(
        "[square]\r\nType = \"TOLP3D_GFX_MODEL\"\r\nFile = \"square.uzq\"\r\n\r\n"
        "[small]\r\nType = \"TOLP3D_GFX_TEXTURE\"\r\nFile = \"small.tga\"\r\n\r\n"
        "[cells]\r\nType = \"TOLP3D_GFX_FONT\"\r\nFile = \"cells.fnt\"\r\n");
    ASSERT_EQ(m_handler.LoadScript(script.c_str(), Prefix().c_str()), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"square", "small", "cells"}));

    CGfx* square = m_handler.Find("square");
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(square->m_nKind, static_cast<uint32_t>(kGfxModel));
    EXPECT_EQ(square->m_bLoaded, 1u);
    EXPECT_EQ(std::string(square->m_sFile.GetText()), m_dir.File("square.uzq"));
    EXPECT_EQ(square->m_pDevice, &m_device);
    ASSERT_NE(square->GetModel(), nullptr);
    EXPECT_EQ(square->GetModel()->GetFrameCount(), 2u);
    EXPECT_EQ(square->GetTexture(), nullptr);
    EXPECT_EQ(square->GetFont(), nullptr);

    CGfx* small = m_handler.Find("small");
    ASSERT_NE(small, nullptr);
    ASSERT_NE(small->GetTexture(), nullptr);
    ASSERT_NE(small->GetTexture()->m_pTexture, nullptr);
    EXPECT_EQ(small->GetTexture()->m_pTexture->GetWidth(), 2u);
    EXPECT_EQ(small->GetModel(), nullptr);

    CGfx* cells = m_handler.Find("cells");
    ASSERT_NE(cells, nullptr);
    ASSERT_NE(cells->GetFont(), nullptr);
    EXPECT_EQ(cells->GetFont()->m_fSize, 17.0f);
    EXPECT_EQ(cells->GetTexture(), nullptr);

    EXPECT_EQ(m_handler.FindByFile(m_dir.File("small.tga").c_str()), small);
    EXPECT_EQ(m_handler.Find("Square"), nullptr);
    EXPECT_EQ(m_handler.FindByFile("small.tga"), nullptr);
    // The handler writes nothing of its own: only the device's loading lines.
    EXPECT_EQ(Log(), Loading("square.uzq", true) + Loading("small.tga", true) + Loading("cells.fnt", true));
}

TEST_F(GfxTest, TwoBlocksNamingOneFileLoadItTwice) {
    const std::string script = Script(
        "[first]\r\nType = \"TOLP3D_GFX_MODEL\"\r\nFile = \"square.uzq\"\r\n\r\n"
        "[first]\r\nType = \"TOLP3D_GFX_MODEL\"\r\nFile = \"square.uzq\"\r\n");
    ASSERT_EQ(m_handler.LoadScript(script.c_str(), Prefix().c_str()), 1);
    ASSERT_EQ(m_handler.m_pResources->m_nCount, 2);
    auto* a = static_cast<CGfx*>(m_handler.m_pResources->m_pHead->m_data);
    auto* b = static_cast<CGfx*>(m_handler.m_pResources->m_pTail->m_data);
    EXPECT_NE(a->GetModel(), b->GetModel());
    EXPECT_EQ(m_handler.Find("first"), a);
    EXPECT_EQ(Log(), Loading("square.uzq", true) + Loading("square.uzq", true));
}

TEST_F(GfxTest, AFailingBlockEndsTheScriptAndKeepsWhatCameBefore) {
    struct Case {
        const char* what;
        const char* third;
        std::string log;
    };
    const Case cases[] = {
        {"a missing file", "Type = \"TOLP3D_GFX_MODEL\"\r\nFile = \"missing.uzq\"\r\n",
         Loading("missing.uzq", false)},
        {"a file that does not load", "Type = \"TOLP3D_GFX_MODEL\"\r\nFile = \"broken.uzq\"\r\n",
         Loading("broken.uzq", false)},
        {"a missing texture", "Type = \"TOLP3D_GFX_TEXTURE\"\r\nFile = \"missing.tga\"\r\n",
         Loading("missing.tga", false)},
        {"a missing font", "Type = \"TOLP3D_GFX_FONT\"\r\nFile = \"missing.fnt\"\r\n", Loading("missing.fnt", false)},
        {"no type", "File = \"square.uzq\"\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_handler.FreeAll();
        const size_t logged = Log().size();
        const std::string script = Script(
            "[one]\r\nType = \"TOLP3D_GFX_MODEL\"\r\nFile = \"square.uzq\"\r\n\r\n"
            "[two]\r\nType = \"TOLP3D_GFX_TEXTURE\"\r\nFile = \"small.tga\"\r\n\r\n"
            "[three]\r\n" + std::string(c.third) + "\r\n"
            "[four]\r\nType = \"TOLP3D_GFX_TEXTURE\"\r\nFile = \"small.tga\"\r\n");
        EXPECT_EQ(m_handler.LoadScript(script.c_str(), Prefix().c_str()), 0);
        EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two"}));
        EXPECT_NE(m_handler.Find("one")->GetModel(), nullptr);
        EXPECT_NE(m_handler.Find("two")->GetTexture(), nullptr);
        EXPECT_EQ(Log().substr(logged), Loading("square.uzq", true) + Loading("small.tga", true) + c.log);
    }
    // What the failed blocks made is gone with them: only the first block's buffers live.
    m_handler.FreeAll();
    EXPECT_EQ(LiveBuffers(), 0);
}

TEST_F(GfxTest, BlocksWithoutAFileFailAndUnknownTypesHoldNothing) {
    // Without a prefix the file is read as given: a block without one fails.
    const std::string noFile = Script("[a]\r\nType = \"TOLP3D_GFX_MODEL\"\r\n");
    EXPECT_EQ(m_handler.LoadScript(noFile.c_str(), nullptr), 0);
    EXPECT_EQ(m_handler.m_pResources->m_nCount, 0);
    // With a prefix the missing file becomes the prefix and a marker, which does not load.
    EXPECT_EQ(m_handler.LoadScript(noFile.c_str(), Prefix().c_str()), 0);
    EXPECT_EQ(Log(), Loading("Err::NoGfxFile", false));

    const std::string unknown = Script("[odd]\r\nType = \"TOLP3D_GFX_SOUND\"\r\nFile = \"square.uzq\"\r\n");
    ASSERT_EQ(m_handler.LoadScript(unknown.c_str(), Prefix().c_str()), 1);
    CGfx* odd = m_handler.Find("odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->m_bLoaded, 0u);
    EXPECT_EQ(odd->m_nKind, static_cast<uint32_t>(kGfxNone));
    EXPECT_EQ(odd->GetModel(), nullptr);
    EXPECT_EQ(odd->GetTexture(), nullptr);
    EXPECT_EQ(odd->GetFont(), nullptr);
}

TEST_F(GfxTest, FindWithoutANameGivesTheFirst) {
    EXPECT_EQ(m_handler.Find(nullptr), nullptr);
    const std::string script = Script(
        "[b]\r\nType = \"TOLP3D_GFX_TEXTURE\"\r\nFile = \"small.tga\"\r\n\r\n"
        "[a]\r\nType = \"TOLP3D_GFX_TEXTURE\"\r\nFile = \"small.tga\"\r\n");
    ASSERT_EQ(m_handler.LoadScript(script.c_str(), Prefix().c_str()), 1);
    EXPECT_EQ(m_handler.Find(nullptr), m_handler.Find("b"));
}

TEST_F(GfxTest, AMissingScriptLoadsNothing) {
    EXPECT_EQ(m_handler.LoadScript(m_dir.File("none.vsc").c_str(), nullptr), 1);
    EXPECT_EQ(m_handler.m_pResources->m_nCount, 0);
}

TEST_F(GfxTest, ProgressIsReportedForEachResourceAdded) {
    int calls = 0;
    m_handler.m_pfnProgress = [](void* argument) { ++*static_cast<int*>(argument); };
    m_handler.m_pProgressArgument = &calls;
    const std::string script = Script(
        "[one]\r\nType = \"TOLP3D_GFX_MODEL\"\r\nFile = \"square.uzq\"\r\n\r\n"
        "[two]\r\nType = \"TOLP3D_GFX_MODEL\"\r\nFile = \"missing.uzq\"\r\n");
    EXPECT_EQ(m_handler.LoadScript(script.c_str(), Prefix().c_str()), 0);
    EXPECT_EQ(calls, 1);
    const std::string tga = m_dir.File("small.tga");
    EXPECT_NE(m_handler.LoadOne(tga.c_str(), kGfxTexture), nullptr);
    EXPECT_EQ(m_handler.LoadOne(tga.c_str(), kGfxTexture), m_handler.Find(tga.c_str()));
    EXPECT_EQ(calls, 2);
    // Without its argument the callback is not run.
    m_handler.m_pProgressArgument = nullptr;
    EXPECT_NE(m_handler.LoadOne(m_dir.File("cells.fnt").c_str(), kGfxFont), nullptr);
    EXPECT_EQ(calls, 2);
}

// ---------------------------------------------------------------------------------------------
// One at a time

TEST_F(GfxTest, LoadOneSharesAResourceByFileAndKind) {
    const std::string square = m_dir.File("square.uzq");
    CGfx* first = m_handler.LoadOne(square.c_str(), kGfxModel);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::string(first->m_sName.GetText()), square);
    ASSERT_NE(first->GetModel(), nullptr);
    EXPECT_EQ(m_handler.LoadOne(square.c_str(), kGfxModel), first);
    EXPECT_EQ(Log(), Loading("square.uzq", true));

    // The same file as another kind is another resource: it is read again (and here it is
    // no texture at all).
    EXPECT_EQ(m_handler.LoadOne(square.c_str(), kGfxTexture), nullptr);
    EXPECT_EQ(Log(), Loading("square.uzq", true) + Loading("square.uzq", false));
    EXPECT_EQ(m_handler.m_pResources->m_nCount, 1);

    const std::string tga = m_dir.File("small.tga");
    CGfx* texture = m_handler.LoadOne(tga.c_str(), kGfxTexture);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(m_handler.LoadOne(tga.c_str(), kGfxTexture), texture);
    // The texture's file asked for as a model is read again, as a model (and is none).
    EXPECT_EQ(m_handler.LoadOne(tga.c_str(), kGfxModel), nullptr);
    EXPECT_EQ(m_handler.LoadOne(square.c_str(), kGfxModel), first);
    EXPECT_EQ(m_handler.m_pResources->m_nCount, 2);

    EXPECT_EQ(m_handler.LoadOne(nullptr, kGfxModel), nullptr);
}

TEST_F(GfxTest, LoadAsNamesTheResourceAfterItsFile) {
    CGfx gfx;
    const std::string tga = m_dir.File("small.tga");
    ASSERT_EQ(gfx.LoadAs(tga.c_str(), kGfxTexture, &m_device), 1);
    EXPECT_EQ(std::string(gfx.m_sName.GetText()), tga);
    EXPECT_EQ(gfx.m_nKind, static_cast<uint32_t>(kGfxTexture));
    // A kind of no resource loads nothing and succeeds.
    CGfx other;
    EXPECT_EQ(other.LoadAs(tga.c_str(), 9, &m_device), 1);
    EXPECT_EQ(other.m_bLoaded, 0u);
    EXPECT_EQ(other.m_pResource, nullptr);
}

TEST_F(GfxTest, AFailedLoadKeepsNoResource) {
    CGfx gfx;
    gfx.m_pDevice = &m_device;
    ASSERT_EQ(gfx.LoadModel(m_dir.File("square.uzq").c_str()), 1);
    EXPECT_EQ(LiveBuffers(), 2);
    // A second load through the same handle lets the first resource go, whatever it gives.
    EXPECT_EQ(gfx.LoadModel(m_dir.File("broken.uzq").c_str()), 0);
    EXPECT_EQ(gfx.m_pResource, nullptr);
    EXPECT_EQ(gfx.m_bLoaded, 0u);
    EXPECT_EQ(LiveBuffers(), 0);
    EXPECT_EQ(gfx.LoadTexture(m_dir.File("missing.tga").c_str()), 0);
    EXPECT_EQ(gfx.m_pResource, nullptr);
    EXPECT_EQ(gfx.LoadFont(m_dir.File("missing.fnt").c_str()), 0);
    EXPECT_EQ(gfx.m_pResource, nullptr);
    EXPECT_EQ(gfx.m_nKind, static_cast<uint32_t>(kGfxFont));

    CGfx deviceless;
    EXPECT_EQ(deviceless.LoadModel(m_dir.File("square.uzq").c_str()), 0);
    EXPECT_EQ(deviceless.LoadTexture(m_dir.File("small.tga").c_str()), 0);
    EXPECT_EQ(deviceless.LoadFont(m_dir.File("cells.fnt").c_str()), 0);
    EXPECT_EQ(deviceless.m_pResource, nullptr);
}

TEST_F(GfxTest, FreeAllReleasesEveryResourceAndKeepsTheList) {
    const std::string script = Script(
        "[one]\r\nType = \"TOLP3D_GFX_MODEL\"\r\nFile = \"square.uzq\"\r\n\r\n"
        "[two]\r\nType = \"TOLP3D_GFX_TEXTURE\"\r\nFile = \"small.tga\"\r\n");
    ASSERT_EQ(m_handler.LoadScript(script.c_str(), Prefix().c_str()), 1);
    EXPECT_EQ(LiveBuffers(), 2);
    m_handler.FreeAll();
    EXPECT_EQ(LiveBuffers(), 0);
    ASSERT_NE(m_handler.m_pResources, nullptr);
    EXPECT_EQ(m_handler.m_pResources->m_nCount, 0);
    EXPECT_EQ(m_device.Texture(1), nullptr);
    EXPECT_EQ(m_handler.Find("one"), nullptr);
    ASSERT_EQ(m_handler.LoadScript(script.c_str(), Prefix().c_str()), 1);
    EXPECT_EQ(m_handler.m_pResources->m_nCount, 2);
}

}  // namespace
