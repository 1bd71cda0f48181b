// Libraries by name: the layer links in what the platform would load at run time, so a
// library "loads" when the layer provides it.
#include <strings.h>

#include <cstring>

#include "winapi/window/DInput_local.h"
#include "winapi/window/WinWindow.h"

namespace {

HMODULE InputModule() {
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x5000));
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR name) {
    if (!name || strcasecmp(name, "dinput8.dll") != 0)
        return nullptr;
    return winapi::detail::InputStepFails(winapi::EInputStep::kLoadLibrary) ? nullptr : InputModule();
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (module != InputModule() || !name || strcmp(name, "DirectInput8Create") != 0 ||
        winapi::detail::InputStepFails(winapi::EInputStep::kGetProcAddress))
        return nullptr;
    return reinterpret_cast<FARPROC>(&DirectInput8Create);
}

BOOL FreeLibrary(HMODULE module) {
    return module == InputModule() ? TRUE : FALSE;
}
