// Every block of a value script in file order, owned: what the graphics, sound and dialog
// loaders read, kept so that each block can be checked on its own.
#pragma once

#include <memory>
#include <vector>

#include "engine/core/ValueScript.h"

class CValueScriptBlocks {
public:
    // False when the text cannot be read (an enciphered file the value-script key does not
    // open). Only for a file that exists: the reader creates a missing one.
    bool Load(const char* path);
    const std::vector<std::unique_ptr<CValueScript>>& All() const { return m_blocks; }

private:
    std::vector<std::unique_ptr<CValueScript>> m_blocks;
};

// The text of a block's key, or null when the block lacks it.
const char* FindValueText(const CValueScript& block, const char* key);
