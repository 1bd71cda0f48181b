// The engine's mesh: a vertex-animated triangle mesh read from a model file, every frame a
// full copy of the vertices over one shared index list, with named tags (a matrix per frame)
// and bounding spheres and boxes for picking, visibility and overlap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/Matrix.h"
#include "engine/core/OrientedBox.h"
#include "engine/core/Vector3.h"
#include "engine/graphics/ModelFile.h"

class CFrustum;
class CIndexBuffer;
class CRenderDevice;
class CVertexBuffer;

// The file header, held as read.
struct CModelHeader {
    char szMagic[4];
    uint32_t nVersion;
    uint8_t reserved[modelfile::kReservedSize];
    uint32_t nFrames;
    uint32_t nTriangles;
    uint32_t nVertices;  // per frame
    uint32_t nTags;
    uint32_t nWeights;   // non-zero: weight lists follow the tag matrices
};
static_assert(sizeof(CModelHeader) == modelfile::kHeaderSize);

struct CModelSphere {
    CVector3 vCentre;
    float fRadius;
};
static_assert(sizeof(CModelSphere) == modelfile::kSphereSize);
static_assert(sizeof(COrientedBox) == modelfile::kBoxSize);

// A tag name of up to 16 characters, always terminated.
struct CModelTagName {
    char szName[modelfile::kTagNameSize + 1];
};

// One vertex as the file and the vertex buffer hold it.
struct CModelVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(CModelVertex) == modelfile::kVertexSize);

class CModel : public CObject {
    DECLARE_RUNTIME_CLASS(CModel)

public:
    CModel();
    ~CModel() override;

    // Reads a model file; whatever was loaded before is freed first. 0 without a device,
    // when the file cannot be read, holds less than its counts announce or an index past
    // the vertices, or a buffer cannot be made; the model is then empty.
    int Load(CRenderDevice* device, const char* fileName);
    // The same reader on a file's bytes.
    int LoadFromMemory(CRenderDevice* device, const uint8_t* data, size_t size);
    // Releases everything and clears the header; always 0.
    int Free();
    // The magic is "UZQ1", the version not 0, and the vertices and tag matrices are there.
    int IsValid() const;

    // Draws one frame; 0 for a frame past the last or a model without a mesh.
    int Draw(CRenderDevice* device, uint32_t frame);
    // Draws the mesh between two frames (t = 0 is frame a) through the device's
    // position-normal-uv pool; 0 when the pool is too small, a frame is past the last or a
    // lock fails.
    int BlendFrames(CRenderDevice* device, uint32_t frameA, uint32_t frameB, float t);
    // The axis-aligned bounds of one frame's positions; nothing for a model that is not
    // valid, a frame past the last or a failed lock.
    void GetBounds(CVector3* min, CVector3* max, uint32_t frame);

    // 1 when the ray hits a volume placed by the matrix; *distance is the nearest hit, or the
    // largest float when nothing is hit.
    int RayPick(const CVector3& origin, const CVector3& direction, const CMatrix& matrix, float* distance) const;
    // 1 when a volume placed by the matrix is in the frustum; never for a model without volumes.
    int CollideVolume(const CMatrix& matrix, const CFrustum& frustum) const;
    // 1 when the placed volumes of the two models overlap in the board plane.
    int CollideModel(const CMatrix& matrix, const CModel* other, const CMatrix& otherMatrix) const;

    uint32_t GetFrameCount() const { return m_Header.nFrames; }
    uint32_t GetTriangleCount() const { return m_Header.nTriangles; }
    uint32_t GetVertexCount() const { return m_Header.nVertices; }
    uint32_t GetTagCount() const { return m_Header.nTags; }
    // The name of a tag, "" past the last.
    const char* GetTagName(uint32_t tag) const;
    // A tag's matrix in one frame; none past the last frame or tag.
    const CMatrix* GetTagMatrix(uint32_t frame, uint32_t tag) const;

    CModelHeader m_Header;
    CIndexBuffer* m_pIndexBuffer = nullptr;
    CVertexBuffer* m_pVertexBuffer = nullptr;
    CModelTagName* m_pTagNames = nullptr;
    CMatrix** m_ppTagMatrices = nullptr;  // one array of tag count matrices per frame
    uint32_t m_nSpheres = 0;
    uint32_t m_nBoxes = 0;
    CModelSphere* m_pSpheres = nullptr;
    COrientedBox* m_pBoxes = nullptr;
};
