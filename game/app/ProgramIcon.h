// The program's icon, compiled in from content/icon: registers it as resource 100.
#pragma once

void RegisterProgramIcon();
