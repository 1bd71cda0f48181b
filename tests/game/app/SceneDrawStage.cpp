#include "tests/game/app/SceneDrawStage.h"

#include <cstring>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "game/app/3DObject.h"
#include "tests/support/ToolModel.h"

CSceneDrawStage::~CSceneDrawStage() {
    m_pObjects.reset();
    m_Shaders.FreeAll();
    m_Gfx.FreeAll();
    m_Scene.Stop();
}

bool CSceneDrawStage::Start(int width, int height) {
    m_Gfx.Init(&m_Scene.m_Device);
    m_Shaders.Init(&m_Scene.m_Device);
    if (!m_Scene.Start(width, height))
        return false;
    m_pObjects = std::make_unique<C3DObjectList>(&m_Gfx, &m_Shaders, &m_Scene.m_Device, &m_Entries);
    return true;
}

CGfx* CSceneDrawStage::AddModel(const char* name, const std::string& text, std::string* error) {
    CGfx* gfx = AddToolModelResource(&m_Gfx, &m_Scene.m_Device, name, text, error);
    if (!gfx)
        *error = std::string(name) + ": " + *error;
    return gfx;
}

void CSceneDrawStage::LoadShaders(const std::string& text) {
    m_Shaders.LoadScriptFromMemory(text.data(), text.size(), &m_Gfx);
}

C3DObject* CSceneDrawStage::AddObject(const char* model, const CVector3& pos, const char* shader) {
    C3DObject* object = m_pObjects->Add(model, CVector3(0.0f, 0.0f, 0.0f), nullptr);
    if (!object)
        return nullptr;
    object->m_vPos = pos;
    object->UpdateMatrix();
    object->UpdateConnectionPoints();
    object->SetShader(shader ? m_Shaders.GetShader(shader) : nullptr);
    return object;
}

void CSceneDrawStage::BeginFrame(uint32_t background, const CLight& light, uint32_t ambient) {
    CRenderDeviceDX9& device = m_Scene.m_Device;
    device.Clear(kClearTarget | kClearDepth | kClearStencil, background, 1.0f, 0);
    device.BeginScene();
    device.SetLight(0, &light);
    device.LightEnable(0, 1);
    device.SetRenderState(kRenderAmbient, ambient);
}

CLight DirectionalLight(const CVector3& direction) {
    CLight light{};
    light.nType = kLightDirectional;
    light.Diffuse = CColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    CVector3 along = direction;
    along.Normalize(&light.vDirection);
    light.fAttenuation0 = 1.0f;
    return light;
}
