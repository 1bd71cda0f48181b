// The hand-over between the event pump's input handling and the input devices. Only the
// layer's own files include this.
#pragma once

#include <cstdint>
#include <string>

#include "winapi/window/DInput.h"
#include "winapi/window/WindowTestHooks.h"

namespace winapi::detail {

bool InputStepFails(EInputStep step);

// Appends a record to every acquired device of that kind; returns the record's sequence
// number (0 when no device took it).
DWORD AppendKeyboardRecord(DWORD keyCode, DWORD data, DWORD time);
DWORD AppendMouseRecord(DWORD offset, DWORD data, DWORD time);
// Relative mouse movement for the devices' immediate state.
void AccumulateMouse(LONG dx, LONG dy, LONG dz);
// Pairs Windows-1252 characters with the key-down record of that sequence number, while it
// still waits in a device buffer.
void AttachCharacters(DWORD sequence, const std::string& characters);
// Unacquires every acquired device and remembers it; ResumeSuspendedDevices acquires those
// again.
void SuspendAcquiredDevices();
void ResumeSuspendedDevices();

// The layer's own key and button state (bit 7 down), kept from the events it hands out.
BYTE* KeyStates();
BYTE* ButtonStates();

// The characters of the key-downs handed out by the last keyboard fetch, in order, for
// ToAsciiEx.
void ClearDeliveredCharacters();
void AddDeliveredCharacters(DWORD keyCode, const BYTE* characters, int count);

}  // namespace winapi::detail
