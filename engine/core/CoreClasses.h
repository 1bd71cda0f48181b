// The run-time class records of the engine core.
#pragma once

// Brings the core's class records into the program. Records are static objects registered
// before main; calling this from the program (or a test) is what keeps the linker from
// dropping them, so call it before the first CClass::FindClass.
void RegisterCoreClasses();
