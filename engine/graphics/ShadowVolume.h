// The stencil shadow of a model for one light direction: the silhouette edges of the
// triangles facing the light, each extruded away from it into a quad. The caller sets the
// stencil states and draws the volume twice (front faces counting up, back faces down); the
// volume itself sets no render state.
#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Vector3.h"

class CModel;
class CRenderDevice;
class CVertexBuffer;

class CShadowVolume : public CObject {
public:
    // Position and a colour word the build leaves unwritten (flexible vertex format 0x42).
    static constexpr uint32_t kVertexFormat = 0x42;
    static constexpr uint32_t kVertexSize = 16;
    // A triangle yields at most three edges of six vertices.
    static constexpr uint32_t kVerticesPerTriangle = 18;

    struct CEdge {
        uint16_t a;
        uint16_t b;
    };

    CShadowVolume() = default;
    ~CShadowVolume() override;

    // Binds the volume to a valid model with room for its worst case; 0 for a model that is
    // not valid or when the buffers cannot be made (the volume is then empty).
    int Create(CRenderDevice* device, CModel* model);
    // The volume of frame 0 for the light direction (its length sets the extrusion, ten
    // times as long); 0 for a volume that was not created or when a lock fails.
    int Build(const CVector3& light);
    // The volume of the mesh between two frames, each position (1 - t) A + t B; 0 also for a
    // frame past the model's last.
    int BuildBlended(const CVector3& light, uint32_t frameA, uint32_t frameB, float t);
    // A non-indexed triangle list from the volume's buffer; 1 without anything to draw.
    int Draw(CRenderDevice* device);
    void Free();

    // Toggles the edge (a, b) in the list: an edge already there in either direction is
    // removed (the last entry takes its place), else it is appended.
    void AddEdge(uint32_t* edgeCount, uint16_t a, uint16_t b);

    uint32_t GetVertexCount() const { return m_nVertexCount; }

    CModel* m_pModel = nullptr;
    CVertexBuffer* m_pVertexBuffer = nullptr;
    CEdge* m_pEdges = nullptr;  // room for three edges a triangle
    uint32_t m_nVertexCount = 0;

private:
    // The triangles the buffers were made for: a model reloaded larger is refused.
    uint32_t m_nTriangleCapacity = 0;

    int BuildFrames(const CVector3& light, uint32_t frameA, uint32_t frameB, float t, bool bBlend);
};
