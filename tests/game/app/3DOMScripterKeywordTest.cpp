// The keywords of node and object blocks: what each stores, and the exact log line of a
// missing or malformed value.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>

#include "engine/graphics/GfxHandler.h"
#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "tests/game/app/ScripterFixture.h"

namespace {

const CVector3 kOrigin(0.0f, 0.0f, 0.0f);

// A line read under a node that already took `before`. Without a check, the node must be
// left as `before` made it.
struct MOKeywordCase {
    const char* before;
    const char* line;
    const char* log;
    std::function<void(const M3DOMObject&)> check;
};

// The log lines, spelled out here as the program writes them.
#define MO_ERROR "M3DOMScripter::AddScriptMOs - ERROR: "
#define O_ERROR "M3DOMScripter::AddScriptOs - ERROR: "

const MOKeywordCase kMOKeywordCases[] = {
    // Each keyword's effect.
    {"", "ID 7", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nTypeID, 7); }},
    {"", "BKS 3", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nBKS, 3); }},
    {"", "VALF 2.5", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_fValF, 2.5f); }},
    {"", "VALN -4", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nValN, -4); }},
    {"POSREL 9, 9, 9", "POS 1, 2, 3", "",
     [](const M3DOMObject& mo) {
         EXPECT_EQ(mo.m_bRelative, 0);
         ExpectNear(mo.m_vPos, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
         ExpectNear(mo.m_vTarget, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
     }},
    {"POS 9, 9, 9", "POSREL 1, 2, 3", "",
     [](const M3DOMObject& mo) {
         EXPECT_EQ(mo.m_bRelative, 1);
         ExpectNear(mo.m_vPosRel, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
         ExpectNear(mo.m_vTargetRel, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
     }},
    {"POSREL 10, 20, 30", "POSREL ADD 1, 2, 3", "",
     [](const M3DOMObject& mo) {
         EXPECT_EQ(mo.m_bRelative, 1);
         ExpectNear(mo.m_vPosRel, CVector3(11.0f, 22.0f, 33.0f), 0.0f);
         ExpectNear(mo.m_vTargetRel, CVector3(11.0f, 22.0f, 33.0f), 0.0f);
     }},
    {"", "ROT xyz 0.5, 0, 1", "",
     [](const M3DOMObject& mo) { ExpectNear(mo.m_vRot, CVector3(0.5f, 0.0f, 1.0f), 0.0f); }},
    // The word before the angles is read and not used, whatever it says.
    {"", "ROT zyx 1, 2, 3", "",
     [](const M3DOMObject& mo) { ExpectNear(mo.m_vRot, CVector3(1.0f, 2.0f, 3.0f), 0.0f); }},
    {"", "ROTREL xyz 1, 2, 3", "",
     [](const M3DOMObject& mo) {
         EXPECT_EQ(mo.m_bRotRel, 1);
         ExpectNear(mo.m_vRotRel, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
         ExpectNear(mo.m_vRot, kOrigin, 0.0f);
     }},
    {"", "VELOCITY 4.5", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_fVelocity, 4.5f); }},
    {"", "SCAL 2, 3, 4", "",
     [](const M3DOMObject& mo) { ExpectNear(mo.m_vScale, CVector3(2.0f, 3.0f, 4.0f), 0.0f); }},
    {"", "NAME Other", "", [](const M3DOMObject& mo) { EXPECT_STREQ(mo.m_szName, "Other"); }},
    {"", "GOAL 1", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nGoal, 1); }},
    {"", "GOAL 258", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nGoal, 2); }},
    {"", "COUNT 5", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nCount, 5); }},
    {"", "TAGSNAP 1", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nTagSnap, 1); }},
    {"", "CONNECTED_TO 9", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nConnectedTo, 9); }},
    {"", "FIXED 1", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nFixed, 1); }},
    {"", "UNLOCKED 1", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nUnlocked, 1); }},
    {"", "VALB 129", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nBits, 129); }},
    // The bit field: the first character is bit 7.
    {"VALB 5", "BITS 10000001", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nBits, 129); }},
    {"VALB 5", "BITS 01000000", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nBits, 64); }},
    {"VALB 5", "BITS 1000001", MO_ERROR "while getting a 8 bit field\n", nullptr},
    {"VALB 5", "BITS 100000001", MO_ERROR "while getting a 8 bit field\n", nullptr},
    {"VALB 5", "BITS 10200001", MO_ERROR "2 is not a bit\n", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nBits, 129); }},
    // Numbers: integers saturate at 32 bits, a float that is not finite counts as 0.
    {"", "ID 99999999999", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nTypeID, INT32_MAX); }},
    {"", "VALN -99999999999", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_nValN, INT32_MIN); }},
    {"VALF 1", "VALF nan", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_fValF, 0.0f); }},
    {"VALF 1", "VALF -inf", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_fValF, 0.0f); }},
    {"VALF 1", "VALF 1e39", "", [](const M3DOMObject& mo) { EXPECT_EQ(mo.m_fValF, 0.0f); }},
    {"POS 1, 1, 1", "POS nan, inf, 1e39", "", [](const M3DOMObject& mo) { ExpectNear(mo.m_vPos, kOrigin, 0.0f); }},
    // What is no keyword of a node is passed over.
    {"", "WHEELS 4", "", nullptr},
    {"", "id 4", "", nullptr},

    // Each missing value's log line, the node left as it was.
    {"", "ID", MO_ERROR "while getting ID!\n", nullptr},
    {"", "BKS", MO_ERROR "while getting 3D Value!\n", nullptr},
    {"", "VALF", MO_ERROR "while getting FLOAT Value!\n", nullptr},
    {"", "VALN", MO_ERROR "while getting INT Value!\n", nullptr},
    {"POS 4, 5, 6", "POS", MO_ERROR "while getting 3D Value!\n", nullptr},
    {"POS 4, 5, 6", "POS 1, 2", MO_ERROR "while getting 3D Value!\n", nullptr},
    {"POSREL 4, 5, 6", "POSREL", MO_ERROR "while getting VALUE!\n", nullptr},
    {"POSREL 4, 5, 6", "POSREL ADD", MO_ERROR "while getting VALUE!\n", nullptr},
    {"POSREL 4, 5, 6", "POSREL ADD 1, 2", MO_ERROR "while getting VALUE!\n", nullptr},
    {"POSREL 4, 5, 6", "POSREL CONNECT", "", nullptr},
    {"POSREL 4, 5, 6", "POSREL CONNECT NULL ..", "", nullptr},
    {"", "ROT", "", nullptr},
    {"", "ROT xyz", MO_ERROR "while getting 3D Value!\n", nullptr},
    // Without the word the first angle is taken for it, and the vector falls short.
    {"", "ROT 1, 2, 3", MO_ERROR "while getting 3D Value!\n", nullptr},
    {"ROTREL xyz 4, 5, 6", "ROTREL", "", nullptr},
    {"ROTREL xyz 4, 5, 6", "ROTREL xyz 1", MO_ERROR "while getting 3D Value!\n", nullptr},
    {"", "VELOCITY", MO_ERROR "while getting VELOCITY Value!\n", nullptr},
    {"", "SCAL", MO_ERROR "while getting 3D Value!\n", nullptr},
    {"", "NAME", MO_ERROR "while getting a Name\n", nullptr},
    {"", "GOAL", MO_ERROR "while getting a Goal value\n", nullptr},
    {"", "COUNT", MO_ERROR "while getting a count value\n", nullptr},
    {"", "TAGSNAP", MO_ERROR "while getting a snap value\n", nullptr},
    {"", "CONNECTED_TO", MO_ERROR "while getting a connected ID value\n", nullptr},
    {"", "FIXED", MO_ERROR "while getting a FIXED value\n", nullptr},
    {"", "UNLOCKED", MO_ERROR "while getting a UNLOCKED value\n", nullptr},
    {"", "VALB", MO_ERROR "while getting a BYTE value\n", nullptr},
    {"VALB 5", "BITS", MO_ERROR "no bit field", nullptr},
};

// A line inside the block of "3DO Part", a new object. Without a check, the object must be
// left as a bare definition makes it.
struct OKeywordCase {
    const char* line;
    const char* log;
    std::function<void(const C3DObject&, const CGfxHandler&, const CShaderHandler&)> check;
};

const OKeywordCase kOKeywordCases[] = {
    {"POSREL 1, 2, 3", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) {
         ExpectNear(o.m_vPosRel, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
     }},
    {"MODEL Gear", "",
     [](const C3DObject& o, const CGfxHandler& gfx, const CShaderHandler&) {
         EXPECT_EQ(o.m_pGfx, gfx.Find(kGearModel));
         EXPECT_EQ(o.m_bBillboard, 0);
         ASSERT_EQ(o.m_nPoints, 1);
         EXPECT_STREQ(o.m_pPoints[0].m_szName, kGearModel);
     }},
    {"MODEL BILLBOARD 2 3", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) {
         EXPECT_EQ(o.m_bBillboard, 1);
         EXPECT_EQ(o.m_fBillboardWidth, 2.0f);
         EXPECT_EQ(o.m_fBillboardHeight, 3.0f);
         EXPECT_EQ(o.m_pGfx, nullptr);
         EXPECT_EQ(o.m_nPoints, 0);
     }},
    // As for the object list's Add: a model resource that never loaded is taken, with no
    // points; a texture or an unknown name leave the object bare.
    {"MODEL Empty", "",
     [](const C3DObject& o, const CGfxHandler& gfx, const CShaderHandler&) {
         EXPECT_EQ(o.m_pGfx, gfx.Find("Empty"));
         EXPECT_EQ(o.m_nPoints, 0);
     }},
    {"MODEL Texture", "", nullptr},
    {"MODEL Nowhere", "", nullptr},
    {"SHADER Glow", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler& shaders) {
         EXPECT_EQ(o.m_pShader, shaders.GetShader(kGlowShader));
         EXPECT_EQ(o.m_bShaderOwned, 0);
     }},
    {"SHADER Dull", "", nullptr},
    {"ROT xyz 1, 2, 3", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) {
         ExpectNear(o.m_vOwnRot, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
     }},
    {"ROT any 1, 2, 3", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) {
         ExpectNear(o.m_vOwnRot, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
     }},
    {"SCAL 2, 3, 4", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) {
         ExpectNear(o.m_vOwnScale, CVector3(2.0f, 3.0f, 4.0f), 0.0f);
     }},
    {"ID 12", "", [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_nID, 12); }},
    {"DYN_SHADOW", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_bDynShadow, 1); }},
    {"SV_LEN 0.5", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_fShadowLength, 0.5f); }},
    {"NO_SHADOW", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_bCastShadow, 0); }},
    {"FRAME 0.25 3 7", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) {
         EXPECT_EQ(o.m_fFrameBlend, 0.25f);
         EXPECT_EQ(o.m_nFrameA, 3u);
         EXPECT_EQ(o.m_nFrameB, 7u);
     }},
    {"RENDER_PASS_ID 4", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_nRenderPass, 4u); }},
    {"VISIBLE 0", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_bVisible, 0); }},
    {"HIT 0", "", [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_bHit, 0); }},
    {"VALUE 3", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_fValue, 3.0f); }},
    {"ZENABLE 0", "",
     [](const C3DObject& o, const CGfxHandler&, const CShaderHandler&) { EXPECT_EQ(o.m_bZEnable, 0); }},
    {"VALUE nan", "", nullptr},
    {"POSREL 1e39, inf, nan", "", nullptr},
    // The block's own closing brace ends these values early.
    {"FRAME 0.25 3", O_ERROR "Frame FLOAT value expecetd!\n", nullptr},
    {"ROT xyz 1", O_ERROR "while getting 3D Value!\n", nullptr},
    {"ROT", "", nullptr},
    {"WHEELS 4", "", nullptr},
};

std::string ObjectText(const char* line) {
    return Crlf(std::string("E\n{\n3DO Part\n{\n") + line + "\n}\n}\n");
}

using ScripterKeywordTest = ScripterTest;

TEST_F(ScripterKeywordTest, NodeKeywordsStoreTheirValuesAndLogAMissingOne) {
    for (const MOKeywordCase& c : kMOKeywordCases) {
        SCOPED_TRACE(std::string(c.before) + " | " + c.line);
        m_pWorld->m_pInstanceTree->DeleteAll();
        M3DOMObject* mo = AddNode("E");
        EXPECT_EQ(Read(Crlf(std::string(c.before) + "\n"), mo), 0);
        const std::string before = DescribeTree(m_pWorld->m_pInstanceTree);
        TakeLog();

        // Keywords make no node: the result counts none.
        EXPECT_EQ(Read(std::string(c.line) + "\r\n", mo), 0);
        EXPECT_EQ(TakeLog(), c.log);
        if (c.check)
            c.check(*mo);
        else
            EXPECT_EQ(DescribeTree(m_pWorld->m_pInstanceTree), before);
        EXPECT_EQ(m_pWorld->m_pInstanceTree->m_pRoot->CountMOs(), 1);
    }
    EXPECT_EQ(TakeQuitRequest(), -1);
}

TEST_F(ScripterKeywordTest, PositionUnderAParentStandsStill) {
    M3DOMObject* parent = AddNode("P");
    ASSERT_EQ(Read(Crlf("Child\n{\nPOS 1, 2, 3\n}\n"), parent), 1);
    M3DOMObject* child = parent->GetChild(0);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->m_pParent, parent);
    ExpectNear(child->m_vPos, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
    ExpectNear(child->m_vTarget, child->m_vPos, 0.0f);
    m_pWorld->m_pInstanceTree->UpdateAll();
    ExpectNear(child->m_vPos, CVector3(1.0f, 2.0f, 3.0f), 0.0f);
}

TEST_F(ScripterKeywordTest, ObjectKeywordsStoreTheirValues) {
    ASSERT_NE(AddTexture("Texture"), nullptr);
    ASSERT_NE(AddEmptyModel("Empty"), nullptr);
    ASSERT_EQ(Read(ObjectText("")), 1);
    const std::string bare = DescribeTree(m_pWorld->m_pInstanceTree);
    for (const OKeywordCase& c : kOKeywordCases) {
        SCOPED_TRACE(c.line);
        MakeWorld();
        ASSERT_EQ(Read(ObjectText(c.line)), 1);
        EXPECT_EQ(TakeLog(), c.log);
        const M3DOMObject* mo = Instance("E");
        ASSERT_NE(mo, nullptr);
        ASSERT_EQ(mo->m_pOList->m_nCount, 1u);
        const C3DObject* o = mo->GetO(0);
        EXPECT_STREQ(o->m_szName, "Part");
        EXPECT_EQ(o->m_pOwner, mo);
        EXPECT_EQ(m_pWorld->m_pInstanceTree->m_pOList->FindByName("Part"), o);
        if (c.check)
            c.check(*o, m_Gfx, m_Shaders);
        else
            EXPECT_EQ(DescribeTree(m_pWorld->m_pInstanceTree), bare);
    }
}

TEST_F(ScripterKeywordTest, ObjectWithoutABlockLeavesTheNextTokenToTheNode) {
    ASSERT_EQ(Read(Crlf("E\n{\n3DO Part\nID 5\n3DO Other\n}\n")), 1);
    const M3DOMObject* mo = Instance("E");
    ASSERT_NE(mo, nullptr);
    EXPECT_EQ(mo->m_nTypeID, 5);
    ASSERT_EQ(mo->m_pOList->m_nCount, 2u);
    EXPECT_STREQ(mo->GetO(0)->m_szName, "Part");
    EXPECT_STREQ(mo->GetO(1)->m_szName, "Other");
    EXPECT_EQ(mo->GetO(0)->m_nID, -1);
    EXPECT_EQ(TakeLog(), "");
}

TEST_F(ScripterKeywordTest, ObjectDefinitionReadOnItsOwn) {
    M3DOMObject* mo = AddNode("E");
    const std::string text = "{\r\nID 4\r\n}\r\nNEXT\r\n";
    CScriptRange range{text.data(), text.data() + text.size()};
    C3DObject* o = Scripter().AddScriptOs(mo, "Gear", &range, 0, 0);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(mo->GetO(0), o);
    EXPECT_STREQ(o->m_szName, "Gear");
    EXPECT_EQ(o->m_nID, 4);
    // The range's start is left behind the block.
    EXPECT_EQ(range.pStart, text.data() + text.find("NEXT") - 2);

    // With re-use, the object at the index is the one returned.
    range = CScriptRange{text.data(), text.data() + text.size()};
    EXPECT_EQ(Scripter().AddScriptOs(mo, "Gear", &range, 0, 1), o);
    EXPECT_EQ(mo->m_pOList->m_nCount, 1u);

    // An object belongs to a node: none is made without one.
    range = CScriptRange{text.data(), text.data() + text.size()};
    EXPECT_EQ(Scripter().AddScriptOs(nullptr, "Gear", &range, 0, 1), nullptr);
    EXPECT_EQ(Scripter().AddScriptOs(nullptr, "Gear", &range, 0, 0), nullptr);
    EXPECT_EQ(m_pWorld->m_pInstanceTree->m_pOList->m_pList->m_nCount, 1u);
    EXPECT_EQ(TakeLog(), "");
}

}  // namespace
