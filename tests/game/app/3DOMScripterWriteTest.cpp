// Writing a node as script text: the exact bytes, and text that reads back to the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "tests/game/app/ScripterFixture.h"
#include "tests/support/TempDir.h"

namespace {

// Object templates that give a written object its model and shader back.
const char kPartTemplates[] =
    "TEMPLATES\r\n{\r\n\tParts\r\n\t{\r\n\t\t3DO Gear\r\n\t\t{\r\n\t\t\tMODEL Gear\r\n\t\t\tSHADER Glow\r\n"
    "\t\t}\r\n\t\t3DO Hook\r\n\t\t{\r\n\t\t\tMODEL Hook\r\n\t\t}\r\n\t}\r\n}\r\n";

// Tabs, CR LF, vectors with no decimals for whole numbers and five otherwise, "%f" for VALF,
// the bits as VALB, no NAME line, and none of the values a read sets by itself.
const char kGolden[] =
    "Machine\r\n"
    "{\r\n"
    "\tPOS 1, 2.50000, -3\r\n"
    "\tROT xyz 0, 1.50000, 0\r\n"
    "\tSCAL 2, 2, 2\r\n"
    "\tID 7\r\n"
    "\tBKS 3\r\n"
    "\tVALF 0.250000\r\n"
    "\tVALN -2\r\n"
    "\tGOAL 2\r\n"
    "\tCOUNT 4\r\n"
    "\tTAGSNAP 1\r\n"
    "\tCONNECTED_TO 5\r\n"
    "\tFIXED 1\r\n"
    "\tUNLOCKED 1\r\n"
    "\tVALB 129\r\n"
    "\t3DO Gear\r\n"
    "\t{\r\n"
    "\t\tPOSREL 0, 0.50000, 0\r\n"
    "\t\tROT xyz 0.10000, 0, 0\r\n"
    "\t\tSCAL 1, 2, 1\r\n"
    "\t\tID 3\r\n"
    "\t}\r\n"
    "\t3DO Hook\r\n"
    "\t{\r\n"
    "\t}\r\n"
    "\tArm\r\n"
    "\t{\r\n"
    "\t\tPOSREL 0, 0, 0\r\n"
    "\t\tROTREL xyz 0, 0, 0.50000\r\n"
    "\t}\r\n"
    "\tFoot\r\n"
    "\t{\r\n"
    "\t}\r\n"
    "}\r\n";

class ScripterWriteTest : public ScripterTest {
protected:
    void SetUp() override {
        ScripterTest::SetUp();
        if (HasFatalFailure())
            return;
        ReadTemplates();
    }

    void ReadTemplates() { ASSERT_EQ(Read(kPartTemplates), 0); }

    // The golden node, built field by field.
    M3DOMObject* BuildMachine() {
        M3DOMObject* machine = AddNode("Machine");
        machine->m_vPos = CVector3(1.0f, 2.5f, -3.0f);
        machine->m_vRot = CVector3(0.0f, 1.5f, 0.0f);
        machine->m_vScale = CVector3(2.0f, 2.0f, 2.0f);
        machine->m_nTypeID = 7;
        machine->m_nBKS = 3;
        machine->m_fValF = 0.25f;
        machine->m_nValN = -2;
        machine->m_nGoal = 2;
        machine->m_nCount = 4;
        machine->m_nTagSnap = 1;
        machine->m_nConnectedTo = 5;
        machine->m_nFixed = 1;
        machine->m_nUnlocked = 1;
        machine->m_nBits = 129;
        // None of these is written.
        machine->m_fVelocity = 3.0f;
        machine->m_vTarget = CVector3(9.0f, 9.0f, 9.0f);
        machine->m_vAngularVelocity = CVector3(1.0f, 1.0f, 1.0f);
        machine->m_bHold = 1;
        machine->m_bUnscaledOffsets = 1;

        C3DObject* gear = machine->AddO(kGearModel, CVector3(0.0f, 0.5f, 0.0f));
        EXPECT_NE(gear, nullptr);
        if (gear) {
            gear->m_vOwnRot = CVector3(0.1f, 0.0f, 0.0f);
            gear->m_vOwnScale = CVector3(1.0f, 2.0f, 1.0f);
            gear->m_nID = 3;
            gear->m_nRenderPass = 2;
            gear->m_bVisible = 0;
        }
        EXPECT_NE(machine->AddO(kHookModel, CVector3(0.0f, 0.0f, 0.0f)), nullptr);

        M3DOMObject* arm = AddNode("Arm", machine);
        arm->m_bRelative = 1;
        arm->m_vPos = CVector3(4.0f, 4.0f, 4.0f);
        arm->m_bRotRel = 1;
        arm->m_vRotRel = CVector3(0.0f, 0.0f, 0.5f);
        arm->m_vRot = CVector3(1.0f, 1.0f, 1.0f);
        AddNode("Foot", machine);
        return machine;
    }
};

TEST_F(ScripterWriteTest, NodeIsWrittenAsTheGoldenText) {
    EXPECT_EQ(Write(BuildMachine()), kGolden);
}

TEST_F(ScripterWriteTest, WrittenTextReadsBackToTheSameBytes) {
    const std::string written = Write(BuildMachine());
    ASSERT_EQ(written, kGolden);
    MakeWorld();
    ReadTemplates();
    ASSERT_EQ(Read(written), 3);
    const M3DOMObject* machine = Instance("Machine");
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(Write(machine), written);

    // The objects take their model and shader from the same-named templates again.
    ASSERT_EQ(machine->m_pOList->m_nCount, 2u);
    const C3DObject* gear = machine->GetO(0);
    EXPECT_EQ(gear->m_pGfx, m_Gfx.Find(kGearModel));
    EXPECT_EQ(gear->m_pShader, m_Shaders.GetShader(kGlowShader));
    EXPECT_EQ(gear->m_nPoints, 1);
    EXPECT_EQ(machine->GetO(1)->m_pGfx, m_Gfx.Find(kHookModel));
    // A read node stands still where it was written.
    ExpectNear(machine->m_vTarget, machine->m_vPos, 0.0f);
    EXPECT_EQ(TakeLog(), "");
}

TEST_F(ScripterWriteTest, SavedScriptIsTheWrittenTextAndReadsBack) {
    const std::string path = m_Dir.File("machine.fsc");
    const int size = static_cast<int>(sizeof kGolden - 1);
    ASSERT_EQ(Scripter().SaveScript(BuildMachine(), path.c_str()), size);
    EXPECT_EQ(ReadText(path), kGolden);

    MakeWorld();
    ReadTemplates();
    // The written text carries no plain marker: it is read without a key.
    ASSERT_EQ(Scripter().LoadScript(nullptr, path.c_str(), nullptr, 0), size);
    const M3DOMObject* machine = Instance("Machine");
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(Write(machine), kGolden);

    EXPECT_EQ(Scripter().SaveScript(machine, m_Dir.File("none/machine.fsc").c_str()), 0);
    EXPECT_EQ(Scripter().SaveScript(machine, nullptr), 0);
}

TEST_F(ScripterWriteTest, WriterEdgeCases) {
    struct Case {
        const char* name;
        std::function<void(M3DOMObject*)> setup;
        const char* text;
    };
    const Case cases[] = {
        {"relative at the origin", [](M3DOMObject* mo) { mo->m_bRelative = 1; }, "E\r\n{\r\n\tPOSREL 0, 0, 0\r\n}\r\n"},
        {"at the origin", [](M3DOMObject*) {}, "E\r\n{\r\n}\r\n"},
        {"relative, its own position not written",
         [](M3DOMObject* mo) {
             mo->m_bRelative = 1;
             mo->m_vPos = CVector3(1.0f, 2.0f, 3.0f);
             mo->m_vPosRel = CVector3(0.5f, 0.0f, -1.0f);
         },
         "E\r\n{\r\n\tPOSREL 0.50000, 0, -1\r\n}\r\n"},
        {"relative rotation at zero", [](M3DOMObject* mo) { mo->m_bRotRel = 1; },
         "E\r\n{\r\n\tROTREL xyz 0, 0, 0\r\n}\r\n"},
        {"a scale just off one", [](M3DOMObject* mo) { mo->m_vScale = CVector3(1.0f, 1.0f, 1.0000001f); },
         "E\r\n{\r\n\tSCAL 1, 1, 1.00000\r\n}\r\n"},
        {"fractions and huge values",
         [](M3DOMObject* mo) {
             mo->m_vPos = CVector3(-0.5f, 1e-6f, 3e38f);
             mo->m_fValF = 1e30f;
         },
         "E\r\n{\r\n\tPOS -0.50000, 0.00000, 300000000549775575777803994281145270272\r\n"
         "\tVALF 1000000015047466219876688855040.000000\r\n}\r\n"},
        {"defaults of the counters", [](M3DOMObject* mo) { mo->m_nCount = 0; mo->m_nConnectedTo = 0; },
         "E\r\n{\r\n\tCOUNT 0\r\n\tCONNECTED_TO 0\r\n}\r\n"},
        {"values a read sets by itself",
         [](M3DOMObject* mo) {
             mo->m_fVelocity = 2.0f;
             mo->m_vTarget = CVector3(1.0f, 1.0f, 1.0f);
             mo->m_vTargetRel = CVector3(1.0f, 1.0f, 1.0f);
             mo->m_vAngularVelocity = CVector3(1.0f, 0.0f, 0.0f);
             mo->m_bHold = 1;
             mo->m_bUnscaledOffsets = 1;
             mo->m_bVisible = 0;
         },
         "E\r\n{\r\n}\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_pWorld->m_pInstanceTree->DeleteAll();
        M3DOMObject* mo = AddNode("E");
        c.setup(mo);
        EXPECT_EQ(Write(mo), c.text);
    }
}

TEST_F(ScripterWriteTest, ObjectBlockWritesOnlyItsOwnPlacementAndID) {
    M3DOMObject* mo = AddNode("E");
    C3DObject* o = mo->AddO(kGearModel, CVector3(0.0f, 0.0f, 0.0f));
    ASSERT_NE(o, nullptr);
    o->m_nID = 0;
    o->m_fValue = 2.0f;
    o->m_bCastShadow = 0;
    o->m_fFrameBlend = 0.5f;
    char* text = nullptr;
    o->WriteWorldBlock(&text, 2);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "\t\t3DO Gear\r\n\t\t{\r\n\t\t\tID 0\r\n\t\t}\r\n");
    free(text);
}

}  // namespace
