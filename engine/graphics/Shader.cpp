#include "engine/graphics/Shader.h"

#include <cmath>

#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"

namespace {

// The engine defaults a pass's stages return to.
constexpr uint32_t kArgCurrent = 1;
constexpr uint32_t kArgTexture = 2;

// Stage 0 modulates and selects the texture's alpha by default; later stages are off.
uint32_t DefaultColorOp(uint32_t stage) {
    return stage == 0 ? kOpModulate : kOpDisable;
}

uint32_t DefaultAlphaOp(uint32_t stage) {
    return stage == 0 ? kOpSelectArgument1 : kOpDisable;
}

// A coordinate index names one of the eight coordinate sets in its low half; generation
// words keep the low half 0.
bool UsableTexCoordIndex(uint32_t value) {
    return value != 0 && (value & 0xFFFF) < kShaderMaxStages;
}

CColorValue EvaluateColor(const CShaderWaveform* waves, float t) {
    return CColorValue{waves[0].Evaluate(t), waves[1].Evaluate(t), waves[2].Evaluate(t), waves[3].Evaluate(t)};
}

void CopyPassFields(CShaderPass* to, const CShaderPass& from) {
    to->m_bBlend = from.m_bBlend;
    to->m_nSourceBlend = from.m_nSourceBlend;
    to->m_nDestinationBlend = from.m_nDestinationBlend;
    to->m_nFillMode = from.m_nFillMode;
    to->m_nShadeMode = from.m_nShadeMode;
    to->m_bLighting = from.m_bLighting;
    for (int i = 0; i < 4; ++i) {
        to->m_Diffuse[i] = from.m_Diffuse[i];
        to->m_Specular[i] = from.m_Specular[i];
        to->m_Ambient[i] = from.m_Ambient[i];
        to->m_Emissive[i] = from.m_Emissive[i];
    }
    to->m_Power = from.m_Power;
}

}  // namespace

float CShaderWaveform::Evaluate(float t) const {
    // Most materials are constant: they need neither the phase nor its fraction.
    if (nEvaluator < kWaveSin || nEvaluator > kWaveTriangle)
        return fAmplitude;
    const float x = t / fPeriod + fPhase;
    const float f = std::fmod(x, 1.0f);
    switch (nEvaluator) {
    case kWaveSin:
        return (std::sin((x + 0.75f) * 6.2831855f) + 1.0f) * fAmplitude * 0.5f + fBase;
    case kWaveSawtooth:
        return f * fAmplitude + fBase;
    case kWaveInvSawtooth:
        return (1.0f - f) * fAmplitude + fBase;
    case kWaveRectangle:
        return f > 0.5f ? fBase + fAmplitude : fBase;
    case kWaveTriangle:
        return f <= 0.5f ? 2.0f * f * fAmplitude + fBase : 2.0f * (1.0f - f) * fAmplitude + fBase;
    default:
        return fAmplitude;
    }
}

CShaderStage::CShaderStage(uint32_t index) : m_nColorOp(DefaultColorOp(index)), m_nAlphaOp(DefaultAlphaOp(index)) {}

CShaderStage* CShaderPass::GetStage(uint32_t index) const {
    uint32_t i = 0;
    for (auto* node = m_Stages.m_pHead; node; node = node->m_pNext, ++i) {
        if (i == index)
            return static_cast<CShaderStage*>(node->m_data);
    }
    return nullptr;
}

CShaderStage* CShaderPass::AppendStage() {
    auto* stage = new CShaderStage(static_cast<uint32_t>(m_Stages.m_nCount));
    m_Stages.Append(stage);
    return stage;
}

void CShaderPass::ClearStages() {
    for (auto* node = m_Stages.m_pHead; node; node = node->m_pNext)
        delete static_cast<CShaderStage*>(node->m_data);
    m_Stages.RemoveAll();
}

void CShaderPass::EvaluateMaterial(float t, CMaterial* material) const {
    material->Diffuse = EvaluateColor(m_Diffuse, t);
    material->Ambient = EvaluateColor(m_Ambient, t);
    material->Specular = EvaluateColor(m_Specular, t);
    material->Emissive = EvaluateColor(m_Emissive, t);
    material->fPower = m_Power.Evaluate(t);
}

CShader::CShader(CRenderDevice* device) : m_Passes(0, 1), m_pDevice(device) {
    m_mIdentity.SetIdentity();
    m_mToCentre.SetTranslation(-0.5f, -0.5f, 0.0f);
    m_mFromCentre.SetTranslation(0.5f, 0.5f, 0.0f);
}

CShaderPass* CShader::GetPass(uint32_t index) const {
    uint32_t i = 0;
    for (auto* node = m_Passes.m_pHead; node; node = node->m_pNext, ++i) {
        if (i == index)
            return static_cast<CShaderPass*>(node->m_data);
    }
    return nullptr;
}

CShaderPass* CShader::AppendPass() {
    auto* pass = new CShaderPass;
    m_Passes.Append(pass);
    return pass;
}

void CShader::ClearPasses() {
    for (auto* node = m_Passes.m_pHead; node; node = node->m_pNext)
        delete static_cast<CShaderPass*>(node->m_data);
    m_Passes.RemoveAll();
}

void CShader::Assign(const CShader& other) {
    if (&other == this)
        return;
    m_pDevice = other.m_pDevice;
    m_mIdentity = other.m_mIdentity;
    m_mToCentre = other.m_mToCentre;
    m_mFromCentre = other.m_mFromCentre;
    ClearPasses();
    for (auto* node = other.m_Passes.m_pHead; node; node = node->m_pNext) {
        const auto* from = static_cast<const CShaderPass*>(node->m_data);
        CShaderPass* to = AppendPass();
        CopyPassFields(to, *from);
        for (auto* stageNode = from->m_Stages.m_pHead; stageNode; stageNode = stageNode->m_pNext)
            *to->AppendStage() = *static_cast<const CShaderStage*>(stageNode->m_data);
    }
}

int CShader::Apply(const CShaderPass* pass, const double* t) {
    CRenderDevice* device = m_pDevice;
    if (!pass || !device)
        return 1;
    const float time = t ? static_cast<float>(*t) : 0.0f;

    if (pass->m_bBlend) {
        device->SetRenderState(kRenderAlphaBlendEnable, 1);
        device->SetRenderState(kRenderSourceBlend, pass->m_nSourceBlend);
        device->SetRenderState(kRenderDestinationBlend, pass->m_nDestinationBlend);
    }
    if (pass->m_nFillMode != kFillSolid)
        device->SetRenderState(kRenderFillMode, pass->m_nFillMode);
    if (pass->m_nShadeMode != kShadeGouraud)
        device->SetRenderState(kRenderShadeMode, pass->m_nShadeMode);
    if (!pass->m_bLighting) {
        device->SetRenderState(kRenderLighting, 0);
    } else {
        CMaterial material;
        pass->EvaluateMaterial(time, &material);
        device->SetMaterial(&material);
    }

    uint32_t i = 0;
    for (auto* node = pass->m_Stages.m_pHead; node && i < kShaderMaxStages; node = node->m_pNext, ++i) {
        const auto* stage = static_cast<const CShaderStage*>(node->m_data);
        if (stage->m_pTexture)
            device->SetTexture(i, stage->m_pTexture);
        if (stage->m_nAddressU)
            device->SetTextureStageState(i, kStageAddressU, stage->m_nAddressU);
        if (stage->m_nAddressV)
            device->SetTextureStageState(i, kStageAddressV, stage->m_nAddressV);
        if (UsableTexCoordIndex(stage->m_nTexCoordGen))
            device->SetTextureStageState(i, kStageTexCoordIndex, stage->m_nTexCoordGen);

        if (stage->m_bTransform) {
            const CShaderWaveform* waves = stage->m_Transform;
            CMatrix scale, rotation, translation, matrix;
            scale.SetScale(waves[CShaderStage::kScaleU].Evaluate(time), waves[CShaderStage::kScaleV].Evaluate(time),
                           1.0f);
            rotation.SetRotationZ(waves[CShaderStage::kRotation].Evaluate(time));
            translation.SetTranslation(waves[CShaderStage::kTranslateU].Evaluate(time),
                                       waves[CShaderStage::kTranslateV].Evaluate(time), 0.0f);
            CMatrix::Multiply(&matrix, m_mToCentre, scale);
            CMatrix::Multiply(&matrix, matrix, rotation);
            CMatrix::Multiply(&matrix, matrix, translation);
            CMatrix::Multiply(&matrix, matrix, m_mFromCentre);
            device->SetTextureStageState(i, kStageTextureTransformFlags, kTransformFlagsCount2);
            device->SetTransform(kTransformTexture0 + i, &matrix);
        }

        if (i == 0 || stage->m_nColorOp != kOpDisable)
            device->SetTextureStageState(i, kStageColorOperation, stage->m_nColorOp);
        if (stage->m_nColorArg1 != kArgTexture)
            device->SetTextureStageState(i, kStageColorArgument1, stage->m_nColorArg1);
        if (stage->m_nColorArg2 != kArgCurrent)
            device->SetTextureStageState(i, kStageColorArgument2, stage->m_nColorArg2);
        if (stage->m_nColorArg0 != kArgCurrent)
            device->SetTextureStageState(i, kStageColorArgument0, stage->m_nColorArg0);
        if (stage->m_nAlphaOp != DefaultAlphaOp(i))
            device->SetTextureStageState(i, kStageAlphaOperation, stage->m_nAlphaOp);
        if (stage->m_nAlphaArg1 != kArgTexture)
            device->SetTextureStageState(i, kStageAlphaArgument1, stage->m_nAlphaArg1);
        if (stage->m_nAlphaArg2 != kArgCurrent)
            device->SetTextureStageState(i, kStageAlphaArgument2, stage->m_nAlphaArg2);
        if (stage->m_nAlphaArg0 != kArgCurrent)
            device->SetTextureStageState(i, kStageAlphaArgument0, stage->m_nAlphaArg0);
    }
    return 1;
}

void CShader::ResetShaderStates(const CShaderPass* pass) {
    CRenderDevice* device = m_pDevice;
    if (!pass || !device)
        return;
    if (pass->m_bBlend)
        device->SetRenderState(kRenderAlphaBlendEnable, 0);
    if (pass->m_nFillMode != kFillSolid)
        device->SetRenderState(kRenderFillMode, kFillSolid);
    if (pass->m_nShadeMode != kShadeGouraud)
        device->SetRenderState(kRenderShadeMode, kShadeGouraud);
    if (!pass->m_bLighting) {
        device->SetRenderState(kRenderLighting, 1);
    } else {
        const CMaterial material{{1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f},
                                 {0.0f, 0.0f, 0.0f, 0.0f}, 1.0f};
        device->SetMaterial(&material);
    }

    uint32_t i = 0;
    for (auto* node = pass->m_Stages.m_pHead; node && i < kShaderMaxStages; node = node->m_pNext, ++i) {
        const auto* stage = static_cast<const CShaderStage*>(node->m_data);
        if (stage->m_pTexture)
            device->SetTexture(i, nullptr);
        if (stage->m_nAddressU)
            device->SetTextureStageState(i, kStageAddressU, kAddressWrap);
        if (stage->m_nAddressV)
            device->SetTextureStageState(i, kStageAddressV, kAddressWrap);
        if (UsableTexCoordIndex(stage->m_nTexCoordGen))
            device->SetTextureStageState(i, kStageTexCoordIndex, 0);
        if (stage->m_bTransform) {
            device->SetTextureStageState(i, kStageTextureTransformFlags, kTransformFlagsDisable);
            device->SetTransform(kTransformTexture0 + i, &m_mIdentity);
        }
        if (stage->m_nColorOp != DefaultColorOp(i))
            device->SetTextureStageState(i, kStageColorOperation, DefaultColorOp(i));
        if (stage->m_nColorArg1 != kArgTexture)
            device->SetTextureStageState(i, kStageColorArgument1, kArgTexture);
        if (stage->m_nColorArg2 != kArgCurrent)
            device->SetTextureStageState(i, kStageColorArgument2, kArgCurrent);
        if (stage->m_nColorArg0 != kArgCurrent)
            device->SetTextureStageState(i, kStageColorArgument0, kArgCurrent);
        if (stage->m_nAlphaOp != DefaultAlphaOp(i))
            device->SetTextureStageState(i, kStageAlphaOperation, DefaultAlphaOp(i));
        if (stage->m_nAlphaArg1 != kArgTexture)
            device->SetTextureStageState(i, kStageAlphaArgument1, kArgTexture);
        if (stage->m_nAlphaArg2 != kArgCurrent)
            device->SetTextureStageState(i, kStageAlphaArgument2, kArgCurrent);
        if (stage->m_nAlphaArg0 != kArgCurrent)
            device->SetTextureStageState(i, kStageAlphaArgument0, kArgCurrent);
    }
}
