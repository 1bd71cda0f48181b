// The model file reader. Every count is checked against the bytes still unread before
// anything is allocated for it, and every index against the vertex count, so a damaged or
// hostile file is refused instead of read past its end or drawn out of its buffer.
#include <bit>
#include <cstring>
#include <vector>

#include "engine/core/FileBytes.h"
#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Model.h"
#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/RenderDevice.h"
#include "engine/graphics/VertexBuffer.h"

static_assert(std::endian::native == std::endian::little, "the model file is read in place as little-endian");

namespace {

// A cursor over the file's bytes that never moves past the end.
class CByteReader {
public:
    CByteReader(const uint8_t* data, size_t size) : m_pData(data), m_nLeft(size) {}

    // Whether count records of recordSize bytes are still unread (counted in 64 bits).
    bool Holds(uint64_t count, uint64_t recordSize) const {
        return recordSize == 0 || count <= m_nLeft / recordSize;
    }
    // The next size bytes, or none when fewer are left.
    const uint8_t* Take(uint64_t size) {
        if (size > m_nLeft)
            return nullptr;
        const uint8_t* p = m_pData;
        m_pData += size;
        m_nLeft -= size;
        return p;
    }
    bool ReadU32(uint32_t* value) {
        const uint8_t* p = Take(4);
        if (!p)
            return false;
        memcpy(value, p, 4);
        return true;
    }

private:
    const uint8_t* m_pData;
    uint64_t m_nLeft;
};

// The device takes buffer sizes as 32-bit byte counts.
bool FitsBuffer(uint64_t count, uint64_t recordSize) {
    return count <= UINT32_MAX / recordSize;
}

}  // namespace

int CModel::Load(CRenderDevice* device, const char* fileName) {
    if (!device)
        return 0;
    // Always: a model whose magic was wrong still holds buffers.
    Free();
    if (!fileName)
        return 0;
    std::vector<uint8_t> data;
    if (!ReadFileBytes(fileName, &data))
        return 0;
    return LoadFromMemory(device, data.data(), data.size());
}

int CModel::LoadFromMemory(CRenderDevice* device, const uint8_t* data, size_t size) {
    if (!device)
        return 0;
    Free();
    if (!data)
        return 0;
    CByteReader reader(data, size);
    const uint8_t* header = reader.Take(modelfile::kHeaderSize);
    if (!header)
        return 0;
    memcpy(&m_Header, header, sizeof m_Header);
    const uint32_t frames = m_Header.nFrames;
    const uint32_t triangles = m_Header.nTriangles;
    const uint32_t vertices = m_Header.nVertices;
    const uint32_t tags = m_Header.nTags;
    const uint64_t indexCount = uint64_t{triangles} * 3;
    const uint64_t frameVertices = uint64_t{frames} * vertices;
    const uint64_t frameTags = uint64_t{frames} * tags;

    // The fixed part of the file must be there before anything is made for it; a mesh
    // without triangles or vertices has no buffer to make.
    uint64_t fixedBytes = 0;
    bool fits = indexCount != 0 && frameVertices != 0 && FitsBuffer(indexCount, 2) &&
                FitsBuffer(frameVertices, modelfile::kVertexSize);
    for (const auto& [count, recordSize] : {std::pair<uint64_t, uint64_t>{indexCount, modelfile::kIndexSize},
                                            {frameVertices, modelfile::kVertexSize},
                                            {uint64_t{tags}, modelfile::kTagNameSize},
                                            {frameTags, modelfile::kTagMatrixSize}}) {
        // Each term is below 2^64 / recordSize once Holds accepted it, and the sum stays
        // below the data size, so nothing here wraps.
        fits = fits && reader.Holds(count, recordSize) && reader.Holds(fixedBytes + count * recordSize, 1);
        if (fits)
            fixedBytes += count * recordSize;
    }
    if (!fits)
        return Free();

    // Triangle indices: the low 16 bits of each, which must name a vertex.
    m_pIndexBuffer = new CIndexBuffer;
    const uint32_t indexBytes = static_cast<uint32_t>(indexCount * 2);
    if (!m_pIndexBuffer->Create(indexBytes, kFormatIndex16, kPoolManaged, 0, device))
        return Free();
    void* lockedIndices = nullptr;
    if (!m_pIndexBuffer->Lock(0, indexBytes, &lockedIndices, 0))
        return Free();
    const uint8_t* indexData = reader.Take(indexCount * modelfile::kIndexSize);
    bool indicesInRange = true;
    auto* indices = static_cast<uint16_t*>(lockedIndices);
    for (uint64_t i = 0; i < indexCount; ++i) {
        uint32_t index;
        memcpy(&index, indexData + i * modelfile::kIndexSize, 4);
        indices[i] = static_cast<uint16_t>(index & 0xFFFF);
        indicesInRange = indicesInRange && indices[i] < vertices;
    }
    m_pIndexBuffer->Unlock();
    if (!indicesInRange)
        return Free();

    // Every frame's vertices, in file order.
    m_pVertexBuffer = new CVertexBuffer;
    const uint32_t vertexBytes = static_cast<uint32_t>(frameVertices * modelfile::kVertexSize);
    if (!m_pVertexBuffer->Create(vertexBytes, modelfile::kVertexFormat, kPoolManaged, 0, device))
        return Free();
    void* lockedVertices = nullptr;
    if (!m_pVertexBuffer->Lock(0, vertexBytes, &lockedVertices, 0))
        return Free();
    memcpy(lockedVertices, reader.Take(vertexBytes), vertexBytes);
    m_pVertexBuffer->Unlock();

    // Tag names, terminated even when they fill all 16 bytes.
    m_pTagNames = new CModelTagName[tags];
    for (uint32_t tag = 0; tag < tags; ++tag) {
        memcpy(m_pTagNames[tag].szName, reader.Take(modelfile::kTagNameSize), modelfile::kTagNameSize);
        m_pTagNames[tag].szName[modelfile::kTagNameSize] = '\0';
    }

    m_ppTagMatrices = new CMatrix*[frames];
    for (uint32_t frame = 0; frame < frames; ++frame) {
        m_ppTagMatrices[frame] = new CMatrix[tags];
        for (uint32_t tag = 0; tag < tags; ++tag)
            memcpy(m_ppTagMatrices[frame][tag].m_f, reader.Take(modelfile::kTagMatrixSize), modelfile::kTagMatrixSize);
    }

    // Weight lists: a count and that many pairs per vertex, skipped.
    if (m_Header.nWeights) {
        for (uint32_t vertex = 0; vertex < vertices; ++vertex) {
            uint32_t pairs;
            if (!reader.ReadU32(&pairs) || !reader.Holds(pairs, modelfile::kWeightPairSize))
                return Free();
            reader.Take(uint64_t{pairs} * modelfile::kWeightPairSize);
        }
    }

    if (m_Header.nVersion > 1) {
        uint32_t spheres;
        uint32_t boxes;
        if (!reader.ReadU32(&spheres) || !reader.ReadU32(&boxes) || !reader.Holds(spheres, modelfile::kSphereSize))
            return Free();
        const uint8_t* sphereData = reader.Take(uint64_t{spheres} * modelfile::kSphereSize);
        if (!reader.Holds(boxes, modelfile::kBoxSize))
            return Free();
        const uint8_t* boxData = reader.Take(uint64_t{boxes} * modelfile::kBoxSize);
        if (spheres) {
            m_pSpheres = new CModelSphere[spheres];
            memcpy(static_cast<void*>(m_pSpheres), sphereData, size_t{spheres} * modelfile::kSphereSize);
        }
        if (boxes) {
            m_pBoxes = new COrientedBox[boxes];
            memcpy(static_cast<void*>(m_pBoxes), boxData, size_t{boxes} * modelfile::kBoxSize);
        }
        m_nSpheres = spheres;
        m_nBoxes = boxes;
    }
    return 1;
}
