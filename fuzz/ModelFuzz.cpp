// Model files from anywhere, read into a model of the recording device: refused whole (the
// model left empty) or read whole, and then drawn, blended, bounded and picked without a
// read outside the data or the buffers.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/core/Frustum.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/VertexBuffer.h"
#include "tools/render/RecordingRenderDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRecordingRenderDevice device;
    if (!device.InitForTest(64, 0, 0))
        abort();
    CModel model;
    if (!model.LoadFromMemory(&device, data, size)) {
        if (model.m_pVertexBuffer || model.m_pIndexBuffer || model.GetFrameCount() || model.m_nSpheres ||
            model.m_nBoxes)
            abort();
        return 0;
    }
    const uint32_t frames = model.GetFrameCount();
    const uint32_t vertices = model.GetVertexCount();
    const auto* indices = reinterpret_cast<const uint16_t*>(
        device.IndexBuffer(model.m_pIndexBuffer->GetHandle())->bytes.data());
    for (uint32_t i = 0; i < model.GetTriangleCount() * 3; ++i) {
        if (indices[i] >= vertices)
            abort();
    }
    for (uint32_t tag = 0; tag < model.GetTagCount(); ++tag) {
        if (strlen(model.GetTagName(tag)) > 16 || !model.GetTagMatrix(frames - 1, tag))
            abort();
    }
    model.Draw(&device, frames - 1);
    model.BlendFrames(&device, 0, frames - 1, 0.25f);
    CVector3 min, max;
    model.GetBounds(&min, &max, frames - 1);
    float distance;
    model.RayPick(CVector3(0, 0, -10), CVector3(0.1f, 0.2f, 1), CMatrix::Identity(), &distance);
    CFrustum frustum;
    frustum.m_pPlanes->Append(CPlane{0, 0, 1, 5});
    model.CollideVolume(CMatrix::Identity(), frustum);
    model.CollideModel(CMatrix::Identity(), &model, CMatrix::Identity());
    return 0;
}
