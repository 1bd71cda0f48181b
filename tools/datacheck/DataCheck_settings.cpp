// The system and settings scripts: each there under its name, readable, with the blocks the
// game reads from it.
#include <algorithm>
#include <cstring>
#include <memory>

#include "tools/datacheck/DataCheck_local.h"
#include "tools/datacheck/ValueScriptBlocks.h"

void CRootCheck::CheckValueScripts() {
    for (const CValueScriptLookup& script : m_lookups.valueScripts) {
        CValueScriptBlocks blocks;
        if (!LoadBlocks(script.file, &blocks))
            continue;
        for (const char* name : script.blocks) {
            const bool found = !name || std::any_of(blocks.All().begin(), blocks.All().end(),
                                                    [name](const std::unique_ptr<CValueScript>& block) {
                                                        return strcmp(block->m_sName.GetText(), name) == 0;
                                                    });
            if (!found)
                m_problems.Add({script.file.path, 0, name}, "no such block: the game would read only defaults");
        }
    }
}
