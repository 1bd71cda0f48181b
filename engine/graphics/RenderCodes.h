// The engine's own codes for pixel formats, primitives, transforms, render states and
// texture-stage states. Shaders, models and the interface use only these; the render device
// maps them to its API's values.
#pragma once

#include <cstdint>

// Pixel formats, including depth and index formats.
enum EPixelFormat : uint32_t {
    kFormatUnknown = 0,
    kFormatR8G8B8 = 1,
    kFormatA8R8G8B8 = 2,
    kFormatX8R8G8B8 = 3,
    kFormatR5G6B5 = 4,
    kFormatX1R5G5B5 = 5,
    kFormatA1R5G5B5 = 6,
    kFormatA4R4G4B4 = 7,
    kFormatR3G3B2 = 8,
    kFormatA8 = 9,
    kFormatA8R3G3B2 = 10,
    kFormatX4R4G4B4 = 11,
    kFormatA2B10G10R10 = 12,
    kFormatG16R16 = 13,
    kFormatA8P8 = 14,
    kFormatP8 = 15,
    kFormatL8 = 16,
    kFormatA8L8 = 17,
    kFormatA4L4 = 18,
    kFormatV8U8 = 19,
    kFormatL6V5U5 = 20,
    kFormatX8L8V8U8 = 21,
    kFormatQ8W8V8U8 = 22,
    kFormatV16U16 = 23,
    kFormatA2W10V10U10 = 24,
    kFormatD16Lockable = 25,
    kFormatD32 = 26,
    kFormatD15S1 = 27,
    kFormatD24S8 = 28,
    kFormatD16 = 29,
    kFormatD24X8 = 30,
    kFormatD24X4S4 = 31,
    kFormatIndex16 = 32,
    kFormatIndex32 = 33,
    kFormatCount = 34,
};

enum EPrimitiveType : uint32_t {
    kPrimitivePointList = 0,
    kPrimitiveLineList = 1,
    kPrimitiveLineStrip = 2,
    kPrimitiveTriangleList = 3,
    kPrimitiveTriangleStrip = 4,
    kPrimitiveTriangleFan = 5,
};

// Transform kinds: view, projection, world, then the texture-coordinate transforms of
// stages 0 to 7.
enum ETransformKind : uint32_t {
    kTransformView = 0,
    kTransformProjection = 1,
    kTransformWorld = 2,
    kTransformTexture0 = 3,
    kTransformCount = 11,
};

enum EClearFlags : uint32_t {
    kClearTarget = 1,
    kClearDepth = 2,
    kClearStencil = 4,
};

constexpr uint32_t kLockDiscard = 0x2000;

enum EResourcePool : uint32_t {
    kPoolDefault = 0,
    kPoolManaged = 1,
    kPoolSystemMemory = 2,
    kPoolScratch = 3,
};

// Usage of the dynamic vertex pools: dynamic and write-only.
constexpr uint32_t kUsageDynamicWriteOnly = 0x208;

enum ELightType : uint32_t {
    kLightPoint = 0,
    kLightSpot = 1,
    kLightDirectional = 2,
};

enum ERenderState : uint32_t {
    kRenderDepthTest = 0,
    kRenderFillMode = 1,
    kRenderShadeMode = 2,
    kRenderDepthWrite = 3,
    kRenderAlphaTestEnable = 4,
    kRenderLastPixel = 5,
    kRenderSourceBlend = 6,
    kRenderDestinationBlend = 7,
    kRenderCullMode = 8,
    kRenderDepthCompare = 9,
    kRenderAlphaReference = 10,
    kRenderAlphaCompare = 11,
    kRenderDitherEnable = 12,
    kRenderAlphaBlendEnable = 13,
    kRenderFogEnable = 14,
    kRenderSpecularEnable = 15,
    kRenderFogColor = 16,
    kRenderFogTableMode = 17,
    kRenderFogStart = 18,
    kRenderFogEnd = 19,
    kRenderFogDensity = 20,
    kRenderRangeFogEnable = 21,
    kRenderStencilEnable = 22,
    kRenderStencilFail = 23,
    kRenderStencilDepthFail = 24,
    kRenderStencilPass = 25,
    kRenderStencilCompare = 26,
    kRenderStencilReference = 27,
    kRenderStencilMask = 28,
    kRenderStencilWriteMask = 29,
    kRenderTextureFactor = 30,
    kRenderWrap0 = 31,  // to 38 for coordinate sets 0 to 7
    kRenderClipping = 39,
    kRenderLighting = 40,
    kRenderAmbient = 41,
    kRenderFogVertexMode = 42,
    kRenderColorVertex = 43,
    kRenderLocalViewer = 44,
    kRenderNormalizeNormals = 45,
    kRenderDiffuseMaterialSource = 46,
    kRenderSpecularMaterialSource = 47,
    kRenderAmbientMaterialSource = 48,
    kRenderEmissiveMaterialSource = 49,
    kRenderVertexBlend = 50,
    kRenderClipPlaneEnable = 51,
    kRenderPointSize = 52,
    kRenderPointSizeMin = 53,
    kRenderPointSpriteEnable = 54,
    kRenderPointScaleEnable = 55,
    kRenderPointScaleA = 56,
    kRenderPointScaleB = 57,
    kRenderPointScaleC = 58,
    kRenderMultisampleAntialias = 59,
    kRenderMultisampleMask = 60,
    kRenderPatchEdgeStyle = 61,
    kRenderDebugMonitorToken = 62,
    kRenderPointSizeMax = 63,
    kRenderIndexedVertexBlendEnable = 64,
    kRenderColorWriteEnable = 65,
    kRenderTweenFactor = 66,
    kRenderBlendOperation = 67,
    kRenderStateCount = 68,
};

// Value families of the render states.
enum EDepthBuffer : uint32_t { kDepthOff = 0, kDepthOn = 1, kDepthW = 2 };
enum EFillMode : uint32_t { kFillPoint = 0, kFillWireframe = 1, kFillSolid = 2 };
enum EShadeMode : uint32_t { kShadeFlat = 0, kShadeGouraud = 1, kShadePhong = 2 };
enum EBlend : uint32_t {
    kBlendZero = 0,
    kBlendOne = 1,
    kBlendSourceColor = 2,
    kBlendInverseSourceColor = 3,
    kBlendSourceAlpha = 4,
    kBlendInverseSourceAlpha = 5,
    kBlendDestinationAlpha = 6,
    kBlendInverseDestinationAlpha = 7,
    kBlendDestinationColor = 8,
    kBlendInverseDestinationColor = 9,
    kBlendSourceAlphaSaturated = 10,
    kBlendBothSourceAlpha = 11,
    kBlendBothInverseSourceAlpha = 12,
    kBlendFactor = 13,
    kBlendInverseFactor = 14,
};
enum ECullMode : uint32_t { kCullNone = 0, kCullClockwise = 1, kCullCounterClockwise = 2 };
enum ECompare : uint32_t {
    kCompareNever = 0,
    kCompareLess = 1,
    kCompareEqual = 2,
    kCompareLessEqual = 3,
    kCompareGreater = 4,
    kCompareNotEqual = 5,
    kCompareGreaterEqual = 6,
    kCompareAlways = 7,
};
enum EStencilOperation : uint32_t {
    kStencilKeep = 0,
    kStencilZero = 1,
    kStencilReplace = 2,
    kStencilIncrementSaturate = 3,
    kStencilDecrementSaturate = 4,
    kStencilInvert = 5,
    kStencilIncrement = 6,
    kStencilDecrement = 7,
};
enum EFogMode : uint32_t { kFogNone = 0, kFogExp = 1, kFogExp2 = 2, kFogLinear = 3 };

enum ETextureStageState : uint32_t {
    kStageColorOperation = 0,
    kStageColorArgument1 = 1,
    kStageColorArgument2 = 2,
    kStageAlphaOperation = 3,
    kStageAlphaArgument1 = 4,
    kStageAlphaArgument2 = 5,
    kStageBumpMatrix00 = 6,
    kStageBumpMatrix01 = 7,
    kStageBumpMatrix10 = 8,
    kStageBumpMatrix11 = 9,
    kStageTexCoordIndex = 10,
    kStageAddressU = 11,
    kStageAddressV = 12,
    kStageBorderColor = 13,
    kStageMagFilter = 14,
    kStageMinFilter = 15,
    kStageMipFilter = 16,
    kStageMipLodBias = 17,
    kStageMaxMipLevel = 18,
    kStageMaxAnisotropy = 19,
    kStageBumpLuminanceScale = 20,
    kStageBumpLuminanceOffset = 21,
    kStageTextureTransformFlags = 22,
    kStageAddressW = 23,
    kStageColorArgument0 = 24,
    kStageAlphaArgument0 = 25,
    kStageResultArgument = 26,
    kStageStateCount = 27,
};

// Value families of the texture-stage states.
enum ETextureOperation : uint32_t {
    kOpDisable = 0,
    kOpSelectArgument1 = 1,
    kOpSelectArgument2 = 2,
    kOpModulate = 3,
    kOpModulate2x = 4,
    kOpModulate4x = 5,
    kOpAdd = 6,
    kOpAddSigned = 7,
    kOpAddSigned2x = 8,
    kOpSubtract = 9,
    kOpAddSmooth = 10,
    kOpBlendDiffuseAlpha = 11,
    kOpBlendTextureAlpha = 12,
    kOpBlendFactorAlpha = 13,
    kOpBlendTextureAlphaPremultiplied = 14,
    kOpBlendCurrentAlpha = 15,
    kOpPremodulate = 16,
    kOpModulateAlphaAddColor = 17,
    kOpModulateColorAddAlpha = 18,
    kOpModulateInverseAlphaAddColor = 19,
    kOpModulateInverseColorAddAlpha = 20,
    kOpBumpEnvMap = 21,
    kOpBumpEnvMapLuminance = 22,
    kOpDotProduct3 = 23,
    kOpMultiplyAdd = 24,
    kOpLerp = 25,
};
enum ETextureAddress : uint32_t {
    kAddressWrap = 0,
    kAddressMirror = 1,
    kAddressClamp = 2,
    kAddressBorder = 3,
    kAddressMirrorOnce = 4,
};
enum ETextureFilter : uint32_t {
    kFilterNone = 0,
    kFilterPoint = 1,
    kFilterLinear = 2,
    kFilterAnisotropic = 3,
    kFilterPyramidalQuad = 4,
    kFilterGaussianQuad = 5,
};
enum ETextureTransformFlags : uint32_t {
    kTransformFlagsDisable = 0,
    kTransformFlagsCount1 = 1,
    kTransformFlagsCount2 = 2,
    kTransformFlagsCount3 = 3,
    kTransformFlagsCount4 = 4,
    kTransformFlagsProjected = 5,
};

// Flexible vertex formats of the device's three dynamic pools, passed through unchanged.
constexpr uint32_t kVertexFormatPNT1 = 0x112;    // position, normal, one texture set
constexpr uint32_t kVertexFormatPCT2 = 0x242;    // position, diffuse, two texture sets
constexpr uint32_t kVertexFormatPRC2T1 = 0x1c4;  // screen position with 1/w, two colours, one set
