// The tables from the engine's codes to Direct3D 9 values (the index is the engine code).
#pragma once

#include <cstdint>

namespace dx9tables {

extern const uint32_t kPixelFormats[34];
extern const uint32_t kPrimitiveTypes[6];
extern const uint32_t kRenderStates[68];
extern const uint32_t kPools[4];
extern const uint32_t kLightTypes[3];
extern const uint32_t kMultisample[17];

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
