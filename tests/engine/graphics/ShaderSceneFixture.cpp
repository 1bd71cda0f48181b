#include "tests/engine/graphics/ShaderSceneFixture.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/Vector3.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/ShadowVolume.h"
#include "engine/graphics/ShadowVolumePass.h"
#include "tests/support/TempDir.h"

bool WriteTgaWithConvert(const std::string& path, int width, int height,
                         const std::function<uint32_t(int x, int y)>& texel, std::string* diagnostics) {
    char header[160];
    snprintf(header, sizeof header, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width,
             height);
    std::string bytes = header;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t argb = texel(x, y);
            for (const int shift : {16, 8, 0, 24})
                bytes.push_back(static_cast<char>((argb >> shift) & 0xFF));
        }
    }
    const std::string picture = path + ".pam";
    const std::string errors = path + ".err";
    WriteText(picture, bytes);
    const std::string command = "convert '" + picture + "' '" + path + "' 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    *diagnostics = "convert exited with " + std::to_string(status) + ": " + ReadText(errors);
    std::remove(picture.c_str());
    std::remove(errors.c_str());
    return status == 0 && FileExists(path);
}

bool DrawShadowVolumes(CRenderDevice* device, const std::vector<CShadowCaster>& casters, float length) {
    BeginShadowVolumes(device);
    bool drawn = true;
    for (const CShadowCaster& caster : casters) {
        CVector3 objectLight;
        ShadowLightInObjectSpace(caster.world, length, &objectLight);
        drawn = caster.pVolume->Build(objectLight) == 1 && drawn;
        device->SetTransform(kTransformWorld, &caster.world);
        drawn = DrawShadowVolumeCounted(device, caster.pVolume, caster.bMirrored) == 1 && drawn;
    }
    EndShadowVolumes(device);
    return drawn;
}
