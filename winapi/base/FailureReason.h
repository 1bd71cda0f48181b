// The platform's own words for what the layer could not do: SDL's or OpenGL's error text, a
// refused size. The layer's calls still fail as the platform's do; this only lets the program
// tell a person why it could not start. The first failure since the last clear is kept: the
// ones after it are mostly its consequences.
#pragma once

namespace winapi {

void SetFailureReason(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The first reason set since the last clear, or "" when none was.
const char* GetFailureReason();
void ClearFailureReason();

}  // namespace winapi
