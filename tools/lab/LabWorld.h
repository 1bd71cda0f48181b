// The world a lab's experiments are read into, loaded from the game root in the working
// directory as the game loads it: the game's graphics and the shader script on the recording
// render device, the connector kinds, then the element script with the script key. Nothing in
// the root is written.
#pragma once

#include <memory>
#include <string>

#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/ShaderHandler.h"
#include "tools/render/RecordingRenderDevice.h"

class M3DOMObject;
class M3DOMWorld;

class CLabWorld {
public:
    CLabWorld();
    CLabWorld(const CLabWorld&) = delete;
    CLabWorld& operator=(const CLabWorld&) = delete;
    ~CLabWorld();

    // false with the file and the reason when a script is missing or does not load, or the
    // scene holds no "level" node with a parent.
    bool Load(std::string* error);

    M3DOMWorld* World() const { return m_pWorld.get(); }
    // The node experiments are read under: the scene's "level" node's parent.
    M3DOMObject* LevelParent() const { return m_pLevelParent; }
    // The level read last, at first the scene's own.
    M3DOMObject* Level() const { return m_pLevel; }
    void SetLevel(M3DOMObject* level) { m_pLevel = level; }

private:
    CRecordingRenderDevice m_device;
    CGfxHandler m_graphics;
    CShaderHandler m_shaders;
    double m_frameTime = 0.0;
    double m_runTime = 0.0;
    std::unique_ptr<M3DOMWorld> m_pWorld;  // goes before the resources it points into
    M3DOMObject* m_pLevelParent = nullptr;
    M3DOMObject* m_pLevel = nullptr;
};
