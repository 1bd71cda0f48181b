#include "engine/graphics/RenderDeviceDX9Tables.h"

#include <cstddef>

namespace dx9tables {

namespace {

// The families a state's values belong to; values of an unchanged family pass as they are.
enum class EValueFamily {
    Unchanged,
    DepthBuffer,
    FillMode,
    ShadeMode,
    Blend,
    CullMode,
    Compare,
    StencilOperation,
    FogMode,
    TextureOperation,
    TextureAddress,
    TextureFilter,
    TransformFlags,
};

template <typename Code, typename Value>
struct Row {
    Code code;
    Value value;
};

// Lays rows out by their engine code. Every code below Count needs exactly one row: a code
// left out or given twice stops the build.
template <size_t Count, typename RowType, size_t N>
constexpr std::array<RowType, Count> SortedByCode(const RowType (&rows)[N]) {
    static_assert(N == Count, "one row for each engine code");
    std::array<RowType, Count> sorted{};
    std::array<bool, Count> seen{};
    for (const RowType& row : rows) {
        if (row.code >= Count || seen[row.code])
            throw "each engine code needs exactly one row";
        seen[row.code] = true;
        sorted[row.code] = row;
    }
    return sorted;
}

template <size_t Count, typename Code, typename Value, size_t N>
constexpr std::array<Value, Count> ValuesByCode(const Row<Code, Value> (&rows)[N]) {
    const std::array<Row<Code, Value>, Count> sorted = SortedByCode<Count>(rows);
    std::array<Value, Count> values{};
    for (size_t code = 0; code < Count; ++code)
        values[code] = sorted[code].value;
    return values;
}

constexpr Row<EPixelFormat, D3DFORMAT> kFormatRows[] = {
    {kFormatUnknown, D3DFMT_UNKNOWN},
    {kFormatR8G8B8, D3DFMT_R8G8B8},
    {kFormatA8R8G8B8, D3DFMT_A8R8G8B8},
    {kFormatX8R8G8B8, D3DFMT_X8R8G8B8},
    {kFormatR5G6B5, D3DFMT_R5G6B5},
    {kFormatX1R5G5B5, D3DFMT_X1R5G5B5},
    {kFormatA1R5G5B5, D3DFMT_A1R5G5B5},
    {kFormatA4R4G4B4, D3DFMT_A4R4G4B4},
    {kFormatR3G3B2, D3DFMT_R3G3B2},
    {kFormatA8, D3DFMT_A8},
    {kFormatA8R3G3B2, D3DFMT_A8R3G3B2},
    {kFormatX4R4G4B4, D3DFMT_X4R4G4B4},
    {kFormatA2B10G10R10, D3DFMT_A2B10G10R10},
    {kFormatG16R16, D3DFMT_G16R16},
    {kFormatA8P8, D3DFMT_A8P8},
    {kFormatP8, D3DFMT_P8},
    {kFormatL8, D3DFMT_L8},
    {kFormatA8L8, D3DFMT_A8L8},
    {kFormatA4L4, D3DFMT_A4L4},
    {kFormatV8U8, D3DFMT_V8U8},
    {kFormatL6V5U5, D3DFMT_L6V5U5},
    {kFormatX8L8V8U8, D3DFMT_X8L8V8U8},
    {kFormatQ8W8V8U8, D3DFMT_Q8W8V8U8},
    {kFormatV16U16, D3DFMT_V16U16},
    {kFormatA2W10V10U10, D3DFMT_A2W10V10U10},
    {kFormatD16Lockable, D3DFMT_D16_LOCKABLE},
    {kFormatD32, D3DFMT_D32},
    {kFormatD15S1, D3DFMT_D15S1},
    {kFormatD24S8, D3DFMT_D24S8},
    {kFormatD16, D3DFMT_D16},
    {kFormatD24X8, D3DFMT_D24X8},
    {kFormatD24X4S4, D3DFMT_D24X4S4},
    {kFormatIndex16, D3DFMT_INDEX16},
    {kFormatIndex32, D3DFMT_INDEX32},
};

constexpr Row<EPrimitiveType, D3DPRIMITIVETYPE> kPrimitiveRows[] = {
    {kPrimitivePointList, D3DPT_POINTLIST},         {kPrimitiveLineList, D3DPT_LINELIST},
    {kPrimitiveLineStrip, D3DPT_LINESTRIP},         {kPrimitiveTriangleList, D3DPT_TRIANGLELIST},
    {kPrimitiveTriangleStrip, D3DPT_TRIANGLESTRIP}, {kPrimitiveTriangleFan, D3DPT_TRIANGLEFAN},
};

constexpr Row<EResourcePool, D3DPOOL> kPoolRows[] = {
    {kPoolDefault, D3DPOOL_DEFAULT},
    {kPoolManaged, D3DPOOL_MANAGED},
    {kPoolSystemMemory, D3DPOOL_SYSTEMMEM},
    {kPoolScratch, D3DPOOL_SCRATCH},
};

constexpr Row<ELightType, D3DLIGHTTYPE> kLightRows[] = {
    {kLightPoint, D3DLIGHT_POINT},
    {kLightSpot, D3DLIGHT_SPOT},
    {kLightDirectional, D3DLIGHT_DIRECTIONAL},
};

struct RenderStateRow {
    ERenderState code;
    D3DRENDERSTATETYPE state;
    EValueFamily family;
};

// The eight wrap states follow each other on both sides.
constexpr RenderStateRow Wrap(uint32_t coordinateSet) {
    return {static_cast<ERenderState>(kRenderWrap0 + coordinateSet),
            static_cast<D3DRENDERSTATETYPE>(D3DRS_WRAP0 + coordinateSet), EValueFamily::Unchanged};
}

constexpr EValueFamily kUnchanged = EValueFamily::Unchanged;

constexpr RenderStateRow kRenderStateRows[] = {
    {kRenderDepthTest, D3DRS_ZENABLE, EValueFamily::DepthBuffer},
    {kRenderFillMode, D3DRS_FILLMODE, EValueFamily::FillMode},
    {kRenderShadeMode, D3DRS_SHADEMODE, EValueFamily::ShadeMode},
    {kRenderDepthWrite, D3DRS_ZWRITEENABLE, EValueFamily::DepthBuffer},
    {kRenderAlphaTestEnable, D3DRS_ALPHATESTENABLE, kUnchanged},
    {kRenderLastPixel, D3DRS_LASTPIXEL, kUnchanged},
    {kRenderSourceBlend, D3DRS_SRCBLEND, EValueFamily::Blend},
    {kRenderDestinationBlend, D3DRS_DESTBLEND, EValueFamily::Blend},
    {kRenderCullMode, D3DRS_CULLMODE, EValueFamily::CullMode},
    {kRenderDepthCompare, D3DRS_ZFUNC, EValueFamily::Compare},
    {kRenderAlphaReference, D3DRS_ALPHAREF, kUnchanged},
    {kRenderAlphaCompare, D3DRS_ALPHAFUNC, EValueFamily::Compare},
    {kRenderDitherEnable, D3DRS_DITHERENABLE, kUnchanged},
    {kRenderAlphaBlendEnable, D3DRS_ALPHABLENDENABLE, kUnchanged},
    {kRenderFogEnable, D3DRS_FOGENABLE, kUnchanged},
    {kRenderSpecularEnable, D3DRS_SPECULARENABLE, kUnchanged},
    {kRenderFogColor, D3DRS_FOGCOLOR, kUnchanged},
    {kRenderFogTableMode, D3DRS_FOGTABLEMODE, EValueFamily::FogMode},
    {kRenderFogStart, D3DRS_FOGSTART, kUnchanged},
    {kRenderFogEnd, D3DRS_FOGEND, kUnchanged},
    {kRenderFogDensity, D3DRS_FOGDENSITY, kUnchanged},
    {kRenderRangeFogEnable, D3DRS_RANGEFOGENABLE, kUnchanged},
    {kRenderStencilEnable, D3DRS_STENCILENABLE, kUnchanged},
    {kRenderStencilFail, D3DRS_STENCILFAIL, EValueFamily::StencilOperation},
    {kRenderStencilDepthFail, D3DRS_STENCILZFAIL, EValueFamily::StencilOperation},
    {kRenderStencilPass, D3DRS_STENCILPASS, EValueFamily::StencilOperation},
    {kRenderStencilCompare, D3DRS_STENCILFUNC, EValueFamily::Compare},
    {kRenderStencilReference, D3DRS_STENCILREF, kUnchanged},
    {kRenderStencilMask, D3DRS_STENCILMASK, kUnchanged},
    {kRenderStencilWriteMask, D3DRS_STENCILWRITEMASK, kUnchanged},
    {kRenderTextureFactor, D3DRS_TEXTUREFACTOR, kUnchanged},
    Wrap(0),
    Wrap(1),
    Wrap(2),
    Wrap(3),
    Wrap(4),
    Wrap(5),
    Wrap(6),
    Wrap(7),
    {kRenderClipping, D3DRS_CLIPPING, kUnchanged},
    {kRenderLighting, D3DRS_LIGHTING, kUnchanged},
    {kRenderAmbient, D3DRS_AMBIENT, kUnchanged},
    {kRenderFogVertexMode, D3DRS_FOGVERTEXMODE, kUnchanged},
    {kRenderColorVertex, D3DRS_COLORVERTEX, kUnchanged},
    {kRenderLocalViewer, D3DRS_LOCALVIEWER, kUnchanged},
    {kRenderNormalizeNormals, D3DRS_NORMALIZENORMALS, kUnchanged},
    {kRenderDiffuseMaterialSource, D3DRS_DIFFUSEMATERIALSOURCE, kUnchanged},
    {kRenderSpecularMaterialSource, D3DRS_SPECULARMATERIALSOURCE, kUnchanged},
    {kRenderAmbientMaterialSource, D3DRS_AMBIENTMATERIALSOURCE, kUnchanged},
    {kRenderEmissiveMaterialSource, D3DRS_EMISSIVEMATERIALSOURCE, kUnchanged},
    {kRenderVertexBlend, D3DRS_VERTEXBLEND, kUnchanged},
    {kRenderClipPlaneEnable, D3DRS_CLIPPLANEENABLE, kUnchanged},
    {kRenderPointSize, D3DRS_POINTSIZE, kUnchanged},
    {kRenderPointSizeMin, D3DRS_POINTSIZE_MIN, kUnchanged},
    {kRenderPointSpriteEnable, D3DRS_POINTSPRITEENABLE, kUnchanged},
    {kRenderPointScaleEnable, D3DRS_POINTSCALEENABLE, kUnchanged},
    {kRenderPointScaleA, D3DRS_POINTSCALE_A, kUnchanged},
    {kRenderPointScaleB, D3DRS_POINTSCALE_B, kUnchanged},
    {kRenderPointScaleC, D3DRS_POINTSCALE_C, kUnchanged},
    {kRenderMultisampleAntialias, D3DRS_MULTISAMPLEANTIALIAS, kUnchanged},
    {kRenderMultisampleMask, D3DRS_MULTISAMPLEMASK, kUnchanged},
    {kRenderPatchEdgeStyle, D3DRS_PATCHEDGESTYLE, kUnchanged},
    {kRenderDebugMonitorToken, D3DRS_DEBUGMONITORTOKEN, kUnchanged},
    {kRenderPointSizeMax, D3DRS_POINTSIZE_MAX, kUnchanged},
    {kRenderIndexedVertexBlendEnable, D3DRS_INDEXEDVERTEXBLENDENABLE, kUnchanged},
    {kRenderColorWriteEnable, D3DRS_COLORWRITEENABLE, kUnchanged},
    {kRenderTweenFactor, D3DRS_TWEENFACTOR, kUnchanged},
    {kRenderBlendOperation, D3DRS_BLENDOP, kUnchanged},
};

constexpr std::array<RenderStateRow, kRenderStateCount> kRenderStatesByCode = SortedByCode<kRenderStateCount>(
    kRenderStateRows);

enum class EStageTarget { TextureStage, Sampler };

struct StageRow {
    ETextureStageState code;
    EStageTarget target;
    uint32_t type;  // a D3DTEXTURESTAGESTATETYPE or a D3DSAMPLERSTATETYPE, as the target says
    EValueFamily family;
};

constexpr EStageTarget kTextureStage = EStageTarget::TextureStage;
constexpr EStageTarget kSampler = EStageTarget::Sampler;

constexpr StageRow kStageRows[] = {
    {kStageColorOperation, kTextureStage, D3DTSS_COLOROP, EValueFamily::TextureOperation},
    {kStageColorArgument1, kTextureStage, D3DTSS_COLORARG1, kUnchanged},
    {kStageColorArgument2, kTextureStage, D3DTSS_COLORARG2, kUnchanged},
    {kStageAlphaOperation, kTextureStage, D3DTSS_ALPHAOP, EValueFamily::TextureOperation},
    {kStageAlphaArgument1, kTextureStage, D3DTSS_ALPHAARG1, kUnchanged},
    {kStageAlphaArgument2, kTextureStage, D3DTSS_ALPHAARG2, kUnchanged},
    {kStageBumpMatrix00, kTextureStage, D3DTSS_BUMPENVMAT00, kUnchanged},
    {kStageBumpMatrix01, kTextureStage, D3DTSS_BUMPENVMAT01, kUnchanged},
    {kStageBumpMatrix10, kTextureStage, D3DTSS_BUMPENVMAT10, kUnchanged},
    {kStageBumpMatrix11, kTextureStage, D3DTSS_BUMPENVMAT11, kUnchanged},
    {kStageTexCoordIndex, kTextureStage, D3DTSS_TEXCOORDINDEX, kUnchanged},
    {kStageAddressU, kSampler, D3DSAMP_ADDRESSU, EValueFamily::TextureAddress},
    {kStageAddressV, kSampler, D3DSAMP_ADDRESSV, EValueFamily::TextureAddress},
    {kStageBorderColor, kSampler, D3DSAMP_BORDERCOLOR, kUnchanged},
    {kStageMagFilter, kSampler, D3DSAMP_MAGFILTER, EValueFamily::TextureFilter},
    {kStageMinFilter, kSampler, D3DSAMP_MINFILTER, EValueFamily::TextureFilter},
    {kStageMipFilter, kSampler, D3DSAMP_MIPFILTER, EValueFamily::TextureFilter},
    {kStageMipLodBias, kSampler, D3DSAMP_MIPMAPLODBIAS, kUnchanged},
    {kStageMaxMipLevel, kSampler, D3DSAMP_MAXMIPLEVEL, kUnchanged},
    {kStageMaxAnisotropy, kSampler, D3DSAMP_MAXANISOTROPY, kUnchanged},
    {kStageBumpLuminanceScale, kTextureStage, D3DTSS_BUMPENVLSCALE, kUnchanged},
    {kStageBumpLuminanceOffset, kTextureStage, D3DTSS_BUMPENVLOFFSET, kUnchanged},
    {kStageTextureTransformFlags, kTextureStage, D3DTSS_TEXTURETRANSFORMFLAGS, EValueFamily::TransformFlags},
    {kStageAddressW, kSampler, D3DSAMP_ADDRESSW, EValueFamily::TextureAddress},
    {kStageColorArgument0, kTextureStage, D3DTSS_COLORARG0, kUnchanged},
    {kStageAlphaArgument0, kTextureStage, D3DTSS_ALPHAARG0, kUnchanged},
    {kStageResultArgument, kTextureStage, D3DTSS_RESULTARG, kUnchanged},
};

constexpr std::array<StageRow, kStageStateCount> kStagesByCode = SortedByCode<kStageStateCount>(kStageRows);

// The value families, each keyed by the engine's value.
constexpr Row<EDepthBuffer, D3DZBUFFERTYPE> kDepthBufferRows[] = {
    {kDepthOff, D3DZB_FALSE},
    {kDepthOn, D3DZB_TRUE},
    {kDepthW, D3DZB_USEW},
};

constexpr Row<EFillMode, D3DFILLMODE> kFillModeRows[] = {
    {kFillPoint, D3DFILL_POINT},
    {kFillWireframe, D3DFILL_WIREFRAME},
    {kFillSolid, D3DFILL_SOLID},
};

constexpr Row<EShadeMode, D3DSHADEMODE> kShadeModeRows[] = {
    {kShadeFlat, D3DSHADE_FLAT},
    {kShadeGouraud, D3DSHADE_GOURAUD},
    {kShadePhong, D3DSHADE_PHONG},
};

constexpr Row<EBlend, D3DBLEND> kBlendRows[] = {
    {kBlendZero, D3DBLEND_ZERO},
    {kBlendOne, D3DBLEND_ONE},
    {kBlendSourceColor, D3DBLEND_SRCCOLOR},
    {kBlendInverseSourceColor, D3DBLEND_INVSRCCOLOR},
    {kBlendSourceAlpha, D3DBLEND_SRCALPHA},
    {kBlendInverseSourceAlpha, D3DBLEND_INVSRCALPHA},
    {kBlendDestinationAlpha, D3DBLEND_DESTALPHA},
    {kBlendInverseDestinationAlpha, D3DBLEND_INVDESTALPHA},
    {kBlendDestinationColor, D3DBLEND_DESTCOLOR},
    {kBlendInverseDestinationColor, D3DBLEND_INVDESTCOLOR},
    {kBlendSourceAlphaSaturated, D3DBLEND_SRCALPHASAT},
    {kBlendBothSourceAlpha, D3DBLEND_BOTHSRCALPHA},
    {kBlendBothInverseSourceAlpha, D3DBLEND_BOTHINVSRCALPHA},
    {kBlendFactor, D3DBLEND_BLENDFACTOR},
    {kBlendInverseFactor, D3DBLEND_INVBLENDFACTOR},
};

constexpr Row<ECullMode, D3DCULL> kCullModeRows[] = {
    {kCullNone, D3DCULL_NONE},
    {kCullClockwise, D3DCULL_CW},
    {kCullCounterClockwise, D3DCULL_CCW},
};

constexpr Row<ECompare, D3DCMPFUNC> kCompareRows[] = {
    {kCompareNever, D3DCMP_NEVER},
    {kCompareLess, D3DCMP_LESS},
    {kCompareEqual, D3DCMP_EQUAL},
    {kCompareLessEqual, D3DCMP_LESSEQUAL},
    {kCompareGreater, D3DCMP_GREATER},
    {kCompareNotEqual, D3DCMP_NOTEQUAL},
    {kCompareGreaterEqual, D3DCMP_GREATEREQUAL},
    {kCompareAlways, D3DCMP_ALWAYS},
};

constexpr Row<EStencilOperation, D3DSTENCILOP> kStencilOperationRows[] = {
    {kStencilKeep, D3DSTENCILOP_KEEP},
    {kStencilZero, D3DSTENCILOP_ZERO},
    {kStencilReplace, D3DSTENCILOP_REPLACE},
    {kStencilIncrementSaturate, D3DSTENCILOP_INCRSAT},
    {kStencilDecrementSaturate, D3DSTENCILOP_DECRSAT},
    {kStencilInvert, D3DSTENCILOP_INVERT},
    {kStencilIncrement, D3DSTENCILOP_INCR},
    {kStencilDecrement, D3DSTENCILOP_DECR},
};

constexpr Row<EFogMode, D3DFOGMODE> kFogModeRows[] = {
    {kFogNone, D3DFOG_NONE},
    {kFogExp, D3DFOG_EXP},
    {kFogExp2, D3DFOG_EXP2},
    {kFogLinear, D3DFOG_LINEAR},
};

constexpr Row<ETextureOperation, D3DTEXTUREOP> kTextureOperationRows[] = {
    {kOpDisable, D3DTOP_DISABLE},
    {kOpSelectArgument1, D3DTOP_SELECTARG1},
    {kOpSelectArgument2, D3DTOP_SELECTARG2},
    {kOpModulate, D3DTOP_MODULATE},
    {kOpModulate2x, D3DTOP_MODULATE2X},
    {kOpModulate4x, D3DTOP_MODULATE4X},
    {kOpAdd, D3DTOP_ADD},
    {kOpAddSigned, D3DTOP_ADDSIGNED},
    {kOpAddSigned2x, D3DTOP_ADDSIGNED2X},
    {kOpSubtract, D3DTOP_SUBTRACT},
    {kOpAddSmooth, D3DTOP_ADDSMOOTH},
    {kOpBlendDiffuseAlpha, D3DTOP_BLENDDIFFUSEALPHA},
    {kOpBlendTextureAlpha, D3DTOP_BLENDTEXTUREALPHA},
    {kOpBlendFactorAlpha, D3DTOP_BLENDFACTORALPHA},
    {kOpBlendTextureAlphaPremultiplied, D3DTOP_BLENDTEXTUREALPHAPM},
    {kOpBlendCurrentAlpha, D3DTOP_BLENDCURRENTALPHA},
    {kOpPremodulate, D3DTOP_PREMODULATE},
    {kOpModulateAlphaAddColor, D3DTOP_MODULATEALPHA_ADDCOLOR},
    {kOpModulateColorAddAlpha, D3DTOP_MODULATECOLOR_ADDALPHA},
    {kOpModulateInverseAlphaAddColor, D3DTOP_MODULATEINVALPHA_ADDCOLOR},
    {kOpModulateInverseColorAddAlpha, D3DTOP_MODULATEINVCOLOR_ADDALPHA},
    {kOpBumpEnvMap, D3DTOP_BUMPENVMAP},
    {kOpBumpEnvMapLuminance, D3DTOP_BUMPENVMAPLUMINANCE},
    {kOpDotProduct3, D3DTOP_DOTPRODUCT3},
    {kOpMultiplyAdd, D3DTOP_MULTIPLYADD},
    {kOpLerp, D3DTOP_LERP},
};

constexpr Row<ETextureAddress, D3DTEXTUREADDRESS> kTextureAddressRows[] = {
    {kAddressWrap, D3DTADDRESS_WRAP},
    {kAddressMirror, D3DTADDRESS_MIRROR},
    {kAddressClamp, D3DTADDRESS_CLAMP},
    {kAddressBorder, D3DTADDRESS_BORDER},
    {kAddressMirrorOnce, D3DTADDRESS_MIRRORONCE},
};

constexpr Row<ETextureFilter, D3DTEXTUREFILTERTYPE> kTextureFilterRows[] = {
    {kFilterNone, D3DTEXF_NONE},
    {kFilterPoint, D3DTEXF_POINT},
    {kFilterLinear, D3DTEXF_LINEAR},
    {kFilterAnisotropic, D3DTEXF_ANISOTROPIC},
    {kFilterPyramidalQuad, D3DTEXF_PYRAMIDALQUAD},
    {kFilterGaussianQuad, D3DTEXF_GAUSSIANQUAD},
};

constexpr Row<ETextureTransformFlags, D3DTEXTURETRANSFORMFLAGS> kTransformFlagsRows[] = {
    {kTransformFlagsDisable, D3DTTFF_DISABLE},
    {kTransformFlagsCount1, D3DTTFF_COUNT1},
    {kTransformFlagsCount2, D3DTTFF_COUNT2},
    {kTransformFlagsCount3, D3DTTFF_COUNT3},
    {kTransformFlagsCount4, D3DTTFF_COUNT4},
    {kTransformFlagsProjected, D3DTTFF_PROJECTED},
};

// Each family laid out by the engine's value.
template <typename Code, typename Value, size_t N>
constexpr std::array<Value, N> Family(const Row<Code, Value> (&rows)[N]) {
    return ValuesByCode<N>(rows);
}

constexpr auto kDepthBuffer = Family(kDepthBufferRows);
constexpr auto kFillMode = Family(kFillModeRows);
constexpr auto kShadeMode = Family(kShadeModeRows);
constexpr auto kBlend = Family(kBlendRows);
constexpr auto kCullMode = Family(kCullModeRows);
constexpr auto kCompare = Family(kCompareRows);
constexpr auto kStencilOperation = Family(kStencilOperationRows);
constexpr auto kFogMode = Family(kFogModeRows);
constexpr auto kTextureOperation = Family(kTextureOperationRows);
constexpr auto kTextureAddress = Family(kTextureAddressRows);
constexpr auto kTextureFilter = Family(kTextureFilterRows);
constexpr auto kTransformFlags = Family(kTransformFlagsRows);

// A value through its family; false for a value the family does not have.
template <typename Value, size_t N>
bool Through(const std::array<Value, N>& family, uint32_t value, uint32_t* mapped) {
    if (value >= N)
        return false;
    *mapped = family[value];
    return true;
}

bool MapValue(EValueFamily family, uint32_t value, uint32_t* mapped) {
    switch (family) {
    case EValueFamily::Unchanged:
        *mapped = value;
        return true;
    case EValueFamily::DepthBuffer:
        return Through(kDepthBuffer, value, mapped);
    case EValueFamily::FillMode:
        return Through(kFillMode, value, mapped);
    case EValueFamily::ShadeMode:
        return Through(kShadeMode, value, mapped);
    case EValueFamily::Blend:
        return Through(kBlend, value, mapped);
    case EValueFamily::CullMode:
        return Through(kCullMode, value, mapped);
    case EValueFamily::Compare:
        return Through(kCompare, value, mapped);
    case EValueFamily::StencilOperation:
        return Through(kStencilOperation, value, mapped);
    case EValueFamily::FogMode:
        return Through(kFogMode, value, mapped);
    case EValueFamily::TextureOperation:
        return Through(kTextureOperation, value, mapped);
    case EValueFamily::TextureAddress:
        return Through(kTextureAddress, value, mapped);
    case EValueFamily::TextureFilter:
        return Through(kTextureFilter, value, mapped);
    case EValueFamily::TransformFlags:
        return Through(kTransformFlags, value, mapped);
    }
    return false;
}

}  // namespace

constexpr std::array<D3DFORMAT, kFormatCount> kPixelFormats = ValuesByCode<kFormatCount>(kFormatRows);
constexpr std::array<D3DPRIMITIVETYPE, kPrimitiveTriangleFan + 1> kPrimitiveTypes =
    ValuesByCode<kPrimitiveTriangleFan + 1>(kPrimitiveRows);
constexpr std::array<D3DPOOL, kPoolScratch + 1> kPools = ValuesByCode<kPoolScratch + 1>(kPoolRows);
constexpr std::array<D3DLIGHTTYPE, kLightDirectional + 1> kLightTypes =
    ValuesByCode<kLightDirectional + 1>(kLightRows);

constexpr std::array<D3DRENDERSTATETYPE, kRenderStateCount> kRenderStates = [] {
    std::array<D3DRENDERSTATETYPE, kRenderStateCount> states{};
    for (size_t code = 0; code < kRenderStateCount; ++code)
        states[code] = kRenderStatesByCode[code].state;
    return states;
}();

D3DMULTISAMPLE_TYPE MultisampleType(uint32_t samples) {
    // Direct3D numbers its multisample types by their sample count, up to sixteen.
    return samples <= 16 ? static_cast<D3DMULTISAMPLE_TYPE>(samples) : D3DMULTISAMPLE_NONE;
}

bool MapRenderStateValue(uint32_t state, uint32_t value, uint32_t* mapped) {
    const EValueFamily family = state < kRenderStateCount ? kRenderStatesByCode[state].family : kUnchanged;
    return MapValue(family, value, mapped);
}

bool MapStageState(uint32_t state, uint32_t value, StageTarget* target, uint32_t* mapped) {
    if (state >= kStageStateCount)
        return false;
    const StageRow& row = kStagesByCode[state];
    *target = StageTarget{row.target == kSampler, row.type};
    return MapValue(row.family, value, mapped);
}

}  // namespace dx9tables
