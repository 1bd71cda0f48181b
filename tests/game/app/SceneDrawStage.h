// What the scene-object drawing tests and the picture program draw on: the scene window with
// a graphics handler holding models made by the model tool, a shader handler with the caller's
// own shader text, and an object list on the window's device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Vector3.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/RenderTypes.h"
#include "engine/graphics/ShaderHandler.h"
#include "game/app/3DObjectList.h"
#include "game/app/NamedEntryList.h"
#include "tests/support/SceneWindow.h"

class C3DObject;
class CGfx;

class CSceneDrawStage {
public:
    CSceneDrawStage() = default;
    CSceneDrawStage(const CSceneDrawStage&) = delete;
    CSceneDrawStage& operator=(const CSceneDrawStage&) = delete;
    // The objects and the resources go before the device.
    ~CSceneDrawStage();

    // The window and device of that size, and an empty object list on it; false without a
    // display or a device with a stencil buffer.
    bool Start(int width, int height);
    // A model resource of that name made by the model tool from the text; none with the
    // reason when the tool or the model reader refuses it.
    CGfx* AddModel(const char* name, const std::string& text, std::string* error);
    void LoadShaders(const std::string& text);
    // A new object of the list on the named model (or a billboard) at pos, its matrix built,
    // with the named shader (none for none or an unknown name).
    C3DObject* AddObject(const char* model, const CVector3& pos, const char* shader);

    // Clears colour, depth and stencil and begins the scene, lit by the one light and the
    // ambient level.
    void BeginFrame(uint32_t background, const CLight& light, uint32_t ambient);

    CSceneWindow m_Scene;
    CGfxHandler m_Gfx;
    CShaderHandler m_Shaders;
    CNamedEntryList m_Entries;
    std::unique_ptr<C3DObjectList> m_pObjects;
};

// A white directional light shining along direction.
CLight DirectionalLight(const CVector3& direction);
