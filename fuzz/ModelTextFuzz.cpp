// Model texts from anywhere, through the model tool: refused with a message, or built into a
// file that the engine's model reader reads whole and finds valid.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics/Model.h"
#include "tools/model/ModelBuilder.h"
#include "tools/render/RecordingRenderDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!MakeModelFromText(text, &bytes, &error)) {
        if (error.empty())
            abort();
        return 0;
    }
    CRecordingRenderDevice device;
    if (!device.InitForTest(0, 0, 0))
        abort();
    CModel model;
    if (!model.LoadFromMemory(&device, bytes.data(), bytes.size()) || !model.IsValid())
        abort();
    return 0;
}
