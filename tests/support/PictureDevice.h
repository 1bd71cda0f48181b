// The window and render device a picture program draws on, shut down with it, and the back
// buffer written out as a PNG for a person to look at.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/platform/ViewportWin32.h"
#include "tests/support/PngWriter.h"
#include "winapi/d3d9/D3D9TestHooks.h"

class CPictureDevice {
public:
    CPictureDevice() = default;
    CPictureDevice(const CPictureDevice&) = delete;
    CPictureDevice& operator=(const CPictureDevice&) = delete;
    ~CPictureDevice() {
        if (m_bOpen) {
            device.Shutdown();
            viewport.Close();
        }
    }

    // Opens a window of the size and the device on it with the given pools; false, with a
    // message naming the program, when either cannot be opened.
    bool Open(const char* program, int width, int height, uint32_t pnt1Count, uint32_t pct2Count,
              uint32_t prc2t1Count) {
        if (!viewport.Create(nullptr, width, height, 0)) {
            fprintf(stderr, "%s: no window (is there a display?)\n", program);
            return false;
        }
        if (!device.Init(&viewport, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 32, 0, 0, 0,
                         pnt1Count, pct2Count, prc2t1Count, nullptr, 0)) {
            fprintf(stderr, "%s: no render device\n", program);
            viewport.Close();
            return false;
        }
        m_bOpen = true;
        return true;
    }

    // Writes what was drawn to the PNG, then presents; false when the back buffer cannot be
    // read or the file written.
    bool WriteBackBuffer(const std::string& path, int* width, int* height) {
        std::vector<uint32_t> pixels;
        const bool written = winapi::d3d::ReadBackBuffer(device.m_pDevice, &pixels, width, height) &&
                             WritePng(path, pixels, *width, *height);
        device.Present();
        return written;
    }

    CViewportWin32 viewport;
    CRenderDeviceDX9 device;

private:
    bool m_bOpen = false;
};
