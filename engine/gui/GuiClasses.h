// Referencing this makes every interface window class of the engine creatable by name.
#pragma once

void RegisterGuiClasses();
