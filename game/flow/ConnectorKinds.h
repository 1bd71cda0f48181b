// The connector kinds: the interaction categories that decide every connection point's kind.
// The controller registers them at set-up; tools and tests that load element scripts need
// them too, since points built before the registration get no kind.
#pragma once

#include <cstdint>

class CNamedEntryList;

struct CConnectorKind {
    const char* m_szName;  // found inside tag names
    uint32_t m_nID;        // 255 drive belt, 254 power cable, 253 rope or fire, below 250 snap kinds
    uint32_t m_nValue;     // not 0 lets two points connect without facing each other
};

// In registration order: a tag takes the first name it contains, so the order decides.
inline constexpr CConnectorKind CONNECTOR_KIND_TABLE[] = {
    {"Pipe", 1, 0},   {"Pipe", 1, 0},    {"Gear", 5, 0},   {"Mechanic", 10, 0}, {"Magnetic", 11, 0},
    {"Fire", 253, 0}, {"Power", 254, 0}, {"Rope", 253, 0}, {"Wheel", 255, 0},   {"Light", 2, 0},
    {"Heat", 3, 0},   {"Wind", 4, 0},    {"Force", 12, 0},
};

// Appends every kind of the table to the list in order; 0 for no list.
int RegisterConnectorKinds(CNamedEntryList* entries);
