// The sound script: every block loads on the silent device, the sounds the game finds by name
// are there as 2D sounds that loop as the game plays them; and the music themes open as Ogg
// Vorbis.
#include <memory>
#include <string>

#include "engine/sound/ScriptSound.h"
#include "engine/sound/SoundOgg.h"
#include "tools/datacheck/DataCheck_local.h"
#include "tools/datacheck/ValueScriptBlocks.h"
#include "tools/sound/SoundMaker.h"

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
        // A sound script takes a file by the first ".ogg" or ".wav" in its name, which must end it.
        if (file && SoundContainerOf(file) == ESoundContainer::kNone) {
            m_problems.Add(place, std::string(file) +
                                      ": the game reads a sound only by a lower-case \".ogg\" or \".wav\" ending its "
                                      "name, the first in it");
            continue;
        }
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
    for (const CLookedUpSound& looked : m_lookups.sounds) {
        const CDataPlace place{script.path, 0, looked.name};
        const CScriptSound* sound = m_sounds.Find(looked.name);
        if (!sound) {
            m_problems.Add(place, "missing: the game looks this sound up");
            continue;
        }
        if (!sound->m_bSound2DLoaded) {
            m_problems.Add(place, "not a \"TOLPSOUND_SOUND_2D\": the game plays it as an effect");
            continue;
        }
        if ((sound->m_bLoop != 0) != looked.loop)
            m_problems.Add(place, looked.loop ? "does not loop (Loop 1): the game keeps it playing"
                                              : "loops (Loop 1): the game plays it once");
    }
}

void CRootCheck::CheckMusic() {
    for (const std::string& file : m_lookups.musicFiles) {
        if (!Present(CLookedUpFile{file.c_str(), true}, EOpen::kExactName))
            continue;
        CSoundOgg music;
        if (!music.Open(file.c_str(), 0))
            m_problems.Add(file, "does not open as Ogg Vorbis: the game plays it as music");
        music.Close();
    }
}
