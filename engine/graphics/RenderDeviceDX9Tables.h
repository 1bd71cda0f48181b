// The tables from the engine's codes to Direct3D 9 values (the index is the engine code).
#pragma once

#include <array>
#include <cstdint>

#include "engine/graphics/RenderCodes.h"
#include "winapi/d3d9/D3D9.h"

namespace dx9tables {

extern const std::array<D3DFORMAT, kFormatCount> kPixelFormats;
extern const std::array<D3DPRIMITIVETYPE, kPrimitiveTriangleFan + 1> kPrimitiveTypes;
extern const std::array<D3DRENDERSTATETYPE, kRenderStateCount> kRenderStates;
extern const std::array<D3DPOOL, kPoolScratch + 1> kPools;
extern const std::array<D3DLIGHTTYPE, kLightDirectional + 1> kLightTypes;

// The multisample type for a sample count; none past the largest count Direct3D knows.
D3DMULTISAMPLE_TYPE MultisampleType(uint32_t samples);

// A render-state value through its state's value family; false for a value outside the
// family (the state is then left alone).
bool MapRenderStateValue(uint32_t state, uint32_t value, uint32_t* mapped);

// Where an engine texture-stage code goes: a texture-stage state or a sampler state.
struct StageTarget {
    bool bSampler;
    uint32_t nType;
};
// false for codes that are not applied, or values outside their family.
bool MapStageState(uint32_t state, uint32_t value, StageTarget* target, uint32_t* mapped);

}  // namespace dx9tables
