// The run-time class records of the sound devices, sounds and scripted sounds.
#pragma once

// Brings the records into the program; call it before the first CClass::FindClass.
void RegisterSoundClasses();
