#include "winapi/base/FailureReason.h"

#include <cstdarg>
#include <cstdio>

namespace winapi {

namespace {
char g_reason[512];
}  // namespace

void SetFailureReason(const char* format, ...) {
    if (g_reason[0])
        return;
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(g_reason, sizeof g_reason, format, arguments);
    va_end(arguments);
}

const char* GetFailureReason() {
    return g_reason;
}

void ClearFailureReason() {
    g_reason[0] = '\0';
}

}  // namespace winapi
