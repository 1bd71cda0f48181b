// The run-time class record of the application frame.
#pragma once

// Referencing this makes "CBaseGame" known by name (as an abstract class).
void RegisterFrameClasses();
