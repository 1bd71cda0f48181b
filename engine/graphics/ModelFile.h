// The layout of the model file ("UZQ1", little-endian): a 92-byte header, the triangle
// indices, every frame's vertices, the tag names, every frame's tag matrices, optional weight
// lists and, from version 2 on, the bounding spheres and boxes. Shared by the reader and the
// model writer tool.
#pragma once

#include <cstdint>

namespace modelfile {

constexpr char kMagic[4] = {'U', 'Z', 'Q', '1'};
// The version the writer produces: the first with bounding volumes.
constexpr uint32_t kVersionWithVolumes = 2;

// The header: magic, u32 version, 64 bytes nobody interprets, then u32 frame, triangle,
// vertex (per frame) and tag counts and the weight flag.
constexpr uint32_t kHeaderSize = 92;
constexpr uint32_t kReservedSize = 64;

constexpr uint32_t kIndexSize = 4;           // per index in the file; 3 per triangle
constexpr uint32_t kVertexSize = 32;         // position, normal, u, v
constexpr uint32_t kTagNameSize = 16;        // NUL-padded
constexpr uint32_t kTagMatrixSize = 64;      // 16 floats, row-vector convention
constexpr uint32_t kWeightPairSize = 8;      // two 32-bit values per pair
constexpr uint32_t kSphereSize = 16;         // centre, radius
constexpr uint32_t kBoxSize = 60;            // centre, half extents, three unit axes

// The flexible-vertex-format code of the file's vertices: position, normal, one uv pair.
constexpr uint32_t kVertexFormat = 0x112;

}  // namespace modelfile
