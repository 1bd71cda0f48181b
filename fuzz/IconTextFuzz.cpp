// Icon text from anywhere: parsed without crashing, and a parsed icon has all its pixels.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/icon/IconText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIconImage icon;
    std::string error;
    if (ParseIconText(std::string(reinterpret_cast<const char*>(data), size), &icon, &error) &&
        icon.rgba.size() != static_cast<size_t>(icon.width) * static_cast<size_t>(icon.height) * 4)
        abort();
    return 0;
}
