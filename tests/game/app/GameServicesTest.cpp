// The message-box and input-box services the controller and the dialogs call on the
// application: refused without a parent or answer flags (nothing shown, nothing left), else
// the parent's next child, shown, counted once as a modal window, with the focus inside.
#include <gtest/gtest.h>

#include "engine/gui/AnswerFlags.h"
#include "engine/gui/Wnd.h"
#include "game/ui/DlgInputBox.h"
#include "game/ui/DlgMessageBox.h"
#include "game/ui/WndDesktop.h"
#include "tests/game/app/GameFixture.h"

namespace {

class GameServicesTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_TRUE(StartEngine());
        ASSERT_EQ(m_game->Init(), 1);
        desktop = m_game->m_pDesktop;
        children = desktop->m_pChildren->m_nCount;
    }

    CWndDesktop* desktop = nullptr;
    int children = 0;
};

TEST_F(GameServicesTest, AMessageBoxWithoutParentOrFlagsIsNeitherShownNorKept) {
    EXPECT_EQ(m_game->ShowMessageBox(CDynString("Sure?", 0), CDynString("caption", 0), nullptr, kAnswerYes), 0);
    EXPECT_EQ(m_game->ShowMessageBox(CDynString("Sure?", 0), CDynString("caption", 0), desktop, 0), 0);
    EXPECT_EQ(desktop->m_pChildren->m_nCount, children);
    EXPECT_EQ(g_nModalCount, 0u);
    EXPECT_EQ(g_pCurrentModalWindow, nullptr);
    EXPECT_EQ(g_pFocusWindow, desktop);
}

TEST_F(GameServicesTest, AMessageBoxIsTheParentsNextChildShownAndCountedOnce) {
    const int id = m_game->ShowMessageBox(CDynString("Sure?", 0), CDynString("caption", 0), desktop,
                                          kAnswerYes | kAnswerNo);
    EXPECT_EQ(id, 11);
    CWnd* box = desktop->GetChildByID(id);
    ASSERT_NE(dynamic_cast<CDlgMessageBox*>(box), nullptr);
    EXPECT_TRUE(box->m_nFlags & CWnd::kVisible);
    EXPECT_EQ(g_nModalCount, 1u);
    EXPECT_EQ(g_pCurrentModalWindow, box);
    box->Destroy();
    EXPECT_EQ(g_nModalCount, 0u);
    EXPECT_EQ(g_pFocusWindow, desktop);
    EXPECT_EQ(desktop->m_pChildren->m_nCount, children);
}

TEST_F(GameServicesTest, AnInputBoxWithoutParentOrFlagsIsNeitherShownNorKept) {
    CDynString name("old", 0);
    EXPECT_EQ(m_game->ShowInputBox(CDynString("Save as", 0), CDynString("Name:", 0), &name, 24, nullptr, kAnswerOK,
                                   CDynString("Experiment", 0), CDynString("abc", 0)),
              0);
    EXPECT_STREQ(name.GetText(), "old") << "untouched without a parent";
    EXPECT_EQ(m_game->ShowInputBox(CDynString("Save as", 0), CDynString("Name:", 0), &name, 24, desktop, 0,
                                   CDynString("Experiment", 0), CDynString("abc", 0)),
              0);
    EXPECT_EQ(desktop->m_pChildren->m_nCount, children);
    EXPECT_EQ(g_nModalCount, 0u);
    EXPECT_EQ(g_pFocusWindow, desktop);
}

TEST_F(GameServicesTest, AnInputBoxShowsItselfOnceWithItsTextsInPlace) {
    CDynString name;
    const int id = m_game->ShowInputBox(CDynString("Save as", 0), CDynString("Name:", 0), &name, 24, desktop,
                                        kAnswerOK | kAnswerCancel, CDynString("Experiment", 0), CDynString("abc", 0));
    EXPECT_EQ(id, 11);
    auto* box = dynamic_cast<CDlgInputBox*>(desktop->GetChildByID(id));
    ASSERT_NE(box, nullptr);
    EXPECT_STREQ(name.GetText(), "Experiment") << "the field starts with the initial text";
    EXPECT_STREQ(box->m_sName.GetText(), "Save as");
    EXPECT_STREQ(box->m_sPrompt.GetText(), "Name:");
    EXPECT_EQ(box->m_nFieldLength, 24);
    EXPECT_EQ(box->m_pBoundText, &name);
    EXPECT_TRUE(box->m_nFlags & CWnd::kVisible);
    EXPECT_EQ(g_nModalCount, 1u) << "its own Run and the service both show it";
    box->Destroy();
    EXPECT_EQ(g_nModalCount, 0u);
    EXPECT_EQ(g_pCurrentModalWindow, nullptr);
    EXPECT_EQ(g_pFocusWindow, desktop);
}

TEST_F(GameServicesTest, LoadingALevelAsksTheController) {
    EXPECT_EQ(m_game->LoadCurrentLevel(nullptr), 0);
}

}  // namespace
