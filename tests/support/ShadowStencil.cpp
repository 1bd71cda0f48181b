#include "tests/support/ShadowStencil.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "tests/support/SceneWindow.h"

namespace {

// The stencil values the probe tells apart, and the colour each is drawn in.
const std::pair<int, uint32_t> kProbes[] = {{0, 0x0000FF}, {1, 0x00FF00}, {2, 0xFF0000},
                                             {3, 0xFFFF00}, {255, 0xFF00FF}, {254, 0x00FFFF}};

}  // namespace

void DarkenShadows(CRenderDevice* device, int width, int height) {
    device->SetRenderState(kRenderDepthTest, 0);
    device->SetRenderState(kRenderStencilEnable, 1);
    device->SetRenderState(kRenderAlphaBlendEnable, 1);
    device->SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
    device->SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
    device->SetTextureStageState(0, kStageAlphaArgument1, 2);  // texture
    device->SetTextureStageState(0, kStageAlphaArgument2, 0);  // diffuse
    device->SetTextureStageState(0, kStageAlphaOperation, kOpModulate);
    device->SetRenderState(kRenderStencilReference, 1);
    device->SetRenderState(kRenderStencilCompare, kCompareLessEqual);
    device->SetRenderState(kRenderStencilPass, kStencilKeep);
    device->DrawQuad2D(0.0f, 0.0f, 0.5f, static_cast<float>(width), static_cast<float>(height), 0x80000000, 0.0f, 0.0f,
                       1.0f, 1.0f);
    device->SetTextureStageState(0, kStageAlphaOperation, kOpSelectArgument1);
    device->SetRenderState(kRenderDepthTest, 1);
    device->SetRenderState(kRenderStencilEnable, 0);
    device->SetRenderState(kRenderAlphaBlendEnable, 0);
}

// One full-window quad per value, drawn only where the stencil equals it, each in its own
// colour; the colours read back name the values.
std::vector<int> ReadStencil(CSceneWindow* scene) {
    CRenderDevice& device = scene->m_Device;
    device.Clear(kClearTarget, 0xFF808080, 1.0f, 0);
    device.SetRenderState(kRenderDepthTest, 0);
    device.SetRenderState(kRenderStencilEnable, 1);
    device.SetRenderState(kRenderStencilCompare, kCompareEqual);
    device.SetRenderState(kRenderStencilPass, kStencilKeep);
    for (const auto& [value, colour] : kProbes) {
        device.SetRenderState(kRenderStencilReference, static_cast<uint32_t>(value));
        device.DrawQuad2D(0.0f, 0.0f, 0.5f, static_cast<float>(scene->m_nWidth), static_cast<float>(scene->m_nHeight),
                          0xFF000000 | colour, 0.0f, 0.0f, 1.0f, 1.0f);
    }
    device.SetRenderState(kRenderStencilEnable, 0);
    device.SetRenderState(kRenderDepthTest, 1);
    device.EndScene();
    const PixelFrame frame = scene->Grab();
    std::vector<int> values(frame.pixels.size(), kStencilUnknown);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            for (const auto& [value, colour] : kProbes) {
                if (frame.At(x, y) == colour)
                    values[static_cast<size_t>(y) * frame.width + x] = value;
            }
        }
    }
    return values;
}
