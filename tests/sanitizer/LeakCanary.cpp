// A program that leaks on purpose, after the GL driver and the window system are loaded and
// the device shut down as every drawing test does: the sanitizer stage checks that the leak
// check still reports a leak of the project's own code in such a program.
#include <cstdio>

#include "engine/core/DynString.h"
#include "tests/support/PictureDevice.h"

// The string's only pointer, dropped once it is made.
CDynString* volatile g_pLeakedString = nullptr;

namespace {

// Kept out of line so that the report names it.
[[gnu::noinline]] void LeakAStringOnPurpose() {
    g_pLeakedString = new CDynString("never freed", 0);
    g_pLeakedString->Append(" on purpose", 64);
    g_pLeakedString = nullptr;
}

}  // namespace

int main() {
    {
        CPictureDevice picture;
        if (!picture.Open("leak_canary", 64, 48, 64, 64, 64))
            return 1;
        picture.device.Present();
    }
    LeakAStringOnPurpose();
    puts("leak_canary: leaked one string");
    return 0;
}
