// One drawable part of a scene object: a model from a named graphics resource or a
// camera-facing billboard, with an optional shader record, a world matrix built from its
// placement, animation frames, pick and overlap values, and one connection point per model
// tag through which elements snap together and links hang.
#pragma once

#include <cstdint>

#include "engine/core/Matrix.h"
#include "engine/core/Vector3.h"
#include "engine/graphics/ModelFile.h"
#include "engine/graphics/ShadowVolume.h"

class C3DObject;
class CConnection;
class CFrustum;
class CGfx;
class CModel;
class CNamedEntryList;
class CRenderDevice;
class CShader;
class M3DOMObject;
struct CNamedEntry;

// A named point of an object, standing on one tag of its model.
struct ConnectionPoint {
    int32_t m_nIndex;  // place in the object's sorted array
    int32_t m_nTag;    // the model tag it stands on
    char m_szName[modelfile::kTagNameSize + 1];
    C3DObject* m_pO;
    CConnection* m_pLink;     // belt, cable or rope record hanging on the point
    void* m_pPlug;            // plug object of that link
    CVector3 m_vWorldPos;     // the tag's origin in world space
    CVector3 m_vWorldDir;     // the tag's z axis in world space, as transformed (not unit length)
    ConnectionPoint* m_pPartner;  // the point snapped to this one
    float m_fValue;           // power, heat, pressure or speed carried by the point
    CNamedEntry* m_pKind;     // the first registered kind whose name the point's name contains
    float m_fValue2;
};

class C3DObject {
public:
    static constexpr float kNoConnection = 99999.0f;
    // VALUE of an object picked only when nothing else is hit.
    static constexpr float kPickedLast = 3.0f;
    // VALUE of an object that never touches another.
    static constexpr float kNeverTouches = 4.0f;
    static constexpr int kNameSize = 80;

    C3DObject(CRenderDevice* device, M3DOMObject* owner);
    C3DObject(const C3DObject&) = delete;
    C3DObject& operator=(const C3DObject&) = delete;
    virtual ~C3DObject();

    // A new object with every field a script sets, its points built anew against the entries;
    // a private shader copy is copied again, a shared record stays shared.
    C3DObject* Clone(M3DOMObject* owner, CNamedEntryList* entries) const;

    // Builds the matrix and one point per model tag, sorted by name without regard to case
    // (names equal but for case keep the tags' order). Billboards and objects without a valid
    // model get none. Returns the point count.
    int BuildConnectionPoints(CNamedEntryList* entries);
    // The world matrix from the placement, S x Rx x Rz x Ry x T, with the angles wrapped.
    void UpdateMatrix();
    // Each point's world position and direction from its tag under the world matrix.
    void UpdateConnectionPoints();

    // The one way a shader record reaches the object: a private copy is freed first.
    void SetShader(CShader* shader);
    // Makes the current record a private copy for the object's device; nothing without one.
    void CopyShader();
    void SetFrame(uint32_t frame);

    // None outside 0 .. count - 1: indices come from files.
    ConnectionPoint* GetConnectionPoint(int index) const;
    // Frees every point from its partner, on both sides.
    void ClearConnections();
    // The distance between two points that may snap: same kind, both free, and facing each
    // other unless the kind's word allows any direction; kNoConnection otherwise.
    static float ConnectionDistance(const ConnectionPoint* a, const ConnectionPoint* b);
    // The smallest distance of an own point to the query; kNoConnection and none when no
    // point qualifies.
    float NearestConnectionPoint(ConnectionPoint** nearest, const ConnectionPoint* query) const;

    // The model's volumes under the world matrix; 0 for billboards and objects without a model.
    int RayPick(const CVector3& origin, const CVector3& direction, float* distance) const;
    int Collide(const CFrustum& frustum) const;
    // 1 when the models of a and b overlap; never for an object whose VALUE is the excluded
    // value or kNeverTouches.
    static int Touches(const C3DObject* a, const C3DObject* b, float excludeValue);
    // The model's frame-0 box moved by the position; 0 and nothing written without a model.
    int GetBounds(CVector3* min, CVector3* max) const;

    // Appends the object's definition at the indent: its name and its own placement.
    void WriteWorldBlock(char** text, int indent) const;

    // The graphics' model, or none (also for a texture or font resource).
    CModel* GetModel() const;

    // Draws the object at its matrix, each shader pass applied around the mesh (lighting off
    // without a shader), with its bounding volumes and connection points when debug is set.
    // A billboard faces the device's current camera and is drawn only with a shader. Always 1.
    int Draw(int debug, double time);
    // The mesh through every shader pass, with no depth or lighting switch: 1 when a visible
    // object with a model and a shader was drawn.
    int DrawSimple(double time);
    // A negative x scale from the owner or own y scale turns the faces inside out.
    bool IsMirrored() const { return m_vScale.x < 0.0f || m_vOwnScale.y < 0.0f; }
    // Pushes the device's world stack with the object's matrix multiplied in and hands the top
    // to the device, which it returns; PopWorld undoes it.
    const CMatrix& PushWorld() const;
    void PopWorld() const;

    CRenderDevice* m_pDevice;
    int32_t m_nID = -1;
    char m_szName[kNameSize] = {};
    CGfx* m_pGfx = nullptr;
    int32_t m_bBillboard = 0;
    uint32_t m_nRenderPass = 0;
    CMatrix m_mWorld;
    CShader* m_pShader = nullptr;
    int32_t m_bShaderOwned = 0;
    CVector3 m_vPos{0.0f, 0.0f, 0.0f};      // written by the owner
    CVector3 m_vPosRel{0.0f, 0.0f, 0.0f};   // in the owner, times the owner's scale
    CVector3 m_vRot{0.0f, 0.0f, 0.0f};      // written by the owner, radians
    CVector3 m_vOwnRot{0.0f, 0.0f, 0.0f};   // added to the owner's
    CVector3 m_vScale{1.0f, 1.0f, 1.0f};    // the owner's
    CVector3 m_vOwnScale{1.0f, 1.0f, 1.0f};
    CVector3 m_vLastRot{0.0f, 0.0f, 0.0f};  // when the matrix was last built
    CVector3 m_vLastScale{1.0f, 1.0f, 1.0f};
    int32_t m_nPoints = 0;
    ConnectionPoint* m_pPoints = nullptr;
    int32_t m_bVisible = 1;
    M3DOMObject* m_pOwner;
    int32_t m_bDynShadow = 0;      // the shadow follows rotation and scale changes
    int32_t m_bMatrixChanged = 1;  // the shadow volume must be rebuilt
    int32_t m_bCastShadow = 1;
    CShadowVolume m_ShadowVolume;
    float m_fShadowLength = 0.075f;
    float m_fBillboardWidth = 0.0f;
    float m_fBillboardHeight = 0.0f;
    float m_fFrameBlend = 0.0f;
    uint32_t m_nFrameA = 0;
    uint32_t m_nFrameB = 0;
    int32_t m_bHit = 1;  // can be picked
    float m_fValue = 0.0f;
    int32_t m_bZEnable = 1;

private:
    void FreePoints();
    // The current frame, or the blend of the two frames; frame 0 for an unblended simple draw.
    int DrawMesh(CModel* model, bool bSimple);
    void DrawBillboard(double time);
    void DrawDebug(CModel* model);
};
