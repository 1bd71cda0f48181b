// All objects of one scene tree: creates them by graphics name, finds them, builds their
// matrices and picks the one under a ray. The list owns its objects.
#pragma once

#include <cstdint>

#include "engine/core/ObjectList.h"
#include "engine/core/Vector3.h"

class C3DObject;
class CGfxHandler;
class CNamedEntryList;
class CRenderDevice;
class CShaderHandler;
class M3DOMObject;

class C3DObjectList : public CObjectList {
public:
    // The name Add takes for a billboard instead of a graphics resource.
    static constexpr const char* kBillboardName = "Billboard";

    C3DObjectList(CGfxHandler* gfxHandler, CShaderHandler* shaderHandler, CRenderDevice* device,
                  CNamedEntryList* namedEntries);
    ~C3DObjectList() override;

    // A new object on the named model (its points built) or a billboard, appended; none for
    // a name that is no loaded model.
    C3DObject* Add(const char* name, const CVector3& posRel, M3DOMObject* owner);
    // Unlinks and deletes an object of this list; nothing for one that is not in it.
    void Remove(C3DObject* object);
    // Moves an object of this list to the head.
    void MoveToFront(C3DObject* object);
    void DeleteAll();

    C3DObject* FindByName(const char* name) const;
    C3DObject* FindByID(int32_t id) const;
    void ResetIDs();
    void SetMatrixChangedAll(int32_t flag);
    // The matrices and points of every visible object.
    void UpdateMatrices();

    // Draws the visible objects of one render pass. Pass 0 also draws the passes 1 up to the
    // highest one below 10 that a visible object has, in ascending order; passes 10 and above
    // are drawn only by number. m_nDrawn counts what this call drew.
    void DrawPass(double time, uint32_t pass);
    // The stencil shadows of the visible shadow-casting objects, only on a device with a stencil
    // buffer. A volume is made the first time its object casts a shadow and rebuilt when the
    // object's turn or size changed; an object whose volume cannot be made casts none.
    void DrawShadowVolumes();

    // The hit object nearest the viewer by position (the smallest z), passing over one whose
    // VALUE marks it as picked last when another is hit; none when nothing is hit.
    C3DObject* Pick(const CVector3& origin, const CVector3& direction) const;

    int32_t GetDebugDraw() const { return m_bDebugDraw; }
    void SetDebugDraw(int32_t debugDraw) { m_bDebugDraw = debugDraw; }

    CGfxHandler* m_pGfxHandler;
    CShaderHandler* m_pShaderHandler;
    CRenderDevice* m_pDevice;  // handed to every new object
    CNamedEntryList* m_pNamedEntries;
    uint32_t m_nDrawn = 0;         // objects drawn by the last render pass
    uint32_t m_nShadowsBuilt = 0;  // shadow volumes rebuilt by the last shadow pass
    int32_t m_bDebugDraw = 0;

private:
    CPointerList::Node* FindNode(const C3DObject* object) const;
    // Draws the visible objects of the pass; the highest other pass below 10 among them.
    uint32_t DrawObjectsOfPass(double time, uint32_t pass);
};
