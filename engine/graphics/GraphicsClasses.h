// The run-time class records of the render device and the renderer resources.
#pragma once

// Brings the records into the program; call it before the first CClass::FindClass.
void RegisterGraphicsClasses();
