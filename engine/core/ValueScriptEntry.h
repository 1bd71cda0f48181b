// One key/value pair of a value-script block.
#pragma once

#include <cstdint>

#include "engine/core/DynString.h"

class CValueScriptEntry {
public:
    float m_fNumber = 0.0f;  // the value read as a number (atof rules; 0 without one)
    CDynString m_sValue;     // the value text, without quotes
    CDynString m_sKey;
    int32_t m_bQuoted = 0;   // written between double quotes
};
