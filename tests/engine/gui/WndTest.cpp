#include "engine/gui/Wnd.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/frame/BaseGame.h"
#include "engine/platform/InputDevice.h"
#include "tests/support/GuiTestGame.h"

// Found by argument lookup, so global like the rectangle.
static bool operator==(const CWndRect& a, const CWndRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const CWndRect& r) {
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

constexpr int kTabKey = 15;
constexpr int kLeftButton = 0;
constexpr int kRightButton = 1;

// Logs its virtual operations into a trace shared by the whole tree, as "<name> <operation>".
class RecordingWnd : public CWnd {
public:
    RecordingWnd(std::vector<std::string>& trace, const char* name) : m_trace(trace) {
        SetName(CDynString(name, 0));
    }
    ~RecordingWnd() override { Log("deleted"); }

    int Update(double dt) override {
        Log("Update");
        updatedWith = dt;
        return CWnd::Update(dt) ? updateResult : 0;
    }
    int Draw(CBaseGame* game) override {
        Log("Draw");
        drawnFor = game;
        return CWnd::Draw(game);
    }
    void OnScale(float sx, float sy) override {
        Log("OnScale");
        scaledBy = {sx, sy};
        screenWhenScaled = m_rcScreen;
    }
    void OnMouse(CInputEvent* event) override {
        Log("OnMouse " + std::to_string(event->m_nType));
        received = event;
        focusWhenReceived = g_pFocusWindow;
    }
    void OnKey(CInputEvent* event) override {
        Log("OnKey " + std::to_string(event->m_nType));
        received = event;
        focusWhenReceived = g_pFocusWindow;
    }

    int updateResult = 1;
    double updatedWith = -1.0;
    CBaseGame* drawnFor = nullptr;
    std::pair<float, float> scaledBy = {0.0f, 0.0f};
    CWndRect screenWhenScaled = {};
    CInputEvent* received = nullptr;
    CWnd* focusWhenReceived = nullptr;

private:
    void Log(const std::string& operation) { m_trace.push_back(std::string(m_sName.GetText()) + " " + operation); }

    std::vector<std::string>& m_trace;
};

CWndRect Scaled(const CWndRect& r, float sx, float sy) {
    return {r.left * sx, r.top * sy, r.right * sx, r.bottom * sy};
}

CWndRect Shifted(const CWndRect& r, float dx, float dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

std::string NameOf(const CWnd* window) {
    return window ? window->m_sName.GetText() : "(none)";
}

// The children's names from the head; fails the test when the backward links disagree.
std::vector<std::string> ChildNames(const CWnd& parent) {
    std::vector<std::string> forward;
    for (auto* node = parent.m_pChildren->m_pHead; node; node = node->m_pNext)
        forward.push_back(NameOf(static_cast<CWnd*>(node->m_data)));
    std::vector<std::string> backward;
    for (auto* node = parent.m_pChildren->m_pTail; node; node = node->m_pPrev)
        backward.insert(backward.begin(), NameOf(static_cast<CWnd*>(node->m_data)));
    EXPECT_EQ(forward, backward) << "the list's links disagree";
    EXPECT_EQ(parent.m_pChildren->m_nCount, static_cast<int32_t>(forward.size()));
    return forward;
}

class WndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWindowGlobals();
        root.SetName(CDynString("root", 0));
        root.m_rcBase = kScreen;
        root.m_nFlags = CWnd::kVisible;
    }
    void TearDown() override { ResetWindowGlobals(); }

    RecordingWnd* Add(CWnd& parent, const char* name, CWndRect base = {}, uint32_t flags = CWnd::kVisible) {
        auto* child = new RecordingWnd(trace, name);
        child->m_rcBase = base;
        child->m_nFlags = flags;
        parent.AddChildNextID(child);
        return child;
    }

    // What the application does once the interface is built or the display mode changed.
    void BindAndScale(float sx = 1.0f, float sy = 1.0f) {
        root.SetGameRecursive(&game);
        game.SetGuiScale(sx, sy);
        root.SetScale(sx, sy);
    }

    void PointAt(LONG x, LONG y) { game.input->pointer = {x, y}; }

    static constexpr CWndRect kScreen = {0.0f, 0.0f, 640.0f, 480.0f};

    std::vector<std::string> trace;
    FakeGame game;
    CWnd root;
};

// Construction and destruction

TEST_F(WndTest, ANewWindowIsNotHitUntilShown) {
    auto* window = new CWnd;
    window->m_rcBase = {100.0f, 100.0f, 200.0f, 200.0f};
    root.AddChildNextID(window);
    BindAndScale();
    PointAt(150, 150);
    EXPECT_EQ(root.WindowFromPoint(), &root) << "hidden";
    window->m_nFlags |= CWnd::kVisible;
    EXPECT_EQ(root.WindowFromPoint(), window);
}

TEST_F(WndTest, ANewWindowHasNoChildrenAndPassesUpdatesToTheOnesItGets) {
    CWnd window;
    EXPECT_TRUE(ChildNames(window).empty());
    EXPECT_EQ(window.GetChildByID(0), nullptr);
    EXPECT_EQ(window.Update(0.5), 1);
    RecordingWnd* first = Add(window, "first");
    EXPECT_EQ(first->m_nID, 1) << "ids count from 1";
    EXPECT_EQ(first->m_pParent, &window);
    EXPECT_EQ(window.Update(0.5), 1);
    EXPECT_EQ(trace, std::vector<std::string>{"first Update"}) << "enabled";
}

TEST_F(WndTest, DestructorDeletesTheSubtreeEachChildAfterItsOwnChildren) {
    auto* dialog = new RecordingWnd(trace, "dialog");
    RecordingWnd* list = Add(*dialog, "list");
    Add(*list, "row");
    Add(*dialog, "button");
    delete dialog;
    const std::vector<std::string> expected = {"dialog deleted", "row deleted", "list deleted", "button deleted"};
    EXPECT_EQ(trace, expected);
}

TEST_F(WndTest, DestructorClearsOnlyTheGlobalsPointingAtTheDyingWindow) {
    struct Case {
        const char* name;
        CWnd** global;
    };
    const Case cases[] = {
        {"focus", &g_pFocusWindow},
        {"capture", &g_pCaptureWindow},
        {"current modal", &g_pCurrentModalWindow},
    };
    CWnd survivor;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_pFocusWindow = g_pCaptureWindow = g_pCurrentModalWindow = &survivor;
        auto* dying = new CWnd;
        *c.global = dying;
        delete dying;
        for (CWnd** other : {&g_pFocusWindow, &g_pCaptureWindow, &g_pCurrentModalWindow})
            EXPECT_EQ(*other, other == c.global ? nullptr : &survivor);
    }
}

TEST_F(WndTest, DeletingAWindowClearsGlobalsPointingIntoItsSubtree) {
    auto* dialog = new CWnd;
    RecordingWnd* edit = Add(*dialog, "edit");
    RecordingWnd* inner = Add(*edit, "inner");
    g_pFocusWindow = inner;
    g_pCaptureWindow = edit;
    g_pCurrentModalWindow = dialog;
    delete dialog;
    EXPECT_EQ(g_pFocusWindow, nullptr);
    EXPECT_EQ(g_pCaptureWindow, nullptr);
    EXPECT_EQ(g_pCurrentModalWindow, nullptr);
}

// Tree and naming

TEST_F(WndTest, AddChildLinksAtTheTailAndAddChildNextIdCountsOnFromTheLastId) {
    struct Step {
        const char* name;
        int id;  // 0: AddChildNextID
        int expectedId;
    };
    const Step steps[] = {{"a", 7, 7}, {"b", 0, 8}, {"c", 0, 9}, {"d", 3, 3}, {"e", 0, 4}};
    std::vector<std::string> expectedOrder;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        auto* child = new RecordingWnd(trace, step.name);
        if (step.id)
            root.AddChild(child, step.id);
        else
            root.AddChildNextID(child);
        expectedOrder.push_back(step.name);
        EXPECT_EQ(child->m_pParent, &root);
        EXPECT_EQ(child->m_nID, step.expectedId);
        EXPECT_EQ(root.m_nLastChildID, step.expectedId);
        EXPECT_EQ(child->m_Position.pList, root.m_pChildren);
        EXPECT_EQ(child->m_Position.pNode, root.m_pChildren->m_pTail);
        EXPECT_EQ(child->m_Position.pNode->m_data, child);
        EXPECT_EQ(ChildNames(root), expectedOrder);
    }
}

TEST_F(WndTest, GetChildByIdFindsTheFirstDirectChildFromTheHead) {
    auto* first = new RecordingWnd(trace, "first");
    auto* other = new RecordingWnd(trace, "other");
    auto* second = new RecordingWnd(trace, "second");
    root.AddChild(first, 5);
    root.AddChild(other, 7);
    root.AddChild(second, 5);
    first->AddChild(new RecordingWnd(trace, "grandchild"), 9);

    EXPECT_EQ(root.GetChildByID(5), first);
    EXPECT_EQ(root.GetChildByID(7), other);
    EXPECT_EQ(root.GetChildByID(9), nullptr);
    EXPECT_EQ(root.GetChildByID(0), nullptr);
    EXPECT_EQ(CWnd().GetChildByID(0), nullptr);
}

TEST_F(WndTest, SetGameRecursiveBindsExactlyTheSubtree) {
    RecordingWnd* dialog = Add(root, "dialog");
    RecordingWnd* button = Add(*dialog, "button");
    RecordingWnd* label = Add(*button, "label");
    RecordingWnd* sibling = Add(root, "sibling");

    root.SetGameRecursive(&game);
    for (CWnd* window : std::vector<CWnd*>{&root, dialog, button, label, sibling})
        EXPECT_EQ(window->m_pGame, &game) << NameOf(window);

    FakeGame other;
    dialog->SetGameRecursive(&other);
    EXPECT_EQ(root.m_pGame, &game);
    EXPECT_EQ(sibling->m_pGame, &game);
    EXPECT_EQ(dialog->m_pGame, &other);
    EXPECT_EQ(button->m_pGame, &other);
    EXPECT_EQ(label->m_pGame, &other);
}

TEST_F(WndTest, SetNameCopiesTheText) {
    CWnd window;
    CDynString name("IDS_OK", 0);
    window.SetName(name);
    name = "changed";
    EXPECT_STREQ(window.m_sName.GetText(), "IDS_OK");
}

TEST_F(WndTest, DeleteChildrenDeletesGrandchildrenFirstAndLeavesAnEmptyUsableList) {
    RecordingWnd* list = Add(root, "list");
    Add(*list, "row");
    Add(root, "button");

    root.DeleteChildren();
    const std::vector<std::string> expected = {"row deleted", "list deleted", "button deleted"};
    EXPECT_EQ(trace, expected);
    EXPECT_TRUE(ChildNames(root).empty());
    EXPECT_EQ(root.m_pChildren->m_pTail, nullptr);

    Add(root, "again");
    EXPECT_EQ(ChildNames(root), std::vector<std::string>{"again"});
}

TEST_F(WndTest, BringChildToFrontMovesTheChildToTheHeadUnlessHeldBack) {
    struct Case {
        const char* name;
        uint32_t parentFlags;
        int parentEnabled;
        const char* child;  // null: no child given
        uint32_t childFlags;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"tail child", 0, 1, "c", 0, {"c", "a", "b"}},
        {"middle child", 0, 1, "b", 0, {"b", "a", "c"}},
        {"head child", 0, 1, "a", 0, {"a", "b", "c"}},
        {"parent keeps its order", CWnd::kKeepChildOrder, 1, "c", 0, {"a", "b", "c"}},
        {"modal child of an ordered parent", CWnd::kKeepChildOrder, 1, "c", CWnd::kModal, {"c", "a", "b"}},
        {"disabled parent", 0, 0, "c", CWnd::kModal, {"a", "b", "c"}},
        {"no child", 0, 1, nullptr, 0, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWnd parent;
        parent.m_nFlags = c.parentFlags;
        parent.m_bEnabled = c.parentEnabled;
        std::map<std::string, RecordingWnd*> children;
        for (const char* name : {"a", "b", "c"})
            children[name] = Add(parent, name);
        RecordingWnd* child = c.child ? children[c.child] : nullptr;
        if (child)
            child->m_nFlags |= c.childFlags;

        parent.BringChildToFront(child);
        EXPECT_EQ(ChildNames(parent), c.expected);
        for (const auto& [name, window] : children) {
            EXPECT_EQ(window->m_Position.pList, parent.m_pChildren) << name;
            ASSERT_NE(window->m_Position.pNode, nullptr) << name;
            EXPECT_EQ(window->m_Position.pNode->m_data, window) << name;
        }
    }
}

TEST_F(WndTest, BringToFrontRaisesTheWholePathToTheRoot) {
    struct Case {
        const char* name;
        uint32_t rootFlags;
        std::vector<std::string> expectedRoot;
    };
    const Case cases[] = {
        {"free order", 0, {"right", "left"}},
        {"root keeps its order", CWnd::kKeepChildOrder, {"left", "right"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWnd top;
        top.m_nFlags = c.rootFlags;
        Add(top, "left");
        RecordingWnd* right = Add(top, "right");
        Add(*right, "first");
        RecordingWnd* second = Add(*right, "second");

        second->BringToFront();
        EXPECT_EQ(ChildNames(top), c.expectedRoot);
        EXPECT_EQ(ChildNames(*right), (std::vector<std::string>{"second", "first"}));
    }
}

// Frame operations

TEST_F(WndTest, MoveShiftsTheBaseRectangleOfTheSubtreeOnly) {
    const CWndRect dialogRect = {100.0f, 100.0f, 300.0f, 200.0f};
    const CWndRect buttonRect = {120.0f, 150.0f, 180.0f, 170.0f};
    RecordingWnd* dialog = Add(root, "dialog", dialogRect);
    RecordingWnd* button = Add(*dialog, "button", buttonRect);
    RecordingWnd* sibling = Add(root, "sibling", buttonRect);
    BindAndScale(2.0f, 2.0f);

    dialog->Move(3.0f, -2.0f);
    EXPECT_EQ(dialog->m_rcBase, Shifted(dialogRect, 3.0f, -2.0f));
    EXPECT_EQ(button->m_rcBase, Shifted(buttonRect, 3.0f, -2.0f));
    EXPECT_EQ(sibling->m_rcBase, buttonRect);
    EXPECT_EQ(root.m_rcBase, kScreen);
    // The screen follows with the next SetScale.
    EXPECT_EQ(dialog->m_rcScreen, Scaled(dialogRect, 2.0f, 2.0f));
    EXPECT_EQ(button->m_rcScreen, Scaled(buttonRect, 2.0f, 2.0f));
}

TEST_F(WndTest, UpdateWalksFromTheHeadAndStopsAtTheFirstChildAskingToQuit) {
    struct Case {
        const char* name;
        const char* quitting;  // null: none
        std::vector<std::string> expectedTrace;
        int expectedResult;
    };
    const Case cases[] = {
        {"none quits", nullptr, {"a Update", "b Update", "c Update"}, 1},
        {"head quits", "a", {"a Update"}, 0},
        {"middle quits", "b", {"a Update", "b Update"}, 0},
        {"tail quits", "c", {"a Update", "b Update", "c Update"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace.clear();
        CWnd parent;
        for (const char* name : {"a", "b", "c"}) {
            RecordingWnd* child = Add(parent, name);
            if (c.quitting && std::string(name) == c.quitting)
                child->updateResult = 0;
        }
        EXPECT_EQ(parent.Update(0.25), c.expectedResult);
        EXPECT_EQ(trace, c.expectedTrace);
        EXPECT_EQ(static_cast<RecordingWnd*>(parent.GetChildByID(1))->updatedWith, 0.25);
        trace.clear();
    }
}

TEST_F(WndTest, UpdatePassesAQuitUpFromDeepInTheTreeAndSkipsDisabledSubtrees) {
    RecordingWnd* dialog = Add(root, "dialog");
    Add(*dialog, "game view")->updateResult = 0;
    Add(root, "after");
    EXPECT_EQ(root.Update(0.01), 0);
    EXPECT_EQ(trace, (std::vector<std::string>{"dialog Update", "game view Update"}));

    trace.clear();
    dialog->m_bEnabled = 0;
    EXPECT_EQ(root.Update(0.01), 1);
    EXPECT_EQ(trace, (std::vector<std::string>{"dialog Update", "after Update"}));

    trace.clear();
    root.m_bEnabled = 0;
    EXPECT_EQ(root.Update(0.01), 1);
    EXPECT_TRUE(trace.empty());
}

TEST_F(WndTest, DrawPaintsVisibleChildrenFromTheTailSoTheHeadEndsOnTop) {
    Add(root, "front");
    RecordingWnd* hidden = Add(root, "hidden", {}, 0);
    Add(*hidden, "inside hidden");
    RecordingWnd* disabled = Add(root, "disabled");
    disabled->m_bEnabled = 0;
    Add(*disabled, "inside disabled");
    RecordingWnd* back = Add(root, "back");

    EXPECT_EQ(root.Draw(&game), 1);
    EXPECT_EQ(trace, (std::vector<std::string>{"back Draw", "disabled Draw", "front Draw"}));
    EXPECT_EQ(back->drawnFor, &game);

    trace.clear();
    root.m_bEnabled = 0;
    EXPECT_EQ(root.Draw(&game), 1);
    EXPECT_TRUE(trace.empty());
}

TEST_F(WndTest, HitTestIncludesTheEdgesOfTheScreenRectangle) {
    struct Case {
        const char* name;
        int x;
        int y;
        int expected;
    };
    const Case cases[] = {
        {"centre", 60, 45, CWnd::kHitInside},
        {"top left corner", 11, 20, CWnd::kHitInside},
        {"bottom right corner", 110, 70, CWnd::kHitInside},
        {"left of the fractional edge", 10, 45, CWnd::kHitOutside},
        {"right of the right edge", 111, 45, CWnd::kHitOutside},
        {"above", 60, 19, CWnd::kHitOutside},
        {"below", 60, 71, CWnd::kHitOutside},
        {"negative", -60, -45, CWnd::kHitOutside},
    };
    CWnd window;
    window.m_rcScreen = {10.5f, 20.0f, 110.0f, 70.0f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(window.HitTest(c.x, c.y), c.expected);
    }
}

TEST_F(WndTest, SetScaleMapsTheSubtreeToTheScreenBeforeEachOnScale) {
    RecordingWnd top(trace, "top");
    top.m_rcBase = {0.0f, 0.0f, 320.0f, 240.0f};
    RecordingWnd* dialog = Add(top, "dialog", {10.0f, 20.0f, 110.0f, 70.0f});
    RecordingWnd* button = Add(*dialog, "button", {15.0f, 25.0f, 35.0f, 30.0f});
    RecordingWnd* after = Add(top, "after", {1.5f, 2.5f, 3.5f, 4.5f});

    top.SetScale(2.0f, 3.0f);
    EXPECT_EQ(trace, (std::vector<std::string>{"top OnScale", "dialog OnScale", "button OnScale", "after OnScale"}));
    for (RecordingWnd* window : {&top, dialog, button, after}) {
        SCOPED_TRACE(NameOf(window));
        EXPECT_EQ(window->m_rcScreen, Scaled(window->m_rcBase, 2.0f, 3.0f));
        EXPECT_EQ(window->screenWhenScaled, window->m_rcScreen);
        EXPECT_EQ(window->scaledBy, std::make_pair(2.0f, 3.0f));
    }
}

TEST_F(WndTest, SetScaleOfADisabledWindowLeavesItsChildrenAlone) {
    RecordingWnd* dialog = Add(root, "dialog", {10.0f, 20.0f, 110.0f, 70.0f});
    RecordingWnd* button = Add(*dialog, "button", {15.0f, 25.0f, 35.0f, 30.0f});
    dialog->m_bEnabled = 0;

    root.SetScale(2.0f, 2.0f);
    EXPECT_EQ(trace, std::vector<std::string>{"dialog OnScale"});
    EXPECT_EQ(dialog->m_rcScreen, Scaled(dialog->m_rcBase, 2.0f, 2.0f));
    EXPECT_EQ(button->m_rcScreen, CWndRect{});
}

// Focus

class WndFocusTest : public WndTest {
protected:
    void SetUp() override {
        WndTest::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* name : {"A", "B", "C"})
            windows[name] = Add(root, name, {}, CWnd::kVisible | CWnd::kFocusable);
        windows["A1"] = Add(*windows["A"], "A1", {}, CWnd::kVisible | CWnd::kFocusable);
        windows["outsider"] = &outsider;
    }

    // Windows named in `names` (one letter each) lose the flag.
    void Clear(const char* names, uint32_t flag) {
        for (const char* name = names; name && *name; ++name)
            windows[std::string(1, *name)]->m_nFlags &= ~flag;
    }

    CWnd* Find(const char* name) { return name ? windows.at(name) : nullptr; }

    CWnd outsider;
    std::map<std::string, CWnd*> windows;
};

TEST_F(WndFocusTest, FocusFirstTakesTheFirstVisibleFocusableDirectChild) {
    struct Case {
        const char* name;
        const char* hidden;
        const char* unfocusable;
        const char* expected;
    };
    const Case cases[] = {
        {"head qualifies", "", "", "A"},
        {"hidden head", "A", "", "B"},
        {"unfocusable head", "", "A", "B"},
        {"only the tail", "A", "B", "C"},
        {"none qualifies, grandchild ignored", "BC", "A", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"A", "B", "C"})
            windows[name]->m_nFlags = CWnd::kVisible | CWnd::kFocusable;
        Clear(c.hidden, CWnd::kVisible);
        Clear(c.unfocusable, CWnd::kFocusable);
        g_pFocusWindow = &outsider;
        root.FocusFirst();
        EXPECT_EQ(NameOf(g_pFocusWindow), NameOf(Find(c.expected)));
    }
}

TEST_F(WndFocusTest, FocusFirstOfADisabledOrChildlessWindowChangesNothing) {
    g_pFocusWindow = &outsider;
    windows["B"]->FocusFirst();
    EXPECT_EQ(g_pFocusWindow, &outsider);

    root.m_bEnabled = 0;
    root.FocusFirst();
    EXPECT_EQ(g_pFocusWindow, &outsider);
}

TEST_F(WndFocusTest, FocusNextAndPrevWalkTheQualifyingChildrenWithWrapAround) {
    struct Case {
        const char* name;
        const char* hidden;
        const char* unfocusable;
        const char* focus;  // null: nothing has the focus
        bool forward;
        const char* expected;
    };
    const Case cases[] = {
        {"next steps on", "", "", "A", true, "B"},
        {"next wraps to the head", "", "", "C", true, "A"},
        {"prev steps back", "", "", "B", false, "A"},
        {"prev wraps to the tail", "", "", "A", false, "C"},
        {"next skips a hidden child", "B", "", "A", true, "C"},
        {"prev skips a hidden child", "B", "", "C", false, "A"},
        {"next skips an unfocusable child", "", "B", "A", true, "C"},
        {"next from a child that no longer qualifies", "A", "", "A", true, "B"},
        {"prev from a child that no longer qualifies", "A", "", "A", false, "C"},
        {"the current child is the only one left", "BC", "", "A", true, "A"},
        {"none qualifies any more", "ABC", "", "B", true, nullptr},
        {"no focus: next starts at the head", "", "", nullptr, true, "A"},
        {"no focus: prev starts at the head too", "", "", nullptr, false, "A"},
        {"no focus, hidden head", "A", "", nullptr, false, "B"},
        {"focus on a grandchild", "", "", "A1", true, nullptr},
        {"focus outside the tree", "", "", "outsider", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"A", "B", "C"})
            windows[name]->m_nFlags = CWnd::kVisible | CWnd::kFocusable;
        Clear(c.hidden, CWnd::kVisible);
        Clear(c.unfocusable, CWnd::kFocusable);
        g_pFocusWindow = Find(c.focus);
        if (c.forward)
            root.FocusNext();
        else
            root.FocusPrev();
        EXPECT_EQ(NameOf(g_pFocusWindow), NameOf(Find(c.expected)));
    }
}

TEST_F(WndFocusTest, FocusNextFollowsTheOrderAfterAChildWasBroughtToFront) {
    root.BringChildToFront(windows["C"]);  // C, A, B
    g_pFocusWindow = windows["B"];
    root.FocusNext();
    EXPECT_EQ(NameOf(g_pFocusWindow), "C");
    root.FocusPrev();
    EXPECT_EQ(NameOf(g_pFocusWindow), "B");
}

TEST_F(WndFocusTest, FocusNextAndPrevNeedAnEnabledWindowWithTwoChildren) {
    struct Case {
        const char* name;
        const char* parent;
        int enabled;
        CWnd* focus;
    };
    // Each focus would change if the walk ran: to null (not a child) or to the first child.
    const Case cases[] = {
        {"one child", "A", 1, &outsider},
        {"no children", "B", 1, &outsider},
        {"disabled", "root", 0, &outsider},
        {"disabled without focus", "root", 0, nullptr},
    };
    windows["root"] = &root;
    for (const Case& c : cases) {
        for (bool forward : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (forward ? ", next" : ", prev"));
            CWnd* parent = Find(c.parent);
            parent->m_bEnabled = c.enabled;
            g_pFocusWindow = c.focus;
            if (forward)
                parent->FocusNext();
            else
                parent->FocusPrev();
            EXPECT_EQ(g_pFocusWindow, c.focus);
            parent->m_bEnabled = 1;
        }
    }
}

// Hit order

class WndPointTest : public WndTest {
protected:
    void SetUp() override {
        WndTest::SetUp();
        if (HasFatalFailure())
            return;
        front = Add(root, "front", {100.0f, 100.0f, 300.0f, 300.0f});
        inner = Add(*front, "inner", {120.0f, 120.0f, 180.0f, 180.0f});
        back = Add(root, "back", {200.0f, 200.0f, 400.0f, 400.0f});
        BindAndScale();
        trace.clear();
    }

    RecordingWnd* front = nullptr;
    RecordingWnd* inner = nullptr;
    RecordingWnd* back = nullptr;
};

TEST_F(WndPointTest, WindowFromPointFindsTheDeepestFrontMostVisibleWindow) {
    struct Case {
        const char* name;
        LONG x;
        LONG y;
        const char* expected;
    };
    const Case cases[] = {
        {"overlap goes to the head", 250, 250, "front"},
        {"only the back child", 350, 350, "back"},
        {"inside a grandchild", 150, 150, "inner"},
        {"root alone", 50, 50, "root"},
        {"off every window", 700, 50, "(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PointAt(c.x, c.y);
        EXPECT_EQ(NameOf(root.WindowFromPoint()), c.expected);
    }
}

TEST_F(WndPointTest, ClickingTheBackChildBringsItOnTop) {
    PointAt(350, 350);
    CInputEvent press = {CInputDevice::kButtonDown, kLeftButton};
    root.DispatchEvent(&press);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"back", "front"}));

    PointAt(250, 250);
    EXPECT_EQ(root.WindowFromPoint(), back);
    trace.clear();
    root.Draw(&game);
    EXPECT_EQ(trace.back(), "back Draw");
}

TEST_F(WndPointTest, WindowFromPointSkipsHiddenWindowsAndTheChildrenOfDisabledOnes) {
    struct Case {
        const char* name;
        RecordingWnd* changed;
        bool hide;  // else disable
        LONG x;
        LONG y;
        const char* expected;
    };
    const Case cases[] = {
        {"hidden front child", front, true, 250, 250, "back"},
        {"hidden grandchild", inner, true, 150, 150, "front"},
        {"disabled parent answers itself", front, false, 150, 150, "front"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWnd* window = c.changed;
        if (c.hide)
            window->m_nFlags &= ~CWnd::kVisible;
        else
            window->m_bEnabled = 0;
        PointAt(c.x, c.y);
        EXPECT_EQ(NameOf(root.WindowFromPoint()), c.expected);
        window->m_nFlags |= CWnd::kVisible;
        window->m_bEnabled = 1;
    }

    root.m_nFlags = 0;
    PointAt(50, 50);
    EXPECT_EQ(root.WindowFromPoint(), nullptr);
}

TEST_F(WndPointTest, WhileAModalWindowIsOpenOnlyActiveWindowsAreFound) {
    struct Case {
        const char* name;
        uint32_t modalCount;
        bool innerActive;
        LONG x;
        LONG y;
        const char* expected;
    };
    // front stands for the modal dialog: it is active, root and back are not.
    const Case cases[] = {
        {"inside the dialog", 1, true, 250, 250, "front"},
        {"inside its active child", 1, true, 150, 150, "inner"},
        {"inside an inactive child", 1, false, 150, 150, "front"},
        {"on an inactive window", 1, true, 350, 350, "(none)"},
        {"on the inactive root", 1, true, 50, 50, "(none)"},
        {"no modal window open", 0, true, 350, 350, "back"},
    };
    front->m_bActive = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_nModalCount = c.modalCount;
        inner->m_bActive = c.innerActive ? 1 : 0;
        PointAt(c.x, c.y);
        EXPECT_EQ(NameOf(root.WindowFromPoint()), c.expected);
    }
}

TEST_F(WndPointTest, EachWindowAsksItsOwnApplicationForThePointer) {
    FakeGame other;
    back->SetGameRecursive(&other);
    other.input->pointer = {350, 350};
    PointAt(50, 50);
    EXPECT_EQ(root.WindowFromPoint(), back);

    other.input->pointer = {50, 50};
    PointAt(350, 350);
    EXPECT_EQ(root.WindowFromPoint(), &root);
}

TEST_F(WndPointTest, WindowsBoundToNoApplicationOrDeviceFindNothing) {
    PointAt(150, 150);
    FakeGame deviceless;
    delete deviceless.m_pInputDevice;
    deviceless.m_pInputDevice = nullptr;
    for (CBaseGame* game : {static_cast<CBaseGame*>(nullptr), static_cast<CBaseGame*>(&deviceless)}) {
        SCOPED_TRACE(game ? "no input device" : "no application");
        root.SetGameRecursive(game);
        EXPECT_EQ(root.WindowFromPoint(), nullptr);
    }
}

// Event routing

TEST_F(WndPointTest, TheCaptureWindowReceivesEveryEventType) {
    RecordingWnd* focus = back;
    for (int type = CInputDevice::kKeyDown; type <= CInputDevice::kWheel; ++type) {
        SCOPED_TRACE(type);
        trace.clear();
        g_pFocusWindow = focus;
        g_pCaptureWindow = inner;
        PointAt(350, 350);
        CInputEvent event = {type, kRightButton};
        root.DispatchEvent(&event);
        const char* operation = type <= CInputDevice::kCharacter ? "inner OnKey " : "inner OnMouse ";
        EXPECT_EQ(trace, std::vector<std::string>{operation + std::to_string(type)});
        EXPECT_EQ(inner->received, &event);
    }
}

TEST_F(WndPointTest, KeysGoToTheFocusWindowAndMouseEventsToTheWindowUnderThePointer) {
    g_pFocusWindow = back;
    PointAt(150, 150);
    for (int type = CInputDevice::kKeyDown; type <= CInputDevice::kWheel; ++type) {
        SCOPED_TRACE(type);
        trace.clear();
        CInputEvent event = {type, kRightButton};
        root.DispatchEvent(&event);
        RecordingWnd* target = type <= CInputDevice::kCharacter ? back : inner;
        const char* operation = type <= CInputDevice::kCharacter ? " OnKey " : " OnMouse ";
        EXPECT_EQ(trace, std::vector<std::string>{NameOf(target) + operation + std::to_string(type)});
        EXPECT_EQ(target->received, &event);
    }
}

TEST_F(WndPointTest, EventsWithoutATargetAreDropped) {
    PointAt(700, 700);
    for (int type = CInputDevice::kKeyDown; type <= CInputDevice::kWheel; ++type) {
        SCOPED_TRACE(type);
        CInputEvent event = {type, kLeftButton};
        root.DispatchEvent(&event);
    }
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(g_pFocusWindow, nullptr);
    EXPECT_TRUE(game.pointerShapes.empty());
}

TEST_F(WndPointTest, ALeftPressIsTrackedBeforeTheWindowSeesIt) {
    PointAt(350, 350);
    CInputEvent press = {CInputDevice::kButtonDown, kLeftButton};
    root.DispatchEvent(&press);
    EXPECT_EQ(back->focusWhenReceived, back);
    EXPECT_EQ(g_pFocusWindow, back);
}

TEST_F(WndPointTest, KeyUpWithTabHeldMovesTheFocusBeforeTheKeyIsDelivered) {
    struct Case {
        const char* name;
        int type;
        bool tabHeld;
        const char* expectedFocus;
    };
    const Case cases[] = {
        {"key up with tab held", CInputDevice::kKeyUp, true, "back"},
        {"key up without tab", CInputDevice::kKeyUp, false, "front"},
        {"key down with tab held", CInputDevice::kKeyDown, true, "front"},
        {"character with tab held", CInputDevice::kCharacter, true, "front"},
    };
    front->m_nFlags |= CWnd::kFocusable;
    back->m_nFlags |= CWnd::kFocusable;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace.clear();
        g_pFocusWindow = front;
        game.input->keysDown.clear();
        if (c.tabHeld)
            game.input->keysDown.insert(kTabKey);
        CInputEvent event = {c.type, kTabKey};
        root.DispatchEvent(&event);
        EXPECT_EQ(trace, std::vector<std::string>{"front OnKey " + std::to_string(c.type)});
        EXPECT_EQ(NameOf(front->focusWhenReceived), c.expectedFocus);
        EXPECT_EQ(NameOf(g_pFocusWindow), c.expectedFocus);
    }
}

TEST_F(WndTest, DispatchOnATreeWithoutAnApplicationDeliversKeysAndDropsMouseEvents) {
    RecordingWnd* edit = Add(root, "edit", {0.0f, 0.0f, 100.0f, 100.0f}, CWnd::kVisible | CWnd::kFocusable);
    Add(root, "button", {0.0f, 0.0f, 100.0f, 100.0f}, CWnd::kVisible | CWnd::kFocusable);
    root.SetScale(1.0f, 1.0f);
    trace.clear();
    g_pFocusWindow = edit;
    std::vector<std::string> expected;
    for (int type = CInputDevice::kKeyDown; type <= CInputDevice::kWheel; ++type) {
        SCOPED_TRACE(type);
        CInputEvent event = {type, kTabKey};
        root.DispatchEvent(&event);
        if (type <= CInputDevice::kCharacter)
            expected.push_back("edit OnKey " + std::to_string(type));
    }
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(g_pFocusWindow, edit);

    // A captured window still gets its mouse events; it cannot be dragged.
    edit->m_nFlags |= CWnd::kDraggable;
    g_pCaptureWindow = edit;
    CInputEvent move = {CInputDevice::kMoveX, 10};
    root.DispatchEvent(&move);
    EXPECT_EQ(trace.back(), "edit OnMouse 6");
    EXPECT_EQ(edit->m_rcBase.left, 0.0f);
}

// Mouse tracking

TEST_F(WndTest, OnlyALeftPressBringsTheWindowToFrontAndGivesItTheFocus) {
    struct Case {
        const char* name;
        CInputEvent event;
        bool tracked;
    };
    const Case cases[] = {
        {"left press", {CInputDevice::kButtonDown, kLeftButton}, true},
        {"right press", {CInputDevice::kButtonDown, kRightButton}, false},
        {"left release", {CInputDevice::kButtonUp, kLeftButton}, false},
        {"double click", {CInputDevice::kDoubleClick, kLeftButton}, false},
        {"movement of 0", {CInputDevice::kMoveX, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWnd top;
        Add(top, "left");
        RecordingWnd* right = Add(top, "right");
        Add(*right, "first");
        RecordingWnd* label = Add(*right, "label");  // neither focusable nor visible
        g_pFocusWindow = nullptr;

        CInputEvent event = c.event;
        label->TrackMouse(&event);
        EXPECT_EQ(g_pFocusWindow, c.tracked ? label : nullptr);
        EXPECT_EQ(ChildNames(top), c.tracked ? (std::vector<std::string>{"right", "left"})
                                             : (std::vector<std::string>{"left", "right"}));
        EXPECT_EQ(ChildNames(*right).front(), c.tracked ? "label" : "first");
        EXPECT_EQ(g_pCaptureWindow, nullptr);
    }
}

TEST_F(WndTest, ADraggableWindowHoldsTheCaptureFromLeftPressToLeftRelease) {
    enum Capture { kNone, kSelf, kOther };
    struct Case {
        const char* name;
        uint32_t flags;
        Capture before;
        CInputEvent event;
        Capture after;
    };
    const Case cases[] = {
        {"left press captures", CWnd::kDraggable, kNone, {CInputDevice::kButtonDown, kLeftButton}, kSelf},
        {"left press takes it from another", CWnd::kDraggable, kOther, {CInputDevice::kButtonDown, kLeftButton},
         kSelf},
        {"right press", CWnd::kDraggable, kNone, {CInputDevice::kButtonDown, kRightButton}, kNone},
        {"left release frees", CWnd::kDraggable, kSelf, {CInputDevice::kButtonUp, kLeftButton}, kNone},
        {"right release", CWnd::kDraggable, kSelf, {CInputDevice::kButtonUp, kRightButton}, kSelf},
        {"double click", CWnd::kDraggable, kSelf, {CInputDevice::kDoubleClick, kLeftButton}, kSelf},
        {"wheel", CWnd::kDraggable, kSelf, {CInputDevice::kWheel, kLeftButton}, kSelf},
        {"not draggable: press", 0, kNone, {CInputDevice::kButtonDown, kLeftButton}, kNone},
        {"not draggable: release", 0, kOther, {CInputDevice::kButtonUp, kLeftButton}, kOther},
    };
    CWnd other;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWnd window;
        window.m_nFlags = c.flags | CWnd::kVisible;
        const auto resolve = [&](Capture capture) -> CWnd* {
            return capture == kSelf ? &window : capture == kOther ? &other : nullptr;
        };
        g_pCaptureWindow = resolve(c.before);
        CInputEvent event = c.event;
        window.TrackMouse(&event);
        EXPECT_EQ(g_pCaptureWindow, resolve(c.after));
        g_pCaptureWindow = nullptr;
    }
}

class WndDragTest : public WndTest {
protected:
    void SetUp() override {
        WndTest::SetUp();
        if (HasFatalFailure())
            return;
        dialog = Add(root, "dialog", kDialogRect, CWnd::kVisible | CWnd::kDraggable);
        dialog->m_nPointerShape = 7;
        button = Add(*dialog, "button", kButtonRect);
        BindAndScale(2.0f, 2.0f);
        g_pCaptureWindow = dialog;
        game.input->leftHeld = true;
    }

    static constexpr CWndRect kDialogRect = {100.0f, 100.0f, 200.0f, 150.0f};
    static constexpr CWndRect kButtonRect = {110.0f, 120.0f, 150.0f, 140.0f};

    RecordingWnd* dialog = nullptr;
    RecordingWnd* button = nullptr;
};

TEST_F(WndDragTest, MovementDividedByTheGuiScaleMovesTheSubtreeWithThePointer) {
    struct Case {
        const char* name;
        int type;
        int pixels;
        float scaleX;
        float scaleY;
        float dx;  // in interface units
        float dy;
        float screenDx;  // in pixels: as far as the pointer went
        float screenDy;
    };
    const Case cases[] = {
        {"10 pixels right at scale 2", CInputDevice::kMoveX, 10, 2.0f, 2.0f, 5.0f, 0.0f, 10.0f, 0.0f},
        {"10 pixels down at scale 2", CInputDevice::kMoveY, 10, 2.0f, 2.0f, 0.0f, 5.0f, 0.0f, 10.0f},
        {"x uses the x scale", CInputDevice::kMoveX, -12, 4.0f, 3.0f, -3.0f, 0.0f, -12.0f, 0.0f},
        {"y uses the y scale", CInputDevice::kMoveY, -12, 4.0f, 3.0f, 0.0f, -4.0f, 0.0f, -12.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog->m_rcBase = kDialogRect;
        button->m_rcBase = kButtonRect;
        game.SetGuiScale(c.scaleX, c.scaleY);
        game.pointerShapes.clear();

        CInputEvent event = {c.type, c.pixels};
        dialog->TrackMouse(&event);
        EXPECT_EQ(dialog->m_rcBase, Shifted(kDialogRect, c.dx, c.dy));
        EXPECT_EQ(button->m_rcBase, Shifted(kButtonRect, c.dx, c.dy));
        EXPECT_EQ(dialog->m_rcScreen, Shifted(Scaled(kDialogRect, c.scaleX, c.scaleY), c.screenDx, c.screenDy));
        EXPECT_EQ(button->m_rcScreen, Shifted(Scaled(kButtonRect, c.scaleX, c.scaleY), c.screenDx, c.screenDy));
        EXPECT_EQ(game.pointerShapes, std::vector<int>{7});
    }
}

TEST_F(WndDragTest, MovementNeedsTheCaptureTheLeftButtonAndTheApplicationsConsent) {
    struct Case {
        const char* name;
        bool captured;
        bool leftHeld;
        int allowDrag;
    };
    const Case cases[] = {
        {"not captured", false, true, 1},
        {"left button up", true, false, 1},
        {"application refuses", true, true, 0},
    };
    for (const Case& c : cases) {
        for (int type : {CInputDevice::kMoveX, CInputDevice::kMoveY}) {
            SCOPED_TRACE(std::string(c.name) + ", type " + std::to_string(type));
            g_pCaptureWindow = c.captured ? dialog : nullptr;
            game.input->leftHeld = c.leftHeld;
            game.allowDrag = c.allowDrag;
            CInputEvent event = {type, 10};
            dialog->TrackMouse(&event);
            EXPECT_EQ(dialog->m_rcBase, kDialogRect);
            EXPECT_EQ(dialog->m_rcScreen, Scaled(kDialogRect, 2.0f, 2.0f));
            EXPECT_EQ(button->m_rcBase, kButtonRect);
            // An unmoved draggable window leaves the pointer shape alone.
            EXPECT_TRUE(game.pointerShapes.empty());
        }
    }
}

TEST_F(WndDragTest, PointerMovementAsksForTheWindowsPointerShapeUnlessOptedOut) {
    struct Case {
        const char* name;
        uint32_t flags;
        CInputEvent event;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"x movement", 0, {CInputDevice::kMoveX, 3}, {7}},
        {"y movement", 0, {CInputDevice::kMoveY, -3}, {7}},
        {"x movement of 0", 0, {CInputDevice::kMoveX, 0}, {7}},
        {"opted out", CWnd::kNoPointerShape, {CInputDevice::kMoveX, 3}, {}},
        {"dragged but opted out", CWnd::kDraggable | CWnd::kNoPointerShape, {CInputDevice::kMoveY, 3}, {}},
        {"press", 0, {CInputDevice::kButtonDown, kLeftButton}, {}},
        {"release", 0, {CInputDevice::kButtonUp, kLeftButton}, {}},
        {"double click", 0, {CInputDevice::kDoubleClick, kLeftButton}, {}},
        {"wheel", 0, {CInputDevice::kWheel, 120}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        game.pointerShapes.clear();
        g_pCaptureWindow = dialog;
        dialog->m_nFlags = CWnd::kVisible | c.flags;
        CInputEvent event = c.event;
        dialog->TrackMouse(&event);
        EXPECT_EQ(game.pointerShapes, c.expected);
    }
}

TEST_F(WndDragTest, DraggingThroughTheRootFollowsTheCaptureUntilRelease) {
    g_pCaptureWindow = nullptr;
    game.input->leftHeld = false;
    PointAt(210, 210);  // on the dialog, off the button
    CInputEvent press = {CInputDevice::kButtonDown, kLeftButton};
    root.DispatchEvent(&press);
    EXPECT_EQ(g_pCaptureWindow, dialog);
    EXPECT_EQ(g_pFocusWindow, dialog);

    // The pointer leaves the dialog faster than it follows; the capture keeps the events coming.
    game.input->leftHeld = true;
    PointAt(600, 450);
    CInputEvent move = {CInputDevice::kMoveX, 40};
    root.DispatchEvent(&move);
    EXPECT_EQ(dialog->m_rcBase, Shifted(kDialogRect, 20.0f, 0.0f));
    EXPECT_EQ(trace.back(), "dialog OnMouse 6");

    CInputEvent release = {CInputDevice::kButtonUp, kLeftButton};
    root.DispatchEvent(&release);
    EXPECT_EQ(g_pCaptureWindow, nullptr);

    PointAt(250, 210);
    root.DispatchEvent(&move);
    EXPECT_EQ(dialog->m_rcBase, Shifted(kDialogRect, 20.0f, 0.0f));
}

}  // namespace
