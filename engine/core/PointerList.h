// The general pooled list of the engine and the game: a list of untyped pointers.
#pragma once

#include "engine/core/PooledList.h"

class CPointerList : public CPooledList<void*> {
public:
    using CPooledList::CPooledList;
};
