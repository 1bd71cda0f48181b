// A window and the Direct3D 9 render device on it for one benchmark, shut down with it.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/ViewportWin32.h"

struct CBenchDevice {
    CViewportWin32 viewport;
    CRenderDeviceDX9 device;
    bool started = false;

    // Opens both, windowed, with the given pools; false, the benchmark marked skipped with
    // what is missing, when either cannot be opened (no display, no device).
    bool Start(benchmark::State& state, uint32_t width, uint32_t height, uint32_t pct2Count, uint32_t prc2t1Count) {
        if (!viewport.Create(nullptr, static_cast<int>(width), static_cast<int>(height), 0)) {
            state.SkipWithError("no window (is there a display?)");
            return false;
        }
        if (!device.Init(&viewport, width, height, 32, 0, 0, 0, 0, pct2Count, prc2t1Count, nullptr, 0)) {
            viewport.Close();
            state.SkipWithError("no render device");
            return false;
        }
        started = true;
        return true;
    }

    ~CBenchDevice() {
        if (started) {
            device.Shutdown();
            viewport.Close();
        }
    }
};
