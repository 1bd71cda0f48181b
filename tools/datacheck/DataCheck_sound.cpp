// The sound script: every block loads on the silent device, and the sounds the game finds by
// name are there.
#include <memory>
#include <string>

#include "engine/sound/ScriptSound.h"
#include "tools/datacheck/DataCheck_local.h"
#include "tools/datacheck/ValueScriptBlocks.h"

void CRootCheck::CheckSoundScript() {
    const CLookedUpFile& script = m_lookups.soundScript;
    CValueScriptBlocks blocks;
    LoadBlocks(script, &blocks);
    for (const auto& block : blocks.All()) {
        const CDataPlace place{script.path, 0, block->m_sName.GetText()};
        if (!FindValueText(*block, "Type")) {
            m_problems.Add(place, "no Type");
            continue;
        }
        const char* file = FindValueText(*block, "File");
        if (file && !Present(place, file, true, EOpen::kExactName))
            continue;
        auto sound = std::make_unique<CScriptSound>();
        if (!sound->Load(block.get(), &m_soundDevice, &m_sounds)) {
            m_problems.Add(place, file ? std::string(file) + " does not load as a sound" : std::string("no File"));
            continue;
        }
        if (!sound->m_bSound2DLoaded && !sound->m_bMusicLoaded)
            m_problems.Add(place, std::string("Type \"") + FindValueText(*block, "Type") +
                                      "\" is no kind of sound: the game keeps the block silent");
        m_sounds.m_pSounds->Append(sound.release());
    }
    for (const char* name : m_lookups.sounds) {
        if (!m_sounds.Find(name))
            m_problems.Add({script.path, 0, name}, "missing: the game looks this sound up");
    }
}
