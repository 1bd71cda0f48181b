// Reading node definitions: templates cloned by name, re-use of existing children, the stray
// top-level token, the progress callback and the placement of a node by two tags.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "tests/game/app/ScripterFixture.h"
#include "tests/support/TempDir.h"

namespace {

bool Holds(const C3DObjectList* list, const C3DObject* o) {
    for (CPointerList::Node* node = list->m_pList->m_pHead; node; node = node->m_pNext) {
        if (node->m_data == o)
            return true;
    }
    return false;
}

using ScripterReadTest = ScripterTest;

TEST_F(ScripterReadTest, TemplatesAreClonedByNameAtEveryDepth) {
    const std::string text = ReadText(ScriptFixturePath("elements.fsc"));
    ASSERT_FALSE(text.empty());
    // Level, its Wheel and Crane, and the Crane's own Arm: a clone counts once.
    EXPECT_EQ(Read(text), 4);
    EXPECT_EQ(Scripter().m_bTemplateMode, 0);
    EXPECT_EQ(TakeLog(), "");
    M3DOMTree* templates = m_pWorld->m_pTemplateTree;
    M3DOMTree* instances = m_pWorld->m_pInstanceTree;
    EXPECT_EQ(templates->m_pRoot->m_pList->m_nCount, 3u);
    EXPECT_EQ(instances->m_pRoot->m_pList->m_nCount, 1u);
    EXPECT_EQ(templates->m_pOList->m_pList->m_nCount, 5u);
    EXPECT_EQ(instances->m_pOList->m_pList->m_nCount, 4u);

    const C3DObject* gearPattern = templates->m_pOList->FindByName("Gear");
    ASSERT_NE(gearPattern, nullptr);
    EXPECT_EQ(gearPattern->m_pOwner, Template("Parts"));
    EXPECT_EQ(gearPattern->m_pGfx, m_Gfx.Find(kGearModel));
    EXPECT_EQ(gearPattern->m_pShader, m_Shaders.GetShader(kGlowShader));
    EXPECT_EQ(gearPattern->m_nID, 2);
    EXPECT_EQ(gearPattern->m_bCastShadow, 0);

    // An object of a template's name, inside TEMPLATES: a clone of every field, with the
    // block's values over them.
    auto expectGearClone = [&](const M3DOMObject* owner, M3DOMTree* tree) {
        ASSERT_EQ(owner->m_pOList->m_nCount, 1u);
        const C3DObject* gear = owner->GetO(0);
        EXPECT_NE(gear, gearPattern);
        EXPECT_STREQ(gear->m_szName, "Gear");
        EXPECT_EQ(gear->m_pOwner, owner);
        EXPECT_TRUE(Holds(tree->m_pOList, gear));
        EXPECT_EQ(gear->m_pGfx, gearPattern->m_pGfx);
        EXPECT_EQ(gear->m_pShader, gearPattern->m_pShader);
        EXPECT_EQ(gear->m_nID, 2);
        EXPECT_EQ(gear->m_bCastShadow, 0);
        EXPECT_EQ(gear->m_nPoints, 1);
        ExpectNear(gear->m_vOwnScale, CVector3(2.0f, 2.0f, 2.0f), 0.0f);
    };
    // A node template's clone, its objects and children with it.
    auto expectWheelClone = [&](const M3DOMObject* wheel, const M3DOMObject* parent, M3DOMTree* tree) {
        ASSERT_NE(wheel, nullptr);
        EXPECT_STREQ(wheel->m_szName, "Wheel");
        EXPECT_EQ(wheel->m_pTree, tree);
        EXPECT_EQ(wheel->m_pParent, parent);
        EXPECT_EQ(wheel->m_nTypeID, 4);
        EXPECT_EQ(wheel->m_nBKS, 3);
        expectGearClone(wheel, tree);
        ASSERT_EQ(wheel->m_pList->m_nCount, 1u);
        EXPECT_STREQ(wheel->GetChild(0)->m_szName, "Hub");
        EXPECT_EQ(wheel->GetChild(0)->m_nValN, 2);
        EXPECT_EQ(wheel->GetChild(0)->m_pTree, tree);
    };
    const M3DOMObject* wheelPattern = Template("Wheel");
    ASSERT_NE(wheelPattern, nullptr);
    expectWheelClone(wheelPattern, nullptr, templates);

    // A template cloned in a deeper block of another template.
    const M3DOMObject* cranePattern = Template("Crane");
    ASSERT_NE(cranePattern, nullptr);
    ASSERT_EQ(cranePattern->m_pList->m_nCount, 1u);
    const M3DOMObject* armPattern = cranePattern->GetChild(0);
    EXPECT_EQ(armPattern->m_bRelative, 1);
    ASSERT_EQ(armPattern->m_pList->m_nCount, 1u);
    expectWheelClone(armPattern->GetChild(0), armPattern, templates);
    EXPECT_EQ(armPattern->GetChild(0)->m_nGoal, 1);
    EXPECT_EQ(wheelPattern->m_nGoal, 0);

    // The level: clones in the instance tree with the level's values over the template's.
    const M3DOMObject* level = Instance("Level");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->m_pParent, nullptr);
    ExpectNear(level->m_vPos, CVector3(0.0f, -1.0f, 0.0f), 0.0f);
    ASSERT_EQ(level->m_pList->m_nCount, 2u);
    const M3DOMObject* wheel = level->GetChild(0);
    expectWheelClone(wheel, level, instances);
    ExpectNear(wheel->m_vPos, CVector3(3.0f, 0.0f, 0.0f), 0.0f);
    EXPECT_EQ(wheel->m_fValF, 0.5f);
    ExpectNear(wheelPattern->m_vPos, CVector3(0.0f, 0.0f, 0.0f), 0.0f);

    const M3DOMObject* crane = level->GetChild(1);
    EXPECT_STREQ(crane->m_szName, "Crane");
    EXPECT_EQ(crane->m_nTypeID, 9);
    EXPECT_EQ(crane->m_nBits, 5);
    ASSERT_EQ(crane->m_pOList->m_nCount, 1u);
    const C3DObject* hook = crane->GetO(0);
    EXPECT_EQ(hook->m_pGfx, m_Gfx.Find(kHookModel));
    EXPECT_EQ(hook->m_nRenderPass, 3u);
    EXPECT_EQ(hook->m_nID, 7);
    ExpectNear(hook->m_vPosRel, CVector3(0.0f, 1.5f, 0.0f), 0.0f);
    EXPECT_TRUE(Holds(instances->m_pOList, hook));
    // "Arm" names a node inside a template, found depth first: the crane's own block makes a
    // second clone of it beside the one the crane brought.
    ASSERT_EQ(crane->m_pList->m_nCount, 2u);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const M3DOMObject* arm = crane->GetChild(i);
        EXPECT_STREQ(arm->m_szName, "Arm");
        EXPECT_EQ(arm->m_pTree, instances);
        ExpectNear(arm->m_vPosRel, CVector3(1.0f, 0.0f, 0.0f), 0.0f);
        ASSERT_EQ(arm->m_pList->m_nCount, 1u);
        expectWheelClone(arm->GetChild(0), arm, instances);
    }
    ExpectNear(crane->GetChild(0)->m_vRot, CVector3(0.0f, 0.0f, 0.0f), 0.0f);
    ExpectNear(crane->GetChild(1)->m_vRot, CVector3(0.0f, 1.5f, 0.0f), 0.0f);
}

TEST_F(ScripterReadTest, TemplatesOfOneLoadServeTheNext) {
    ASSERT_EQ(Read(Crlf("TEMPLATES\n{\nPost\n{\nID 3\n3DO Gear\n{\nMODEL Gear\n}\n}\n}\n")), 0);
    EXPECT_EQ(Scripter().m_bTemplateMode, 0);
    ASSERT_EQ(Read(Crlf("Post\n{\nVALN 1\n}\n")), 1);
    const M3DOMObject* post = Instance("Post");
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->m_nTypeID, 3);
    EXPECT_EQ(post->m_nValN, 1);
    ASSERT_EQ(post->m_pOList->m_nCount, 1u);
    EXPECT_EQ(post->GetO(0)->m_pGfx, m_Gfx.Find(kGearModel));
    EXPECT_EQ(Template("Post")->m_nValN, 0);
}

TEST_F(ScripterReadTest, ReuseTakesExistingChildrenInOrder) {
    M3DOMObject* parent = AddNode("P");
    M3DOMObject* a = AddNode("a", parent);
    M3DOMObject* b = AddNode("b", parent);
    C3DObject* gear = parent->AddO(kGearModel, CVector3(0.0f, 0.0f, 0.0f));
    ASSERT_NE(gear, nullptr);
    const std::string text =
        Crlf("a\n{\nID 1\n}\nb\n{\nID 2\n}\na\n{\nID 3\n}\n3DO Gear\n{\nID 5\n}\n3DO Hook\n{\nID 6\n}\n");

    // a and b are re-used; the third definition is searched from the index reached and made.
    EXPECT_EQ(Read(text, parent, 0), 3);
    ASSERT_EQ(parent->m_pList->m_nCount, 3u);
    EXPECT_EQ(parent->GetChild(0), a);
    EXPECT_EQ(parent->GetChild(1), b);
    EXPECT_EQ(a->m_nTypeID, 1);
    EXPECT_EQ(b->m_nTypeID, 2);
    const M3DOMObject* third = parent->GetChild(2);
    EXPECT_STREQ(third->m_szName, "a");
    EXPECT_EQ(third->m_nTypeID, 3);
    EXPECT_EQ(third->m_pParent, parent);
    // The object at the index is re-used; past the parent's objects one is made.
    ASSERT_EQ(parent->m_pOList->m_nCount, 2u);
    EXPECT_EQ(parent->GetO(0), gear);
    EXPECT_EQ(gear->m_nID, 5);
    EXPECT_STREQ(parent->GetO(1)->m_szName, "Hook");
    EXPECT_EQ(parent->GetO(1)->m_nID, 6);
    EXPECT_TRUE(Holds(m_pWorld->m_pInstanceTree->m_pOList, parent->GetO(1)));

    // New nodes throughout: every definition makes one.
    EXPECT_EQ(Read(text, parent, 1), 3);
    EXPECT_EQ(parent->m_pList->m_nCount, 6u);
    EXPECT_EQ(parent->m_pOList->m_nCount, 4u);
    EXPECT_EQ(a->m_nTypeID, 1);
}

TEST_F(ScripterReadTest, ReuseSearchesDepthFirstAndMayTakeAGrandchild) {
    M3DOMObject* parent = AddNode("P");
    M3DOMObject* x = AddNode("x", parent);
    M3DOMObject* grandchild = AddNode("a", x);
    EXPECT_EQ(Read(Crlf("a\n{\nID 1\n}\n"), parent, 0), 1);
    EXPECT_EQ(grandchild->m_nTypeID, 1);
    EXPECT_EQ(parent->m_pList->m_nCount, 1u);
    EXPECT_EQ(x->m_pList->m_nCount, 1u);
}

TEST_F(ScripterReadTest, StrayTopLevelTokenStopsTheLoadAndPostsTheQuitRequest) {
    struct Case {
        const char* text;
        const char* token;
    };
    const Case cases[] = {
        {"POS 1, 2, 3\n", "POS"},
        {"3DO Gear\n{\n}\n", "3DO"},
        {"Before\n{\n}\nID 4\nAfter\n{\n}\n", "ID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        MakeWorld();
        EXPECT_EQ(Read(Crlf(c.text)), 0);
        EXPECT_EQ(TakeLog(),
                  std::string("M3DOMScripter::AddScriptMOs - ERROR: \"") + c.token + "\" in block expected!");
        EXPECT_EQ(TakeQuitRequest(), 666);
        EXPECT_EQ(Instance("After"), nullptr);
        EXPECT_EQ(m_pWorld->m_pInstanceTree->m_pOList->m_pList->m_nCount, 0u);
        // The scripter reads the next text as usual.
        EXPECT_EQ(Read(Crlf("Next\n{\n}\n")), 1);
        EXPECT_EQ(TakeQuitRequest(), -1);
    }
}

TEST_F(ScripterReadTest, OpeningBraceAtTheTopIsNoStrayToken) {
    EXPECT_EQ(Read(Crlf("{\nA\n{\n}\n}\n")), 1);
    EXPECT_EQ(TakeLog(), "");
    EXPECT_EQ(TakeQuitRequest(), -1);
    EXPECT_NE(Instance("A"), nullptr);
}

const M3DOMScripter* g_pProgressScripter = nullptr;

void RecordProgress(void* arg) {
    // The running call's number, counted from 1.
    static_cast<std::vector<uint32_t>*>(arg)->push_back(g_pProgressScripter->m_nCallCount + 1);
}

TEST_F(ScripterReadTest, ProgressIsReportedOnTheFirstCallAndEveryFifthAcrossLoads) {
    std::vector<uint32_t> calls;
    g_pProgressScripter = &Scripter();
    Scripter().m_pfnProgress = RecordProgress;
    Scripter().m_pProgressArg = &calls;
    // Four calls: the text and three blocks.
    ASSERT_EQ(Read(Crlf("A\n{\nB\n{\n}\nC\n{\n}\n}\n")), 3);
    EXPECT_EQ(calls, std::vector<uint32_t>({1}));
    // Eight more: the text and seven blocks.
    ASSERT_EQ(Read(Crlf("D\n{\nE\n{\n}\nF\n{\n}\nG\n{\n}\nH\n{\n}\nI\n{\n}\nJ\n{\n}\n}\n")), 7);
    EXPECT_EQ(calls, std::vector<uint32_t>({1, 6, 11}));
    EXPECT_EQ(Scripter().m_nCallCount, 12u);

    // Without an argument the callback is not called; the count goes on.
    Scripter().m_pProgressArg = nullptr;
    ASSERT_EQ(Read(Crlf("K\n{\n}\nL\n{\n}\nM\n{\n}\nN\n{\n}\n")), 4);
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_EQ(Scripter().m_nCallCount, 17u);
    Scripter().m_pfnProgress = nullptr;
    g_pProgressScripter = nullptr;
}

// Left stands at (2, 0, 0), Right under the same parent at the origin; both hold the model
// whose tags Gear, Pipe, Power, Rope and Wheel lie 0.25 apart along x.
std::string ConnectText(const char* before, const char* connect) {
    return Crlf(std::string("Base\n{\nLeft\n{\nPOS 2, 0, 0\n3DO Part\n{\nMODEL Kinds\n}\n}\n"
                            "Right\n{\n3DO Part\n{\nMODEL Kinds\n}\n") +
                before + "\nPOSREL CONNECT " + connect + "\n}\n}\n");
}

TEST_F(ScripterReadTest, ConnectPlacesANodeSoThatTwoTagsMeet) {
    struct Case {
        const char* before;
        const char* connect;
        CVector3 posRel;
        const char* log;
    };
    const CVector3 kept(0.5f, 0.0f, 0.0f);
    const Case cases[] = {
        // Right's Wheel at (1, 0, 0) onto Left's Pipe at (2.25, 0, 0).
        {"POS 0, 0, 0", "Wheel ../Left Pipe", CVector3(1.25f, 0.0f, 0.0f), ""},
        {"POS 0, 0, 0", "NULL ../Left Pipe", CVector3(2.25f, 0.0f, 0.0f), ""},
        {"POS 0, 0, 0", "Nothing ../Left Pipe", CVector3(2.25f, 0.0f, 0.0f),
         "M3DOMScripter::AddScriptMOs - ERROR: Tag after CONNECT not found: Nothing"},
        {"POSREL 0.5, 0, 0", "Wheel ../Nowhere Pipe", kept, ""},
        {"POSREL 0.5, 0, 0", "Wheel Left Pipe", kept, ""},
        {"POSREL 0.5, 0, 0", "Wheel ../Left Nothing", kept, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.connect);
        MakeWorld();
        ASSERT_EQ(Read(ConnectText(c.before, c.connect)), 3);
        EXPECT_EQ(TakeLog(), c.log);
        M3DOMObject* right = Instance("Right");
        ASSERT_NE(right, nullptr);
        EXPECT_EQ(right->m_bRelative, 1);
        ExpectNear(right->m_vPosRel, c.posRel);
        ExpectNear(right->m_vTargetRel, c.posRel);
    }

    // The tags meet once the scene is placed.
    MakeWorld();
    ASSERT_EQ(Read(ConnectText("", "Wheel ../Left Pipe")), 3);
    m_pWorld->m_pInstanceTree->UpdateTransforms(nullptr);
    m_pWorld->m_pInstanceTree->m_pOList->UpdateMatrices();
    const ConnectionPoint* wheel = Instance("Right")->FindTag("Wheel");
    const ConnectionPoint* pipe = Instance("Left")->FindTag("Pipe");
    ASSERT_NE(wheel, nullptr);
    ASSERT_NE(pipe, nullptr);
    ExpectNear(pipe->m_vWorldPos, CVector3(2.25f, 0.0f, 0.0f));
    ExpectNear(wheel->m_vWorldPos, pipe->m_vWorldPos);
}

}  // namespace
