// What tests give the multimedia stand-in (a disc, mixers) and read back from it. Production
// code never includes this header.
#pragma once

#include <string>
#include <vector>

#include "winapi/mm/WinMm.h"

namespace winapi {

// An audio disc of that many tracks (0: no disc, as at start).
void SetCdTracks(int tracks);
// The system's mixers, each with or without a compact-disc line (none at start).
void SetMixers(const std::vector<bool>& withCdLine);
// The volume a mixer's compact-disc line holds.
DWORD MixerCdVolume(int mixer);
// The command strings sent so far, and forgetting them.
const std::vector<std::string>& SentCommands();
void ClearSentCommands();
// Whether the last play command asked for a notification, and to which window.
HWND LastNotifyWindow();

}  // namespace winapi
