// The connector kinds: registered in their order into the world's named entries (how a tag
// finds its kind among them is tested with the world lists).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>

#include "game/app/NamedEntryList.h"
#include "game/flow/ConnectorKinds.h"

namespace {

constexpr uint8_t kDriveBelt = 255;
constexpr uint8_t kPowerCable = 254;
constexpr uint8_t kRope = 253;

TEST(ConnectorKindsTest, RegistersEveryKindInOrderWithWordZero) {
    struct Expected {
        const char* name;
        uint8_t id;
    };
    const Expected expected[] = {
        {"Pipe", 1},     {"Pipe", 1},            {"Gear", 5},     {"Mechanic", 10},      {"Magnetic", 11},
        {"Fire", kRope}, {"Power", kPowerCable}, {"Rope", kRope}, {"Wheel", kDriveBelt}, {"Light", 2},
        {"Heat", 3},     {"Wind", 4},            {"Force", 12},
    };
    ASSERT_EQ(std::size(CONNECTOR_KIND_TABLE), std::size(expected));

    CNamedEntryList list;
    ASSERT_EQ(RegisterConnectorKinds(&list), 1);
    ASSERT_EQ(list.m_pList->m_nCount, static_cast<int32_t>(std::size(expected)));
    size_t i = 0;
    for (CPointerList::Node* node = list.m_pList->m_pHead; node; node = node->m_pNext, ++i) {
        SCOPED_TRACE(i);
        const auto* entry = static_cast<const CNamedEntry*>(node->m_data);
        EXPECT_STREQ(entry->m_szName, expected[i].name);
        EXPECT_EQ(entry->m_nID, expected[i].id);
        EXPECT_EQ(entry->m_nValue, 0u);
    }
}

TEST(ConnectorKindsTest, NoListRegistersNothing) {
    EXPECT_EQ(RegisterConnectorKinds(nullptr), 0);
}

}  // namespace
