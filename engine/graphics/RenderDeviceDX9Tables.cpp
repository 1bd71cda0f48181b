#include "engine/graphics/RenderDeviceDX9Tables.h"

namespace dx9tables {

const uint32_t kPixelFormats[34] = {0,  20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 34, 40, 41, 50,
                                    51, 52, 60, 61, 62, 63, 64, 67, 70, 71, 73, 75, 80, 77, 79, 101, 102};
const uint32_t kPrimitiveTypes[6] = {1, 2, 3, 4, 5, 6};
const uint32_t kRenderStates[68] = {7,   8,   9,   14,  15,  16,  19,  20,  22,  23,  24,  25,  26,  27,
                                    28,  29,  34,  35,  36,  37,  38,  48,  52,  53,  54,  55,  56,  57,
                                    58,  59,  60,  128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 139,
                                    140, 141, 142, 143, 145, 146, 147, 148, 151, 152, 154, 155, 156, 157,
                                    158, 159, 160, 161, 162, 163, 165, 166, 167, 168, 170, 171};
const uint32_t kPools[4] = {0, 1, 2, 3};
const uint32_t kLightTypes[3] = {1, 2, 3};
const uint32_t kMultisample[17] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

namespace {

const uint32_t kDepthBuffer[3] = {0, 1, 2};
const uint32_t kOneToThree[3] = {1, 2, 3};          // fill, shade and cull modes
const uint32_t kBlend[15] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const uint32_t kOneToEight[8] = {1, 2, 3, 4, 5, 6, 7, 8};  // compare functions, stencil operations
const uint32_t kFogMode[4] = {0, 1, 2, 3};
const uint32_t kTextureOperation[26] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                        14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
const uint32_t kAddress[5] = {1, 2, 3, 4, 5};
const uint32_t kFilter[6] = {0, 1, 2, 3, 6, 7};
const uint32_t kTransformFlags[6] = {0, 1, 2, 3, 4, 256};

template <uint32_t N>
bool Through(const uint32_t (&table)[N], uint32_t value, uint32_t* mapped) {
    if (value >= N)
        return false;
    *mapped = table[value];
    return true;
}

}  // namespace

bool MapRenderStateValue(uint32_t state, uint32_t value, uint32_t* mapped) {
    switch (state) {
    case 0:
    case 3:
        return Through(kDepthBuffer, value, mapped);
    case 1:
    case 2:
    case 8:
        return Through(kOneToThree, value, mapped);
    case 6:
    case 7:
        return Through(kBlend, value, mapped);
    case 9:
    case 11:
    case 26:
    case 23:
    case 24:
    case 25:
        return Through(kOneToEight, value, mapped);
    case 17:
        return Through(kFogMode, value, mapped);
    default:
        *mapped = value;
        return true;
    }
}

bool MapStageState(uint32_t state, uint32_t value, StageTarget* target, uint32_t* mapped) {
    // Texture-stage states first, then sampler states; the rest are not applied.
    static const struct {
        uint32_t code;
        bool sampler;
        uint32_t type;
        char family;  // 'o' operation, 'a' address, 'f' filter, 't' transform flags, 0 unchanged
    } kTargets[] = {
        {0, false, 1, 'o'},   {1, false, 2, 0},     {2, false, 3, 0},     {3, false, 4, 'o'},   {4, false, 5, 0},
        {5, false, 6, 0},     {6, false, 7, 0},     {7, false, 8, 0},     {8, false, 9, 0},     {9, false, 10, 0},
        {10, false, 11, 0},   {20, false, 22, 0},   {21, false, 23, 0},   {22, false, 24, 't'}, {24, false, 26, 0},
        {25, false, 27, 0},   {26, false, 28, 0},   {11, true, 1, 'a'},   {12, true, 2, 'a'},   {23, true, 3, 'a'},
        {13, true, 4, 0},     {14, true, 5, 'f'},   {15, true, 6, 'f'},   {16, true, 7, 'f'},   {17, true, 8, 0},
        {18, true, 9, 0},     {19, true, 10, 0},
    };
    for (const auto& entry : kTargets) {
        if (entry.code != state)
            continue;
        *target = StageTarget{entry.sampler, entry.type};
        switch (entry.family) {
        case 'o':
            return Through(kTextureOperation, value, mapped);
        case 'a':
            return Through(kAddress, value, mapped);
        case 'f':
            return Through(kFilter, value, mapped);
        case 't':
            return Through(kTransformFlags, value, mapped);
        default:
            *mapped = value;
            return true;
        }
    }
    return false;
}

}  // namespace dx9tables
