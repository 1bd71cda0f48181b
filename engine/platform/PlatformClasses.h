// The run-time class records of the game window and the input devices.
#pragma once

// Brings the records into the program; call it before the first CClass::FindClass.
void RegisterPlatformClasses();
