// The world's lists: named entries looked up by the names inside tag names, and particle
// systems created by kind, stepped together and removed one by one or all at once.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/core/Random.h"
#include "engine/graphics/ParticleConeEmitter.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleGravityModifier.h"
#include "game/app/EmitterList.h"
#include "game/app/NamedEntryList.h"
#include "game/flow/ConnectorKinds.h"

namespace {

// --- named entries ----------------------------------------------------------------------------------

TEST(NamedEntryListTest, TagsTakeTheFirstRegisteredNameTheyContain) {
    CNamedEntryList list;
    ASSERT_EQ(RegisterConnectorKinds(&list), 1);
    EXPECT_EQ(list.m_pList->m_nCount, 13);
    struct Case {
        const char* tag;
        int id;  // -1: no entry
    };
    const Case cases[] = {
        {"Pipe1", 1},         {"Gear", 5},          {"GearFire", 5},       {"FireGear", 5},
        {"left_Wheel_02", 255}, {"PowerIn", 254},   {"RopeEnd", 253},      {"MagneticPole", 11},
        {"Lightbulb", 2},     {"WindOut", 4},       {"HeatPlate", 3},      {"ForceCone", 12},
        {"gear", -1},         {"PIPE", -1},         {"Flag", -1},          {"", -1},
        {"MechanicPowerRope", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        const CNamedEntry* entry = list.Find(c.tag);
        if (c.id < 0) {
            EXPECT_EQ(entry, nullptr);
            continue;
        }
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->m_nID, c.id);
        EXPECT_NE(strstr(c.tag, entry->m_szName), nullptr);
    }
    // Of two entries with the same name the first answers.
    EXPECT_EQ(list.Find("Pipe"), list.m_pList->m_pHead->m_data);
    EXPECT_EQ(list.Find(nullptr), nullptr);
}

TEST(NamedEntryListTest, EntriesKeepAShortNameTheLowByteAndTheWord) {
    CNamedEntryList list;
    struct Case {
        const char* name;
        uint32_t id;
        uint32_t value;
        const char* stored;
        uint8_t storedId;
    };
    const Case cases[] = {
        {"Pipe", 1, 0, "Pipe", 1},
        {"Belt", 0x1FF, 7, "Belt", 0xFF},
        {"ExactlyFifteen!", 250, 0xFFFFFFFF, "ExactlyFifteen!", 250},
        {"SixteenCharacter", 3, 1, "SixteenCharacte", 3},
        {"AVeryLongCategoryName", 0x12345678, 2, "AVeryLongCatego", 0x78},
    };
    std::vector<CNamedEntry*> entries;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CNamedEntry* entry = list.Add(c.name, c.id, c.value);
        ASSERT_NE(entry, nullptr);
        EXPECT_STREQ(entry->m_szName, c.stored);
        EXPECT_EQ(entry->m_nID, c.storedId);
        EXPECT_EQ(entry->m_nValue, c.value);
        entries.push_back(entry);
    }
    // In registration order.
    size_t i = 0;
    for (CPointerList::Node* node = list.m_pList->m_pHead; node; node = node->m_pNext, ++i)
        EXPECT_EQ(node->m_data, entries[i]);
    EXPECT_EQ(i, entries.size());
    // The cut name is what matches.
    EXPECT_EQ(list.Find("xxSixteenCharactexx"), entries[3]);
    EXPECT_EQ(list.Add(nullptr, 1, 1), nullptr);
    EXPECT_EQ(list.m_pList->m_nCount, 5);
}

TEST(NamedEntryListTest, AnEmptyNameMatchesEveryTagAndClearForgetsAll) {
    CNamedEntryList list;
    list.Add("Gear", 5, 0);
    CNamedEntry* empty = list.Add("", 9, 0);
    EXPECT_EQ(list.Find("Gear2")->m_nID, 5);
    EXPECT_EQ(list.Find("Anything"), empty);
    EXPECT_EQ(list.Find(""), empty);
    list.Clear();
    EXPECT_EQ(list.m_pList->m_nCount, 0);
    EXPECT_EQ(list.Find("Gear2"), nullptr);
    // Usable again afterwards.
    list.Add("Rope", 253, 1);
    EXPECT_EQ(list.Find("RopeA")->m_nValue, 1u);
}

// --- emitters -------------------------------------------------------------------------------------------

class EmitterListTest : public ::testing::Test {
protected:
    void TearDown() override { SeedRandomNumbers(1); }

    std::vector<CEmitterEntry*> Entries() const {
        std::vector<CEmitterEntry*> entries;
        for (CPointerList::Node* node = m_list.m_pList->m_pHead; node; node = node->m_pNext)
            entries.push_back(static_cast<CEmitterEntry*>(node->m_data));
        return entries;
    }

    CEmitterList m_list;
};

TEST_F(EmitterListTest, CreateMakesTheSystemOfTheKind) {
    struct Case {
        uint32_t kind;
        bool standard;
        bool cone;
    };
    const Case cases[] = {{1, true, false}, {2, false, true}, {3, false, false}, {0, false, false}};
    std::vector<CEmitterEntry*> created;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind);
        CEmitterEntry* entry = m_list.Create(c.kind, 100 + c.kind, 200 + c.kind);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->m_pEmitter != nullptr, c.standard);
        EXPECT_EQ(entry->m_pConeEmitter != nullptr, c.cone);
        EXPECT_EQ(entry->m_nParam1, 100 + c.kind);
        EXPECT_EQ(entry->m_nParam2, 200 + c.kind);
        created.push_back(entry);
    }
    EXPECT_EQ(Entries(), created) << "in creation order";
}

TEST_F(EmitterListTest, UpdateStepsEverySystemAndSkipsEntriesWithout) {
    CEmitterEntry* standard = m_list.Create(CEmitterList::kKindStandard, 0, 0);
    CEmitterEntry* nothing = m_list.Create(3, 0, 0);
    CEmitterEntry* cone = m_list.Create(CEmitterList::kKindCone, 0, 0);
    ASSERT_EQ(standard->m_pEmitter->Init(100, 1), 1);
    ASSERT_EQ(cone->m_pConeEmitter->Init(100, 2), 1);
    standard->m_pEmitter->m_fRate = 32.0f;
    cone->m_pConeEmitter->m_fRate = 16.0f;
    cone->m_pConeEmitter->m_fLife = 100.0f;
    standard->m_pEmitter->m_fLife = 0.125f;
    for (int i = 0; i < 4; ++i)
        m_list.Update(0.0625);
    // Two a step living two steps; one a step living on.
    EXPECT_EQ(standard->m_pEmitter->m_nLive, 4u);
    EXPECT_EQ(cone->m_pConeEmitter->m_nLive, 4u);
    EXPECT_EQ(nothing->m_pEmitter, nullptr);
    EXPECT_EQ(nothing->m_pConeEmitter, nullptr);
    // Moved by the time step: the cone's first particle rose 4/16 at speed 1.
    EXPECT_NEAR(cone->m_pConeEmitter->m_pParticles[0].vPosition.Length(), 0.25f, 1e-5f);
}

TEST_F(EmitterListTest, RemoveDeletesOneEntryOnce) {
    CParticleGravityModifier gravity;
    CEmitterEntry* first = m_list.Create(CEmitterList::kKindCone, 1, 0);
    CEmitterEntry* second = m_list.Create(CEmitterList::kKindStandard, 2, 0);
    CEmitterEntry* third = m_list.Create(3, 3, 0);
    ASSERT_EQ(second->m_pEmitter->Init(10, 1), 1);
    second->m_pEmitter->AttachModifier(&gravity);
    first->m_pConeEmitter->AttachModifier(&gravity);
    EXPECT_EQ(gravity.m_pSystems->m_nCount, 2);

    m_list.Remove(second);
    EXPECT_EQ(Entries(), (std::vector<CEmitterEntry*>{first, third}));
    EXPECT_EQ(gravity.m_pSystems->m_nCount, 1) << "the deleted system let go of its modifier";
    m_list.Remove(second);  // already gone
    m_list.Remove(nullptr);
    CEmitterEntry stranger{};
    m_list.Remove(&stranger);
    EXPECT_EQ(Entries(), (std::vector<CEmitterEntry*>{first, third}));
    m_list.Update(0.01);

    m_list.Remove(third);
    m_list.Remove(first);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(gravity.m_pSystems->m_nCount, 0);
    // The list goes on after being emptied.
    CEmitterEntry* again = m_list.Create(CEmitterList::kKindCone, 4, 0);
    EXPECT_EQ(Entries(), std::vector<CEmitterEntry*>{again});
}

TEST_F(EmitterListTest, DeleteAllAndTheDestructorDeleteEverySystem) {
    CParticleGravityModifier gravity;
    for (uint32_t kind = 1; kind <= 3; ++kind) {
        CEmitterEntry* entry = m_list.Create(kind, kind, 0);
        if (entry->m_pConeEmitter)
            entry->m_pConeEmitter->AttachModifier(&gravity);
    }
    m_list.DeleteAll();
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(gravity.m_pSystems->m_nCount, 0);
    m_list.Create(CEmitterList::kKindStandard, 0, 0);
    m_list.Update(0.01);

    // A list going away takes its systems with it, and they let go of their modifiers.
    auto owned = std::make_unique<CEmitterList>();
    CEmitterEntry* entry = owned->Create(CEmitterList::kKindStandard, 0, 0);
    entry->m_pEmitter->AttachModifier(&gravity);
    owned->Create(CEmitterList::kKindCone, 0, 0)->m_pConeEmitter->AttachModifier(&gravity);
    EXPECT_EQ(gravity.m_pSystems->m_nCount, 2);
    owned.reset();
    EXPECT_EQ(gravity.m_pSystems->m_nCount, 0);
}

}  // namespace
