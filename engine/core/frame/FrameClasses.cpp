#include "engine/core/frame/FrameClasses.h"

#include "engine/core/frame/BaseGame.h"

IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CBaseGame, CObject)

void RegisterFrameClasses() {}
