// TGA files from anywhere, read into a texture of the recording device: refused or read
// whole, never a read or write outside the data or the pixel buffer.
#include <cstdint>
#include <cstdlib>

#include "engine/graphics/Texture2D.h"
#include "tools/render/RecordingRenderDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRecordingRenderDevice device;
    if (!device.InitForTest(0, 0, 0))
        abort();
    {
        CTexture2D texture;
        if (texture.LoadTga(data, size, 0, 0, &device)) {
            const auto* record = device.Texture(texture.GetHandle());
            if (!record || record->uploads != 1 || !texture.m_pPixels)
                abort();
        }
    }
    return 0;
}
