// Dialogs built from GUI scripts: the dialog's geometry and name, one child per further block
// created by class name, and hostile scripts that must build nothing but windows.
#include "engine/gui/Dlg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "engine/graphics/GraphicsClasses.h"
#include "engine/gui/GuiClasses.h"
#include "engine/sound/SoundClasses.h"
#include "tests/support/GuiTestGame.h"
#include "tests/support/TempDir.h"

// A window class of the test's own, created by name from the scripts, that counts its
// OnCreate calls.
class CScriptedProbe : public CWnd {
    DECLARE_RUNTIME_CLASS(CScriptedProbe)

public:
    void OnCreate() override {
        ++created;
        gameWhenCreated = m_pGame;
        screenWhenCreated = m_rcScreen;
    }

    int created = 0;
    CBaseGame* gameWhenCreated = nullptr;
    CWndRect screenWhenCreated = {};
};

IMPLEMENT_RUNTIME_CLASS(CScriptedProbe, CWnd)

namespace {

const std::string kHead = "# TOLP Software Value Script\r\n\r\n";

// A dialog that counts its own OnCreate.
class CountingDlg : public CDlg {
public:
    void OnCreate() override { ++created; }
    int created = 0;
};

std::vector<CWnd*> Children(const CWnd& parent) {
    std::vector<CWnd*> children;
    for (auto* node = parent.m_pChildren->m_pHead; node; node = node->m_pNext)
        children.push_back(static_cast<CWnd*>(node->m_data));
    return children;
}

void ExpectRect(const CWndRect& actual, const CWndRect& expected) {
    EXPECT_FLOAT_EQ(actual.left, expected.left);
    EXPECT_FLOAT_EQ(actual.top, expected.top);
    EXPECT_FLOAT_EQ(actual.right, expected.right);
    EXPECT_FLOAT_EQ(actual.bottom, expected.bottom);
}

class DlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterGuiClasses();
        RegisterGraphicsClasses();
        RegisterSoundClasses();
    }
    void SetUp() override { ResetWindowGlobals(); }
    void TearDown() override { ResetWindowGlobals(); }

    FakeGame game;
};

TEST_F(DlgTest, StartsDraggableFocusableAndKeepingItsChildOrder) {
    const CDlg dialog;
    EXPECT_EQ(dialog.m_nFlags, 0x15u);
}

TEST_F(DlgTest, PlacesChildrenRelativeToTheDialogAndTruncatesTheirScreenRectangle) {
    CountingDlg dialog;
    dialog.m_pGame = &game;
    const std::string script = kHead +
                               "[Dialog]\r\nRectX = 100\r\nRectY = 50\r\nRectW = 300\r\nRectH = 200.5\r\n"
                               "Name = \"options_caption\"\r\n"
                               "[Ok]\r\nClass = \"CScriptedProbe\"\r\nID = 7.9\r\nRectX = 10.7\r\nRectY = 20\r\n"
                               "RectW = 80\r\nRectH = 24\r\nName = \"OK\"\r\n";
    ASSERT_EQ(dialog.LoadScriptText(script.c_str()), 1);

    ExpectRect(dialog.m_rcBase, {100, 50, 400, 250.5});
    ExpectRect(dialog.m_rcScreen, {100, 50, 400, 250});
    EXPECT_STREQ(dialog.m_sName.GetText(), "options_caption");
    EXPECT_EQ(dialog.created, 1);

    const std::vector<CWnd*> children = Children(dialog);
    ASSERT_EQ(children.size(), 1u);
    auto* child = dynamic_cast<CScriptedProbe*>(children[0]);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->m_pClass, CScriptedProbe::GetStaticClass());
    ExpectRect(child->m_rcBase, {110.7f, 70, 190.7f, 94});
    ExpectRect(child->m_rcScreen, {110, 70, 190, 94});
    EXPECT_EQ(child->m_nID, 7);
    EXPECT_EQ(dialog.m_nLastChildID, 7);
    EXPECT_STREQ(child->m_sName.GetText(), "OK");
    EXPECT_EQ(child->m_pParent, &dialog);
    EXPECT_EQ(child->m_nFlags, 0u) << "the flags its constructor set";
    // OnCreate runs once the child has its application and rectangles.
    EXPECT_EQ(child->created, 1);
    EXPECT_EQ(child->gameWhenCreated, &game);
    ExpectRect(child->screenWhenCreated, {110, 70, 190, 94});

    // A scripted child is linked like any other, so Destroy takes it out of the list.
    child->Destroy();
    EXPECT_TRUE(Children(dialog).empty());
}

TEST_F(DlgTest, KeysMissingFromTheDialogBlockTakeTheirDefaults) {
    CountingDlg dialog;
    const std::string script = kHead + "[Only]\r\n";
    ASSERT_EQ(dialog.LoadScriptText(script.c_str()), 1);
    ExpectRect(dialog.m_rcBase, {0, 0, 0, 0});
    EXPECT_STREQ(dialog.m_sName.GetText(), "<unnamed>");
    EXPECT_TRUE(Children(dialog).empty());
    EXPECT_EQ(dialog.created, 1) << "OnCreate runs without children too";
}

TEST_F(DlgTest, KeepsTheFileOrderWithTheFirstChildBlockAtTheHead) {
    CDlg dialog;
    const std::string script = kHead + "[D]\r\n" +
                               "[A]\r\nClass = \"CScriptedProbe\"\r\nID = 3\r\nName = \"first\"\r\n"
                               "[B]\r\nClass = \"CWnd\"\r\nID = 0\r\nName = \"second\"\r\n"
                               "[C]\r\nClass = \"CScriptedProbe\"\r\nName = \"no id\"\r\n"
                               "[E]\r\nClass = \"CDlg\"\r\nID = 1\r\n";
    ASSERT_EQ(dialog.LoadScriptText(script.c_str()), 1);
    const std::vector<CWnd*> children = Children(dialog);
    ASSERT_EQ(children.size(), 3u) << "the block without an ID is dropped";
    EXPECT_STREQ(children[0]->m_sName.GetText(), "first");
    EXPECT_STREQ(children[1]->m_sName.GetText(), "second");
    EXPECT_EQ(children[1]->m_nID, 0);
    EXPECT_STREQ(children[2]->m_sName.GetText(), "<unnamed>");
    EXPECT_EQ(children[2]->m_nFlags, 0x15u);
    EXPECT_EQ(dialog.m_nLastChildID, 1);
}

TEST_F(DlgTest, LoadsAScriptFileAndRefusesAFileItCannotReadOrWithoutBlocks) {
    TempDir dir;
    const std::string path = dir.File("menu.vsc");
    const std::string script = kHead + "[Menu]\r\nRectX = 5\r\n[Button]\r\nClass = \"CWnd\"\r\nID = 2\r\n";
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(script.data(), 1, script.size(), file);
    fclose(file);

    CDlg loaded;
    EXPECT_EQ(loaded.LoadScript(path.c_str()), 1);
    EXPECT_FLOAT_EQ(loaded.m_rcBase.left, 5.0f);
    EXPECT_EQ(Children(loaded).size(), 1u);

    CountingDlg unreadable;
    EXPECT_EQ(unreadable.LoadScript(dir.File("no/such/folder/menu.vsc").c_str()), 0);
    EXPECT_EQ(unreadable.created, 0);

    const std::string empty = dir.File("empty.vsc");
    file = fopen(empty.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(kHead.data(), 1, kHead.size(), file);
    fclose(file);
    CountingDlg blockless;
    EXPECT_EQ(blockless.LoadScript(empty.c_str()), 0);
    EXPECT_EQ(blockless.created, 0);
}

// Scripts from outside: each builds only windows, with saturated integers, and the children
// it states.
struct HostileScript {
    const char* name;
    std::string text;
    int loaded;
    std::vector<int> childIds;

    friend void PrintTo(const HostileScript& script, std::ostream* out) { *out << script.name; }
};

class DlgHostileScriptTest : public DlgTest, public ::testing::WithParamInterface<HostileScript> {};

TEST_P(DlgHostileScriptTest, BuildsOnlyWindowsAndNeverCrashes) {
    const HostileScript& c = GetParam();
    CDlg dialog;
    EXPECT_EQ(dialog.LoadScriptText(c.text.c_str()), c.loaded);
    std::vector<int> ids;
    for (CWnd* child : Children(dialog)) {
        ids.push_back(child->m_nID);
        EXPECT_NE(dynamic_cast<CWnd*>(static_cast<CObject*>(child)), nullptr);
        // The screen rectangle holds whole numbers within int's range.
        for (float edge : {child->m_rcScreen.left, child->m_rcScreen.top, child->m_rcScreen.right,
                           child->m_rcScreen.bottom}) {
            EXPECT_GE(edge, -2147483648.0f);
            EXPECT_LE(edge, 2147483648.0f);
        }
    }
    EXPECT_EQ(ids, c.childIds);
}

std::string Child(const std::string& cls, const std::string& keys) {
    static int block = 0;
    return "[Child" + std::to_string(++block) + "]\r\nClass = \"" + cls + "\"\r\n" + keys;
}

const HostileScript kHostileScripts[] = {
    {"NotAWindowClass", kHead + "[D]\r\n" + Child("CGfx", "ID = 1\r\n") + Child("CWnd", "ID = 2\r\n"), 1, {2}},
    {"AbstractClass", kHead + "[D]\r\n" + Child("CSound", "ID = 1\r\n") + Child("CObject", "ID = 3\r\n"), 1, {}},
    {"WrongCase", kHead + "[D]\r\n" + Child("cwnd", "ID = 1\r\n"), 1, {}},
    {"UnknownClass", kHead + "[D]\r\n" + Child("CNoSuchWindow", "ID = 1\r\n") + Child("", "ID = 2\r\n"), 1, {}},
    {"NanId", kHead + "[D]\r\n" + Child("CWnd", "ID = nan\r\n") + Child("CWnd", "ID = 4\r\n"), 1, {4}},
    {"HugeAndNegativeIds",
     kHead + "[D]\r\n" + Child("CWnd", "ID = 1e30\r\n") + Child("CWnd", "ID = -1\r\n") +
         Child("CWnd", "ID = -0.5\r\n"),
     1, {2147483647}},
    {"HugeRectangles",
     kHead + "[D]\r\nRectX = 3e38\r\nRectW = 3e38\r\n" +
         Child("CWnd", "ID = 1\r\nRectX = 1e39\r\nRectY = -1e39\r\nRectW = nan\r\nRectH = inf\r\n"),
     1, {1}},
    {"NegativeRectangles", kHead + "[D]\r\nRectX = -50\r\nRectW = -10\r\n" + Child("CWnd", "ID = 1\r\nRectX = -9\r\n"),
     1, {1}},
    {"NoBlock", kHead, 0, {}},
    {"Nothing", "", 0, {}},
    {"BinaryJunk", "\x01\xff\xfe=\"\"\r\n\x7f ]] garbage\r\n[D]\r\n[E]\r\nClass=\"CWnd\"\r\nID=5", 1, {5}},
    // A stray '[' on the line before a block opens a second block over the same body.
    {"UnbalancedBrackets", kHead + "[[D]\r\n]\r\n[\r\n" + Child("CWnd", "ID = 6\r\n") + "[", 1, {6, 6}},
};

INSTANTIATE_TEST_SUITE_P(Scripts, DlgHostileScriptTest, ::testing::ValuesIn(kHostileScripts),
                         [](const ::testing::TestParamInfo<HostileScript>& info) { return info.param.name; });

}  // namespace
