// The data check: a game root loaded through the program's own loaders (graphics, shader and
// sound handlers, value scripts, the object-model scripter, the string table, the lab
// container) on a render device and a sound device that need no hardware, against what the
// game looks up.
#pragma once

#include <string>
#include <vector>

#include "tools/datacheck/GameLookups.h"

// The problems of the game root in the working directory, one line each naming the file and
// the line or block, in the order found; none when it is clean. Nothing in the root is
// written.
std::vector<std::string> CheckGameRoot(const CGameLookups& lookups);
