// Surface appearance from the shader script: a shader is a list of passes, each setting
// blending, fill and shade mode, lighting with a material of time-dependent waveforms, and up
// to eight texture stages. A pass is applied around a draw and reset afterwards, through the
// render device's engine codes only, so that between draws the device is in its default state.
#pragma once

#include <cstdint>

#include "engine/core/Matrix.h"
#include "engine/core/PointerList.h"
#include "engine/graphics/RenderTypes.h"

class CRenderDevice;
class CTexture2D;

enum EShaderWaveform : uint32_t {
    kWaveConstant = 0,
    kWaveSin = 1,
    kWaveSawtooth = 2,
    kWaveInvSawtooth = 3,
    kWaveRectangle = 4,
    kWaveTriangle = 5,
};

// A value over time: with x = t / period + phase and f its fractional part (fmod by 1), each
// evaluator but the constant runs from base to base + amplitude once per period.
struct CShaderWaveform {
    float fAmplitude = 1.0f;
    float fPeriod = 1.0f;
    float fPhase = 0.0f;
    float fBase = 0.0f;
    uint32_t nEvaluator = kWaveConstant;

    static CShaderWaveform Constant(float value) {
        CShaderWaveform wave;
        wave.fAmplitude = value;
        return wave;
    }
    float Evaluate(float t) const;
};

// The device's texture stages; a pass's stages past these are kept but never applied.
constexpr uint32_t kShaderMaxStages = 8;

// One texture stage of a pass. Zero in the address and coordinate fields means "leave the
// device's value"; the operation defaults depend on whether the stage is its pass's first.
struct CShaderStage {
    enum EWave : uint32_t { kScaleU, kScaleV, kRotation, kTranslateU, kTranslateV, kWaveCount };

    explicit CShaderStage(uint32_t index = 0);

    CTexture2D* m_pTexture = nullptr;  // not owned: the graphics handler's texture
    uint32_t m_nAddressU = 0;
    uint32_t m_nAddressV = 0;
    uint32_t m_nTexCoordGen = 0;
    uint32_t m_bTransform = 0;
    CShaderWaveform m_Transform[kWaveCount];
    uint32_t m_nColorOp;
    uint32_t m_nColorArg1 = 2;  // texture
    uint32_t m_nColorArg2 = 1;  // current
    uint32_t m_nColorArg0 = 1;
    uint32_t m_nAlphaOp;
    uint32_t m_nAlphaArg1 = 2;
    uint32_t m_nAlphaArg2 = 1;
    uint32_t m_nAlphaArg0 = 1;
};

// One pass: its stages (owned) and the states it sets.
struct CShaderPass {
    CShaderPass() : m_Stages(0, 1) {}
    CShaderPass(const CShaderPass&) = delete;
    CShaderPass& operator=(const CShaderPass&) = delete;
    ~CShaderPass() { ClearStages(); }

    // The stage at an index, or none.
    CShaderStage* GetStage(uint32_t index) const;
    CShaderStage* AppendStage();
    void ClearStages();
    // The material at time t. The pass lists its colours diffuse, specular, ambient,
    // emissive; the material record holds them diffuse, ambient, specular, emissive.
    void EvaluateMaterial(float t, CMaterial* material) const;

    CPointerList m_Stages;  // CShaderStage*
    uint32_t m_bBlend = 0;
    uint32_t m_nSourceBlend = 1;       // one
    uint32_t m_nDestinationBlend = 0;  // zero
    uint32_t m_nFillMode = 2;          // solid
    uint32_t m_nShadeMode = 1;         // gouraud
    uint32_t m_bLighting = 1;
    CShaderWaveform m_Diffuse[4] = {CShaderWaveform::Constant(0.5f), CShaderWaveform::Constant(0.5f),
                                    CShaderWaveform::Constant(0.5f), CShaderWaveform::Constant(1.0f)};
    CShaderWaveform m_Specular[4] = {CShaderWaveform::Constant(0.0f), CShaderWaveform::Constant(0.0f),
                                     CShaderWaveform::Constant(0.0f), CShaderWaveform::Constant(0.0f)};
    CShaderWaveform m_Ambient[4] = {CShaderWaveform::Constant(0.0f), CShaderWaveform::Constant(0.0f),
                                    CShaderWaveform::Constant(0.0f), CShaderWaveform::Constant(0.0f)};
    CShaderWaveform m_Emissive[4] = {CShaderWaveform::Constant(0.0f), CShaderWaveform::Constant(0.0f),
                                     CShaderWaveform::Constant(0.0f), CShaderWaveform::Constant(0.0f)};
    CShaderWaveform m_Power = CShaderWaveform::Constant(0.0f);
};

class CShader {
public:
    explicit CShader(CRenderDevice* device = nullptr);
    CShader(const CShader&) = delete;
    CShader& operator=(const CShader&) = delete;
    ~CShader() { ClearPasses(); }

    // Sets the device state of one pass at time *t (0 without a time); always 1.
    int Apply(const CShaderPass* pass, const double* t);
    // Puts back what Apply of that pass changed (the blend factors stay).
    void ResetShaderStates(const CShaderPass* pass);
    // Becomes a copy of another shader with passes and stages of its own.
    void Assign(const CShader& other);
    void ClearPasses();

    CShaderPass* GetPass(uint32_t index) const;
    CShaderPass* AppendPass();
    uint32_t GetPassCount() const { return static_cast<uint32_t>(m_Passes.m_nCount); }

    CPointerList m_Passes;  // CShaderPass*
    CRenderDevice* m_pDevice;
    CMatrix m_mIdentity;
    CMatrix m_mToCentre;    // the texture's centre to the origin, for turning and scaling about it
    CMatrix m_mFromCentre;  // and back
};
