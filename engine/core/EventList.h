// A pooled list of pairs of 32-bit words: the input device's event queue (type, value) and
// the application's display-mode list.
#pragma once

#include "engine/core/InputEvent.h"
#include "engine/core/PooledList.h"

class CEventList : public CPooledList<CInputEvent> {
public:
    using CPooledList::CPooledList;
};
