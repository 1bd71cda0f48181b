#include "game/app/WinMain.h"

#include <cstring>

#include "engine/core/StrHelpers.h"
#include "game/app/Game.h"
#include "winapi/base/WinFloat.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    _controlfp(_PC_24, _MCW_PC);
    g_pGame = new CGame;
    const char* given = commandLine ? commandLine : "";
    const int length = static_cast<int>(strlen(given));
    char* copy = new char[length + 1]();
    SafeStrCopy(given, copy, length + 1);
    const int result = g_pGame->Run(instance, kValueScriptKey, copy);
    delete[] copy;
    delete g_pGame;
    g_pGame = nullptr;
    return result;
}
