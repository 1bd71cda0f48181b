#include "engine/sound/SoundClasses.h"

#include "engine/sound/ScriptSound.h"
#include "engine/sound/SoundDeviceOpenAL.h"
#include "engine/sound/SoundHandler.h"
#include "engine/sound/SoundOgg.h"
#include "engine/sound/SoundWave.h"

IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CSoundDevice, CObject)
IMPLEMENT_RUNTIME_CLASS(CSoundDeviceOpenAL, CSoundDevice)
IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CSound, CObject)
IMPLEMENT_RUNTIME_CLASS(CSoundOgg, CSound)
IMPLEMENT_RUNTIME_CLASS(CSoundWave, CSound)
IMPLEMENT_RUNTIME_CLASS(CScriptSound, CObject)
IMPLEMENT_RUNTIME_CLASS(CSoundHandler, CObject)

void RegisterSoundClasses() {}
