// Draws the scenes of a game root for a person to look at, through the game's own start-up and
// drawing: scene_preview_png <game root> <output prefix> writes
//   <prefix>-start.png        the start screen as the set-up leaves it;
//   <prefix>-start-hover.png  the same with every menu sheet in its "<sheet>_over" look;
//   <prefix>-game.png         the game's board;
//   <prefix>-backgrounds.png  the board under each of the 14 backgrounds, a quarter size each.
// The game runs in the root itself. Where start-up fails it writes nothing, prints the log's
// failing lines and exits 1.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/graphics/Camera.h"
#include "engine/graphics/ShaderHandler.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/GameClasses.h"
#include "game/flow/ControllerFiles.h"
#include "game/flow/SceneNames.h"
#include "tests/game/app/GameRenderScene.h"
#include "tests/support/FrameReset.h"
#include "tests/support/GameRoot.h"
#include "tests/support/PixelFrame.h"
#include "tests/support/PngWriter.h"
#include "tests/support/SceneWindow.h"
#include "tests/support/TempDir.h"
#include "winapi/window/WindowTestHooks.h"

namespace {

// The log start-up writes, named after the system script's "AppName".
constexpr char kAppLogFile[] = "brenlow.log";
constexpr double kFrameStep = 0.02;
// The backgrounds' sheet: tiles a quarter of the frame's size, four to a row.
constexpr int kTileShrink = 4;
constexpr int kTilesPerRow = 4;

// Lines of the log that tell of a failure.
void PrintFailures() {
    if (!FileExists(kAppLogFile)) {
        fprintf(stderr, "scene_preview_png: start-up failed and left no %s\n", kAppLogFile);
        return;
    }
    for (const std::string& line : LogFailureLines(ReadText(kAppLogFile)))
        fprintf(stderr, "scene_preview_png: %s\n", line.c_str());
}

class ScenePreview {
public:
    ScenePreview(CSceneWindow* window, CSceneWindowGame* game) : m_pWindow(window), m_pGame(game) {}

    // Frames of the game's own update, then its drawing, read back.
    PixelFrame Frame() {
        for (const double dt : {kFrameStep, kFrameStep})
            m_pGame->Step(dt);
        m_pGame->Render();
        return m_pWindow->Grab();
    }

    M3DOMObject* Find(const char* name) const { return Tree()->FindByName(name); }

    // Every menu sheet's object in the look it takes under the pointer.
    void HoverEverySheet() {
        for (const char* sheet : kMenuSheets) {
            M3DOMObject* mo = Find(sheet);
            C3DObject* o = mo ? mo->GetO(0) : nullptr;
            CShader* over = m_pGame->m_pShaderHandler->GetShader((std::string(sheet) + "_over").c_str());
            if (o && over)
                o->m_pShader = over;
        }
    }

    // No step of the game switches to its board yet: show it, hide the desk, hide what the
    // switch hides again once the board is shown (the certificate and the context menu), and
    // look at the board from where the game's camera stands.
    void ShowBoard() {
        Find(kMenuSceneName)->SetVisible(0);
        M3DOMObject* board = Find(kGameSceneName);
        board->SetVisible(1);
        board->m_bHold = 0;
        for (const char* hidden : {"mo_certificate", "mo_gui_menu_context"})
            Find(hidden)->SetVisible(0);
        CCamera* camera = m_pGame->m_pCamera;
        camera->SetEye(CVector3(0.0f, 0.0f, -12.8f));
        camera->SetTarget(CVector3(0.0f, 0.0f, 0.0f));
        camera->Apply(m_pGame->m_pRenderDevice);
        PlaceScene();
    }

    // The background replaced as an experiment's properties replace it.
    void ShowBackground(const char* name) {
        M3DOMObject* holder = Find(kBackgroundNode);
        holder->DeleteChildren();
        const std::string text = std::string(name) + " { } ";
        m_pGame->m_pWorld->m_pScripter->AddScriptMOsFromMemory(holder, text.c_str(), static_cast<int>(text.size()),
                                                               1);
        PlaceScene();
        M3DOMObject* background = holder->GetChild(0);
        if (background && background->GetO(0))
            Tree()->m_pOList->MoveToFront(background->GetO(0));
    }

private:
    M3DOMTree* Tree() const { return m_pGame->m_pWorld->m_pInstanceTree; }

    void PlaceScene() {
        Tree()->UpdateTransforms(nullptr);
        Tree()->m_pOList->SetMatrixChangedAll(1);
    }

    CSceneWindow* m_pWindow;
    CSceneWindowGame* m_pGame;
};

// The frame shrunk by averaging each square of pixels, into its place on the sheet.
void PasteShrunk(const PixelFrame& frame, int tile, PixelFrame* sheet) {
    const int width = frame.width / kTileShrink;
    const int height = frame.height / kTileShrink;
    const int left = (tile % kTilesPerRow) * width;
    const int top = (tile / kTilesPerRow) * height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t sum[3] = {};
            for (int dy = 0; dy < kTileShrink; ++dy) {
                for (int dx = 0; dx < kTileShrink; ++dx) {
                    const uint32_t pixel =
                        frame.pixels[static_cast<size_t>((y * kTileShrink + dy) * frame.width + x * kTileShrink + dx)];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += (pixel >> (8 * c)) & 0xFF;
                }
            }
            uint32_t average = 0xFF000000;
            for (int c = 0; c < 3; ++c)
                average |= (sum[c] / (kTileShrink * kTileShrink)) << (8 * c);
            sheet->pixels[static_cast<size_t>((top + y) * sheet->width + left + x)] = average;
        }
    }
}

PixelFrame BackgroundSheet(ScenePreview* preview) {
    PixelFrame sheet;
    int tile = 0;
    for (const char* background : kBackgroundTemplates) {
        preview->ShowBackground(background);
        const PixelFrame frame = preview->Frame();
        if (sheet.pixels.empty()) {
            const int rows = (static_cast<int>(std::size(kBackgroundTemplates)) + kTilesPerRow - 1) / kTilesPerRow;
            sheet.width = frame.width / kTileShrink * kTilesPerRow;
            sheet.height = frame.height / kTileShrink * rows;
            sheet.pixels.assign(static_cast<size_t>(sheet.width) * static_cast<size_t>(sheet.height), 0xFF000000);
        }
        PasteShrunk(frame, tile++, &sheet);
    }
    return sheet;
}

struct Picture {
    std::string suffix;
    PixelFrame frame;
};

// The pictures in order; false when start-up failed.
bool DrawPictures(std::vector<Picture>* pictures) {
    CSceneWindow window;
    CSceneWindowGame game(&window);
    if (!game.StartEngine() || game.Init() != 1)
        return false;
    winapi::ForceActiveWindow(1);
    ScenePreview preview(&window, &game);
    pictures->push_back({"-start.png", preview.Frame()});
    preview.HoverEverySheet();
    pictures->push_back({"-start-hover.png", preview.Frame()});
    preview.ShowBoard();
    pictures->push_back({"-game.png", preview.Frame()});
    pictures->push_back({"-backgrounds.png", BackgroundSheet(&preview)});
    winapi::ForceActiveWindow(-1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: scene_preview_png <game root> <output prefix>\n");
        return 2;
    }
    // The prefix is taken before the game moves into its root.
    const std::string prefix = std::filesystem::absolute(argv[2]).string();
    std::error_code failure;
    std::filesystem::current_path(argv[1], failure);
    if (failure) {
        fprintf(stderr, "scene_preview_png: cannot enter %s: %s\n", argv[1], failure.message().c_str());
        return 1;
    }
    RegisterGameClasses();
    ResetFrameState();
    std::vector<Picture> pictures;
    if (!DrawPictures(&pictures)) {
        PrintFailures();
        return 1;
    }
    for (const Picture& picture : pictures) {
        if (WriteFramePng("scene_preview_png", prefix + picture.suffix, picture.frame) != 0)
            return 1;
    }
    return 0;
}
