// Hostile text, as lab files and exported experiments may carry: every case ends with its
// stated result, within the load's limits, outside template mode, and the next load reads as
// usual.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DObject.h"
#include "tests/game/app/ScripterFixture.h"

namespace {

#define MO_ERROR "M3DOMScripter::AddScriptMOs - ERROR: "

const char kNoBlockEnd[] = "GetNextBlock - ERROR: block end expected!\n" MO_ERROR "block without its end!\n";

std::string Repeat(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

std::string Nested(int depth) {
    return Repeat("a\r\n{\r\n", depth) + Repeat("}\r\n", depth);
}

// That many empty nodes side by side at the top.
std::string Siblings(int count) {
    return Repeat("x\r\n{\r\n}\r\n", count);
}

// The text as UTF-16LE behind its byte-order mark.
std::string Utf16(const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (const char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// Each template holds two of the one before: T30 would be two thousand million nodes.
std::string TemplateBomb() {
    std::string text = "TEMPLATES\r\n{\r\nT0\r\n{\r\n}\r\n";
    for (int i = 1; i <= 30; ++i) {
        const std::string inner = "T" + std::to_string(i - 1) + "\r\n{\r\n}\r\n";
        text += "T" + std::to_string(i) + "\r\n{\r\n" + inner + inner + "}\r\n";
    }
    return text + "}\r\n";
}

// Every byte value in turn, sixteen times: NULs, control bytes, braces and high bytes.
std::string EveryByte() {
    std::string text;
    for (int round = 0; round < 16; ++round) {
        for (int c = 0; c < 256; ++c)
            text += static_cast<char>(c);
    }
    return text;
}

// Bytes of a fixed linear congruential sequence; a lone CR separates nothing.
std::string Noise(size_t size) {
    std::string text;
    uint32_t state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        text += static_cast<char>(state >> 24);
    }
    return text;
}

struct HostileCase {
    const char* name;
    std::string text;
    int result;
    std::string log;
    int quitCode;  // -1 for none
    std::function<void(const M3DOMWorld&)> check;
    bool underParent = false;  // read under a node "P" instead of at the top
};

std::string Stray(const std::string& token) {
    return MO_ERROR "\"" + token + "\" in block expected!";
}

std::vector<HostileCase> HostileCases() {
    const std::string longName(5000, 'N');
    const std::string longToken(5000, 'k');
    return {
        {"a block without its end", "A\r\n{\r\nB\r\n{\r\n}\r\n", 0, kNoBlockEnd, -1, nullptr},
        {"an object block without its end", "3DO Gear\r\n{\r\nID 1\r\n", 0,
         "GetNextBlock - ERROR: block end expected!\n"
         "M3DOMScripter::AddScriptOs - ERROR: block without its end!\n",
         -1, nullptr, true},
        {"a closing brace too many", "A\r\n{\r\n}\r\n}\r\n", 1, "", -1, nullptr},
        {"a closing brace first", "}\r\nA\r\n{\r\n}\r\n", 1, "", -1, nullptr},
        {"10,000 nested blocks", Nested(10000), 0, MO_ERROR "blocks nested deeper than 256 levels!\n", -1,
         [](const M3DOMWorld& world) {
             EXPECT_LE(world.m_pInstanceTree->m_pRoot->CountMOs(), M3DOMScripter::kMaxBlockDepth);
         }},
        {"257 nested blocks", Nested(257), 0, MO_ERROR "blocks nested deeper than 256 levels!\n", -1, nullptr},
        // The limit: a load may make 50,000 nodes and objects together, no more.
        {"50,000 made", Siblings(50000), 50000, "", -1, nullptr},
        {"50,001 made", Siblings(50001), 0, MO_ERROR "more than 50000 objects in one load!\n", -1, nullptr},
        {"a template bomb", TemplateBomb(), 0, MO_ERROR "more than 50000 objects in one load!\n", -1,
         [](const M3DOMWorld& world) { EXPECT_EQ(world.m_pInstanceTree->m_pRoot->CountMOs(), 0); }},
        {"huge and non-finite numbers",
         "A\r\n{\r\nPOS nan, inf, 1e39\r\nVALF -inf\r\nID 99999999999\r\nVALN -99999999999\r\n"
         "SCAL 1e39, NAN, 2\r\nGOAL 99999999999\r\nCOUNT 1e10\r\nBITS 99999999\r\n}\r\n",
         1, Repeat(MO_ERROR "9 is not a bit\n", 8), -1,
         [](const M3DOMWorld& world) {
             const M3DOMObject* mo = world.m_pInstanceTree->FindByName("A");
             ASSERT_NE(mo, nullptr);
             ExpectNear(mo->m_vPos, CVector3(0.0f, 0.0f, 0.0f), 0.0f);
             ExpectNear(mo->m_vScale, CVector3(0.0f, 0.0f, 2.0f), 0.0f);
             EXPECT_EQ(mo->m_fValF, 0.0f);
             EXPECT_EQ(mo->m_nTypeID, INT32_MAX);
             EXPECT_EQ(mo->m_nValN, INT32_MIN);
             EXPECT_EQ(mo->m_nGoal, 0xFF);
             EXPECT_EQ(mo->m_nCount, 1);
             EXPECT_EQ(mo->m_nBits, 0);
         }},
        {"over-long names and tokens",
         longName + "\r\n{\r\n" + longToken + " 1\r\n3DO " + longName + "\r\n{\r\n" + longToken +
             "\r\n}\r\nNAME " + longToken + "\r\n}\r\n",
         1, "", -1,
         [](const M3DOMWorld& world) {
             const M3DOMObject* mo = world.m_pInstanceTree->m_pRoot->GetChild(0);
             ASSERT_NE(mo, nullptr);
             EXPECT_EQ(std::string(mo->m_szName), std::string(M3DOMObject::kNameSize - 1, 'k'));
             ASSERT_NE(mo->GetO(0), nullptr);
             EXPECT_EQ(std::string(mo->GetO(0)->m_szName), std::string(C3DObject::kNameSize - 1, 'N'));
         }},
        {"3DO at the top", "3DO Gear\r\n{\r\n}\r\n", 0, Stray("3DO"), 666, nullptr},
        {"3DO as the last token", "3DO\r\n", 0, Stray("3DO"), 666, nullptr},
        {"TEMPLATES without a block", "TEMPLATES\r\nA\r\n{\r\n}\r\n", 0, Stray("TEMPLATES"), 666, nullptr},
        {"TEMPLATES as the last token", "TEMPLATES\r\n", 0, Stray("TEMPLATES"), 666, nullptr},
        {"TEMPLATES inside a level",
         "Level\r\n{\r\nTEMPLATES\r\n{\r\nT\r\n{\r\nID 3\r\n}\r\n}\r\nT\r\n{\r\n}\r\n}\r\n", 2, "", -1,
         [](const M3DOMWorld& world) {
             const M3DOMObject* pattern = world.m_pTemplateTree->FindByName("T");
             ASSERT_NE(pattern, nullptr);
             EXPECT_EQ(pattern->m_pParent, nullptr);
             const M3DOMObject* level = world.m_pInstanceTree->FindByName("Level");
             ASSERT_NE(level, nullptr);
             ASSERT_EQ(level->m_pList->m_nCount, 1u);
             EXPECT_EQ(level->GetChild(0)->m_nTypeID, 3);
             EXPECT_EQ(level->GetChild(0)->m_pTree, world.m_pInstanceTree);
         }},
        // The block's parse stops; the text after the block is read outside template mode.
        {"a stray token inside TEMPLATES", "TEMPLATES\r\n{\r\nPOS\r\nA\r\n{\r\n}\r\n}\r\nB\r\n{\r\n}\r\n", 1,
         Stray("POS"), 666,
         [](const M3DOMWorld& world) {
             EXPECT_EQ(world.m_pTemplateTree->m_pRoot->CountMOs(), 0);
             EXPECT_NE(world.m_pInstanceTree->FindByName("B"), nullptr);
             EXPECT_EQ(world.m_pInstanceTree->FindByName("A"), nullptr);
         }},
        {"no separator after the closing brace", "A\r\n{\r\n}", 0, kNoBlockEnd, -1, nullptr},
        {"no separator after the last name", "A\r\n{\r\n}\r\nB", 1, "", -1, nullptr},
        {"every byte value", EveryByte(), 0, Stray(""), 666, nullptr},
        {"noise", Noise(4096), 0, Stray("\xD3\xA7\xD6\r\xC2>\xCD\xAF"), 666, nullptr},
        // Text from memory is taken as bytes: no UTF-16 step, so no token has a separator.
        {"UTF-16 text", Utf16("A\r\n{\r\n}\r\n"), 0, "", -1, nullptr},
        // A lab's text ends with CR LF and its terminating zero.
        {"a terminating zero", std::string("A\r\n{\r\n}\r\n", 9) + '\0', 1, "", -1, nullptr},
        {"empty text", "", 0, "", -1, nullptr},
        {"only separators and a comment", "// nothing\r\n \t,\r\n", 0, "", -1, nullptr},
    };
}

using ScripterHostileTest = ScripterTest;

TEST_F(ScripterHostileTest, HostileTextEndsWithinTheLimits) {
    for (const HostileCase& c : HostileCases()) {
        for (const int createNew : {1, 0}) {
            SCOPED_TRACE(std::string(c.name) + (createNew ? ", new nodes" : ", re-use"));
            MakeWorld();
            M3DOMObject* parent = c.underParent ? AddNode("P") : nullptr;
            const int parentSize = WorldSize();
            EXPECT_EQ(Read(c.text, parent, createNew), c.result);
            EXPECT_EQ(TakeLog(), c.log);
            EXPECT_EQ(TakeQuitRequest(), c.quitCode);
            EXPECT_LE(WorldSize() - parentSize, M3DOMScripter::kMaxMadePerLoad);
            EXPECT_EQ(Scripter().m_bTemplateMode, 0);
            if (c.check)
                c.check(*m_pWorld);

            // The next load reads into the instance tree as usual.
            ASSERT_EQ(Read("Next\r\n{\r\n}\r\n"), 1);
            const M3DOMObject* next = m_pWorld->m_pInstanceTree->m_pRoot->FindByName("Next", 0);
            ASSERT_NE(next, nullptr);
            EXPECT_EQ(next->m_pTree, m_pWorld->m_pInstanceTree);
            EXPECT_EQ(TakeQuitRequest(), -1);
        }
    }
}

TEST_F(ScripterHostileTest, BlocksNested256DeepAreWithinTheLimit) {
    for (const int createNew : {1, 0}) {
        SCOPED_TRACE(createNew);
        MakeWorld();
        EXPECT_EQ(Read(Nested(256), nullptr, createNew), 256);
        EXPECT_EQ(TakeLog(), "");
        EXPECT_EQ(WorldSize(), 256);
    }
}

TEST_F(ScripterHostileTest, NoTextOrANegativeLengthReadsNothing) {
    EXPECT_EQ(Scripter().AddScriptMOsFromMemory(nullptr, nullptr, 0, 1), 0);
    EXPECT_EQ(Scripter().AddScriptMOsFromMemory(nullptr, nullptr, 10, 1), 0);
    EXPECT_EQ(Scripter().AddScriptMOsFromMemory(nullptr, "A\r\n{\r\n}\r\n", -1, 1), 0);
    EXPECT_EQ(Scripter().AddScriptMOs(nullptr, nullptr, 1), 0);
    EXPECT_EQ(WorldSize(), 0);
    EXPECT_EQ(TakeLog(), "");
}

}  // namespace
