// Showing, hiding and destroying windows and the modal state: the current modal window, the
// modal count, the active words and the focus given back.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/gui/GuiClasses.h"
#include "engine/gui/Wnd.h"
#include "tests/support/GuiTestGame.h"

namespace {

constexpr int kLeftButton = 0;

// Counts the input that reaches it.
class InputCounter : public CWnd {
public:
    explicit InputCounter(const char* name) { SetName(CDynString(name, 0)); }
    void OnMouse(CInputEvent* /*event*/) override { ++mouseEvents; }
    void OnKey(CInputEvent* /*event*/) override { ++keyEvents; }

    int mouseEvents = 0;
    int keyEvents = 0;
};

std::string NameOf(const CWnd* window) {
    return window ? window->m_sName.GetText() : "(none)";
}

// The tree every test starts from, in a 640 x 480 screen at scale 1:
//   root > desktop (full screen) > button (top left, focus), dialog (modal, centre) > field
// The dialog is hidden until shown; the others are visible.
class WndModalTest : public ::testing::Test {
public:
    void SetUp() override {
        ResetWindowGlobals();
        root = Make("root", {0, 0, 640, 480}, CWnd::kVisible);
        desktop = Make("desktop", {0, 0, 640, 480}, CWnd::kVisible);
        root->AddChild(desktop, 1);
        button = Make("button", {10, 10, 90, 40}, CWnd::kVisible | CWnd::kFocusable);
        desktop->AddChildNextID(button);
        dialog = Make("dialog", {200, 150, 440, 330}, CWnd::kModal | CWnd::kDraggable | CWnd::kFocusable);
        desktop->AddChildNextID(dialog);
        field = Make("field", {220, 200, 420, 230}, CWnd::kFocusable);
        dialog->AddChildNextID(field);
        root->SetGameRecursive(&game);
        root->SetScale(1.0f, 1.0f);
        g_pFocusWindow = button;
    }
    void TearDown() override {
        delete root;
        ResetWindowGlobals();
    }

    InputCounter* Make(const char* name, CWndRect base, uint32_t flags) {
        auto* window = new InputCounter(name);
        window->m_rcBase = base;
        window->m_nFlags = flags;
        return window;
    }

    void Click(LONG x, LONG y) {
        game.input->pointer = {x, y};
        CInputEvent press = {CInputDevice::kButtonDown, kLeftButton};
        root->DispatchEvent(&press);
        CInputEvent release = {CInputDevice::kButtonUp, kLeftButton};
        root->DispatchEvent(&release);
    }

    // The windows whose active word is set, from the root down.
    std::vector<std::string> ActiveWindows() const {
        std::vector<std::string> active;
        std::function<void(const CWnd*)> walk = [&](const CWnd* window) {
            if (window->m_bActive)
                active.push_back(NameOf(window));
            for (auto* node = window->m_pChildren->m_pHead; node; node = node->m_pNext)
                walk(static_cast<const CWnd*>(node->m_data));
        };
        walk(root);
        return active;
    }

    FakeGame game;
    CWnd* root = nullptr;
    InputCounter* desktop = nullptr;
    InputCounter* button = nullptr;
    InputCounter* dialog = nullptr;
    InputCounter* field = nullptr;
};

TEST_F(WndModalTest, AModalDialogTakesTheMouseButNotTheKeysAndGivesTheFocusBack) {
    dialog->Show();
    EXPECT_EQ(g_nModalCount, 1u);
    EXPECT_EQ(g_pCurrentModalWindow, dialog);
    EXPECT_EQ(dialog->m_pSavedFocus, button);
    EXPECT_EQ(desktop->m_pChildren->m_pHead->m_data, dialog) << "brought to the front";
    EXPECT_TRUE(field->m_nFlags & CWnd::kVisible) << "shown with its children";
    EXPECT_EQ(game.pointerShapes, std::vector<int>{0});

    Click(50, 20);  // the button, outside the dialog
    EXPECT_EQ(button->mouseEvents, 0);
    EXPECT_EQ(desktop->mouseEvents, 0);
    EXPECT_EQ(g_pFocusWindow, button);

    CInputEvent key = {CInputDevice::kKeyDown, 30};
    root->DispatchEvent(&key);
    EXPECT_EQ(button->keyEvents, 1) << "keys still go to the focus window";

    Click(300, 210);  // the field inside the dialog
    EXPECT_EQ(field->mouseEvents, 2);
    EXPECT_EQ(g_pFocusWindow, field);

    dialog->Hide();
    EXPECT_EQ(g_nModalCount, 0u);
    EXPECT_EQ(g_pCurrentModalWindow, nullptr);
    EXPECT_EQ(g_pFocusWindow, button) << "the focus of the moment the dialog was shown";
    EXPECT_FALSE(field->m_nFlags & CWnd::kVisible);
    Click(50, 20);
    EXPECT_EQ(button->mouseEvents, 2) << "the mouse is free again";
}

TEST_F(WndModalTest, ShowingLeavesExactlyTheModalSubtreeActive) {
    dialog->Show();
    EXPECT_EQ(ActiveWindows(), (std::vector<std::string>{"dialog", "field"}));
}

TEST_F(WndModalTest, HidingTheInnerOfTwoModalWindowsHandsTheModalStateToItsParent) {
    auto* question = Make("question", {250, 200, 390, 280}, CWnd::kModal);
    dialog->AddChildNextID(question);
    dialog->Show();
    question->Show();
    EXPECT_EQ(g_nModalCount, 2u);
    EXPECT_EQ(g_pCurrentModalWindow, question);
    EXPECT_EQ(ActiveWindows(), std::vector<std::string>{"question"});

    question->Hide();
    EXPECT_EQ(g_nModalCount, 1u);
    EXPECT_EQ(g_pCurrentModalWindow, dialog);
    EXPECT_EQ(ActiveWindows(), (std::vector<std::string>{"dialog", "question", "field"}));
    Click(300, 210);
    EXPECT_EQ(field->mouseEvents, 2) << "the dialog takes the mouse again";
}

// Each case runs its steps on the tree and states the modal count, the current modal window
// and the focus afterwards; ASan watches for anything left pointing at a deleted window.
struct ModalCountCase {
    const char* name;
    std::function<void(WndModalTest&)> steps;
    uint32_t count;
    const char* current;
    const char* focus;

    friend void PrintTo(const ModalCountCase& c, std::ostream* out) { *out << c.name; }
};

class WndModalCountTest : public WndModalTest, public ::testing::WithParamInterface<ModalCountCase> {};

TEST_P(WndModalCountTest, CountsEachOpenModalWindowOnce) {
    const ModalCountCase& c = GetParam();
    c.steps(*this);
    EXPECT_EQ(g_nModalCount, c.count);
    EXPECT_EQ(NameOf(g_pCurrentModalWindow), c.current);
    EXPECT_EQ(NameOf(g_pFocusWindow), c.focus);
}

const ModalCountCase kModalCountCases[] = {
    {"ShowTwice",
     [](WndModalTest& t) {
         t.dialog->Show();
         g_pFocusWindow = t.field;
         t.dialog->Show();
     },
     1, "dialog", "field"},
    {"ShowTwiceHideOnce",
     [](WndModalTest& t) {
         t.dialog->Show();
         t.dialog->Show();
         t.dialog->Hide();
     },
     0, "(none)", "button"},
    {"HideTwice",
     [](WndModalTest& t) {
         auto* outer = t.Make("outer", {}, CWnd::kModal);
         t.desktop->AddChildNextID(outer);
         outer->Show();
         t.dialog->Show();
         g_pFocusWindow = t.field;
         t.dialog->Hide();
         g_pFocusWindow = t.field;
         t.dialog->Hide();
     },
     1, "desktop", "field"},
    {"DestroyAHiddenBoxWhileAnotherIsOpen",
     [](WndModalTest& t) {
         auto* outer = t.Make("outer", {}, CWnd::kModal);
         t.desktop->AddChildNextID(outer);
         outer->Show();
         t.dialog->Destroy();
     },
     1, "outer", "button"},
    {"DestroyAVisibleBox",
     [](WndModalTest& t) {
         t.dialog->Show();
         g_pFocusWindow = t.field;
         t.dialog->Destroy();
     },
     0, "(none)", "button"},
    {"DestroyTheFocusedWindowInsideTheBox",
     [](WndModalTest& t) {
         t.dialog->Show();
         g_pFocusWindow = t.field;
         t.field->Destroy();
     },
     1, "dialog", "(none)"},
    {"DestroyTheSavedFocusThenHide",
     [](WndModalTest& t) {
         t.dialog->Show();
         t.button->Destroy();
         t.dialog->Hide();
     },
     0, "(none)", "(none)"},
    {"DestroyTheCapturedWindow",
     [](WndModalTest& t) {
         t.dialog->Show();
         g_pCaptureWindow = t.dialog;
         t.dialog->Destroy();
         EXPECT_EQ(g_pCaptureWindow, nullptr);
     },
     0, "(none)", "button"},
    {"DeleteTheDesktopsChildren",
     [](WndModalTest& t) {
         t.dialog->Show();
         t.desktop->DeleteChildren();
     },
     0, "(none)", "(none)"},
    {"DeleteTheWholeTree",
     [](WndModalTest& t) {
         auto* question = t.Make("question", {}, CWnd::kModal);
         t.dialog->AddChildNextID(question);
         t.dialog->Show();
         question->Show();
         delete t.root;
         t.root = nullptr;
     },
     0, "(none)", "(none)"},
};

INSTANTIATE_TEST_SUITE_P(Steps, WndModalCountTest, ::testing::ValuesIn(kModalCountCases),
                         [](const ::testing::TestParamInfo<ModalCountCase>& info) { return info.param.name; });

}  // namespace
