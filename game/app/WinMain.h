// The program's entry as the game defines it: one application object, run with the value
// scripts' key over the command line. The executable's main calls it; tests call it too.
#pragma once

#include "winapi/base/WinTypes.h"

// The key of the game's enciphered value scripts.
inline constexpr const char* kValueScriptKey = "pv263918";

// Sets the global application pointer for the run and clears it after; returns Run's result:
// 0 when the engine did not start, else 1.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showFlag);
