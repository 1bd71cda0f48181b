// The world's named entries: names with a one-byte id and a word, in registration order. The
// game registers its interaction kinds here; a connection point takes the first entry whose
// name occurs in its tag's name as its kind.
#pragma once

#include <cstdint>

#include "engine/core/ObjectList.h"

struct CNamedEntry {
    char m_szName[16];  // at most 15 characters
    uint8_t m_nID;      // connection kinds: 255 drive belt, 254 power cable, 253 rope or fire, below 250 snap kinds
    uint32_t m_nValue;  // connection kinds: not 0 lets two points connect without facing each other
};

class CNamedEntryList : public CObjectList {
public:
    CNamedEntryList() : CObjectList(20) {}
    ~CNamedEntryList() override;

    // Appends an entry with the name cut to 15 characters and the low byte of id; none for no name.
    CNamedEntry* Add(const char* name, uint32_t id, uint32_t value);
    // The first entry, in registration order, whose name occurs anywhere inside text (case
    // counts); none when no name does.
    CNamedEntry* Find(const char* text) const;
    void Clear();
};
