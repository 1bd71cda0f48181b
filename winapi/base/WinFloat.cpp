#include "winapi/base/WinFloat.h"

namespace {

// What the control word reads as on the platform the game was written for: 53-bit precision,
// round to nearest, every exception masked.
constexpr unsigned int kDefaultControlWord = 0x0009001F;

}  // namespace

unsigned int _controlfp(unsigned int, unsigned int) {
    return kDefaultControlWord;
}
