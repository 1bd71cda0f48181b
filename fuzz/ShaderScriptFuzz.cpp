// Shader scripts from anywhere, parsed from memory with a graphics handler whose texture
// loads fail (it has no device, so no file is ever read): never a read outside the text,
// names within their field, copies as long as their originals, and every pass applied and
// reset on the recording device without a stage or texture transform past the device's eight.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Shader.h"
#include "engine/graphics/ShaderHandler.h"
#include "tools/render/RecordingRenderDevice.h"

namespace {

// Every stage index and texture transform the device was handed is one of its own.
bool CallsStayInTheStages(const CRecordingRenderDevice& device) {
    for (const std::string& call : device.m_Calls) {
        unsigned value = 0;
        if (sscanf(call.c_str(), "SetTextureStageState %u", &value) == 1 && value >= kShaderMaxStages)
            return false;
        if (sscanf(call.c_str(), "SetTexture %u", &value) == 1 && value >= kShaderMaxStages)
            return false;
        if (sscanf(call.c_str(), "SetTransform %u", &value) == 1 && value >= kTransformCount)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRecordingRenderDevice device;
    if (!device.InitForTest(0, 0, 0))
        abort();
    CGfxHandler gfx;
    gfx.Init(nullptr);
    CShaderHandler handler;
    handler.Init(&device);
    if (handler.LoadScriptFromMemory(reinterpret_cast<const char*>(data), size, &gfx) != 1)
        abort();
    if (gfx.m_pResources->m_nCount != 0)
        abort();
    const double times[2] = {0.0, 12.5};
    for (auto* node = handler.m_Shaders.m_pHead; node; node = node->m_pNext) {
        auto* entry = static_cast<CShaderHandler::CEntry*>(node->m_data);
        if (strnlen(entry->szName, sizeof entry->szName) >= sizeof entry->szName || entry->szName[0] == '\0')
            abort();
        if (handler.GetShader(entry->szName) == nullptr)
            abort();
        CShader copy;
        copy.Assign(entry->shader);
        if (copy.GetPassCount() != entry->shader.GetPassCount())
            abort();
        for (uint32_t i = 0; i < copy.GetPassCount(); ++i) {
            const CShaderPass* pass = copy.GetPass(i);
            if (pass->m_Stages.m_nCount != entry->shader.GetPass(i)->m_Stages.m_nCount)
                abort();
            for (const double& t : times) {
                copy.Apply(pass, &t);
                copy.ResetShaderStates(pass);
            }
        }
    }
    if (!CallsStayInTheStages(device))
        abort();
    return 0;
}
