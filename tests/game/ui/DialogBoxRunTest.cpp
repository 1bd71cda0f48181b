// The message box and the input box join their parent through Run: refused without a parent
// or answer flags, otherwise the parent's child with its next ID; the input box shows itself
// and opens its modal state once.
#include <gtest/gtest.h>

#include "engine/gui/AnswerFlags.h"
#include "engine/gui/GuiClasses.h"
#include "game/ui/DlgInputBox.h"
#include "game/ui/DlgMessageBox.h"
#include "game/ui/UiClasses.h"
#include "game/ui/WndDesktop.h"
#include "tests/support/GuiTestGame.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

class DialogBoxRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterGuiClasses();
        RegisterUiClasses();
    }
    void SetUp() override {
        ResetWindowGlobals();
        game.m_pRenderDevice = new CRecordingRenderDevice;  // the game deletes it
        game.SetGuiScale(2.0f, 2.0f);
        desktop = new CWndDesktop;
        desktop->m_nFlags = CWnd::kVisible;
        root.AddChild(desktop, 1);
        root.SetGameRecursive(&game);
        // The application appends its ten dialogs with IDs up to 10.
        desktop->m_nLastChildID = 10;
        g_pFocusWindow = desktop;
    }
    void TearDown() override {
        root.DeleteChildren();
        ResetWindowGlobals();
    }

    FakeGame game;
    CWnd root;
    CWndDesktop* desktop = nullptr;
};

TEST_F(DialogBoxRunTest, AMessageBoxWithoutParentFlagsOrRenderDeviceIsRefused) {
    CDlgMessageBox box;
    EXPECT_EQ(box.Run("text", "caption", nullptr, kAnswerOK, &game), 0);
    EXPECT_EQ(box.Run("text", "caption", desktop, 0, &game), 0);
    EXPECT_EQ(box.Run("text", "caption", desktop, kAnswerOK, nullptr), 0);
    CRenderDevice* device = game.m_pRenderDevice;
    game.m_pRenderDevice = nullptr;
    EXPECT_EQ(box.Run("text", "caption", desktop, kAnswerOK, &game), 0);
    game.m_pRenderDevice = device;
    EXPECT_EQ(desktop->m_pChildren->m_nCount, 0);
    EXPECT_EQ(box.m_pParent, nullptr);
}

TEST_F(DialogBoxRunTest, AMessageBoxJoinsItsParentWithTheNextIdAndKeepsItsArguments) {
    auto* box = new CDlgMessageBox;
    ASSERT_EQ(box->Run("Save the lab?", "question_caption", desktop, kAnswerYes | kAnswerNo, &game), 1);
    EXPECT_EQ(box->m_pParent, desktop);
    EXPECT_EQ(box->m_nID, 11);
    EXPECT_EQ(desktop->GetChildByID(11), box);
    EXPECT_STREQ(box->m_sText.GetText(), "Save the lab?");
    EXPECT_STREQ(box->m_sName.GetText(), "question_caption");
    EXPECT_EQ(box->m_nAnswerFlags, kAnswerYes | kAnswerNo);
    EXPECT_EQ(box->m_pGame, &game);
    EXPECT_FALSE(box->m_nFlags & CWnd::kVisible) << "the application shows it";
    EXPECT_EQ(g_nModalCount, 0u);

    // Shown as the application does, then closed: the count and the focus come back.
    box->Show();
    EXPECT_EQ(g_nModalCount, 1u);
    box->Destroy();
    EXPECT_EQ(g_nModalCount, 0u);
    EXPECT_EQ(g_pFocusWindow, desktop);
    EXPECT_EQ(desktop->m_pChildren->m_nCount, 0);
}

TEST_F(DialogBoxRunTest, AnInputBoxWithoutParentOrFlagsIsRefused) {
    CDynString name;
    CDlgInputBox box;
    EXPECT_EQ(box.Run("Name:", "save_as", nullptr, kAnswerOK, "", 20, "abc", &name, &game), 0);
    EXPECT_EQ(box.Run("Name:", "save_as", desktop, 0, "", 20, "abc", &name, &game), 0);
    EXPECT_EQ(desktop->m_pChildren->m_nCount, 0);
    EXPECT_FALSE(box.m_nFlags & CWnd::kVisible);
    EXPECT_EQ(g_nModalCount, 0u);
}

TEST_F(DialogBoxRunTest, AnInputBoxShowsItselfAndCountsOnceWhenShownAgain) {
    CDynString name;
    auto* box = new CDlgInputBox;
    ASSERT_EQ(box->Run("Name:", "save_as", desktop, kAnswerOK | kAnswerCancel, "Experiment 1", 20, "abc", &name,
                       &game),
              1);
    EXPECT_EQ(box->m_nID, 11);
    EXPECT_EQ(desktop->GetChildByID(11), box);
    EXPECT_STREQ(box->m_sPrompt.GetText(), "Name:");
    EXPECT_STREQ(box->m_sName.GetText(), "save_as");
    EXPECT_STREQ(box->m_sInitialText.GetText(), "Experiment 1");
    EXPECT_EQ(box->m_nFieldLength, 20);
    EXPECT_STREQ(box->m_sAllowedChars.GetText(), "abc");
    EXPECT_EQ(box->m_pBoundText, &name);
    EXPECT_TRUE(box->m_nFlags & CWnd::kVisible);
    EXPECT_EQ(g_nModalCount, 1u);
    EXPECT_EQ(g_pCurrentModalWindow, box);

    // The application's input-box service shows it once more.
    box->Show();
    EXPECT_EQ(g_nModalCount, 1u);

    box->Destroy();
    EXPECT_EQ(g_nModalCount, 0u);
    EXPECT_EQ(g_pCurrentModalWindow, nullptr);
    EXPECT_EQ(g_pFocusWindow, desktop);
}

}  // namespace
