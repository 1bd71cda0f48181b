// The Direct3D 9 layer's state, all of what the engine sets of it: render states, the eight
// stages' texture-stage and sampler states and their texture transforms. Read whole before
// and after a call, it shows what the call changed and nothing else.
#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/PixelFrame.h"
#include "winapi/d3d9/D3D9.h"

struct DeviceStates {
    static constexpr DWORD kStages = 8;

    std::vector<DWORD> render;
    std::vector<DWORD> stage;        // stage * kD3DStageStateCount + type
    std::vector<DWORD> sampler;      // stage * kD3DSamplerStateCount + type
    std::vector<float> transforms;   // stage * 16 + element, rows first

    void SetStage(DWORD stageIndex, DWORD type, DWORD value) { stage[stageIndex * kD3DStageStateCount + type] = value; }
    void SetSampler(DWORD stageIndex, DWORD type, DWORD value) {
        sampler[stageIndex * kD3DSamplerStateCount + type] = value;
    }
};

inline DeviceStates ReadStates(IDirect3DDevice9* device) {
    DeviceStates states;
    states.render.resize(kD3DRenderStateCount);
    for (DWORD i = 0; i < kD3DRenderStateCount; ++i)
        device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(i), &states.render[i]);
    states.stage.resize(DeviceStates::kStages * kD3DStageStateCount);
    states.sampler.resize(DeviceStates::kStages * kD3DSamplerStateCount);
    for (DWORD stage = 0; stage < DeviceStates::kStages; ++stage) {
        for (DWORD i = 0; i < kD3DStageStateCount; ++i)
            device->GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(i),
                                         &states.stage[stage * kD3DStageStateCount + i]);
        for (DWORD i = 0; i < kD3DSamplerStateCount; ++i)
            device->GetSamplerState(stage, static_cast<D3DSAMPLERSTATETYPE>(i),
                                    &states.sampler[stage * kD3DSamplerStateCount + i]);
        D3DMATRIX matrix{};
        device->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &matrix);
        states.transforms.insert(states.transforms.end(), &matrix.m[0][0], &matrix.m[0][0] + 16);
    }
    return states;
}

// Empty when equal; else one line per differing entry.
inline std::string StateDifferences(const DeviceStates& expected, const DeviceStates& actual) {
    std::ostringstream out;
    for (size_t i = 0; i < expected.render.size(); ++i) {
        if (expected.render[i] != actual.render[i])
            out << "render state " << i << ": expected " << Hex(expected.render[i]) << ", got "
                << Hex(actual.render[i]) << "\n";
    }
    for (size_t i = 0; i < expected.stage.size(); ++i) {
        if (expected.stage[i] != actual.stage[i])
            out << "stage " << i / kD3DStageStateCount << " texture-stage state " << i % kD3DStageStateCount
                << ": expected " << Hex(expected.stage[i]) << ", got " << Hex(actual.stage[i]) << "\n";
    }
    for (size_t i = 0; i < expected.sampler.size(); ++i) {
        if (expected.sampler[i] != actual.sampler[i])
            out << "sampler " << i / kD3DSamplerStateCount << " state " << i % kD3DSamplerStateCount
                << ": expected " << Hex(expected.sampler[i]) << ", got " << Hex(actual.sampler[i]) << "\n";
    }
    for (size_t i = 0; i < expected.transforms.size(); ++i) {
        if (expected.transforms[i] != actual.transforms[i])
            out << "texture transform " << i / 16 << " element " << i % 16 << ": expected " << expected.transforms[i]
                << ", got " << actual.transforms[i] << "\n";
    }
    return out.str();
}
