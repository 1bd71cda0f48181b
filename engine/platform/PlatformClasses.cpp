#include "engine/platform/PlatformClasses.h"

#include "engine/platform/InputDeviceDX.h"
#include "engine/platform/ViewportWin32.h"

IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CViewport, CObject)
IMPLEMENT_RUNTIME_CLASS(CViewportWin32, CViewport)
IMPLEMENT_ABSTRACT_RUNTIME_CLASS(CInputDevice, CObject)
IMPLEMENT_RUNTIME_CLASS(CInputDeviceDX, CInputDevice)

void RegisterPlatformClasses() {}
