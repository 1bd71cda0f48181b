#include "tools/render/RecordingRenderDevice.h"

#include <cstdarg>
#include <cstdio>

#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/Texture2D.h"
#include "engine/graphics/VertexBuffer.h"

CRecordingRenderDevice::~CRecordingRenderDevice() {
    Shutdown();
}

void CRecordingRenderDevice::RecordDrawWorld() {
    if (m_bRecordCalls)
        m_DrawWorlds.push_back(m_Transforms[kTransformWorld]);
}

void CRecordingRenderDevice::Record(const char* format, ...) {
    if (!m_bRecordCalls)
        return;
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    m_Calls.emplace_back(line);
}

int CRecordingRenderDevice::InitForTest(uint32_t pnt1Count, uint32_t pct2Count, uint32_t prc2t1Count, CLogFile* log) {
    if (!CRenderDevice::Init(nullptr, 640, 480, 32, 0, 0, 0, pnt1Count, pct2Count, prc2t1Count, log, 0))
        return 0;
    m_nWidth = 640;
    m_nHeight = 480;
    m_nBitsPerPixel = 32;
    m_nDepthFormat = kFormatD24S8;
    return CreateDynamicBuffers();
}

int CRecordingRenderDevice::Reset(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int bFullscreen,
                                  uint32_t multisample, int bVSync) {
    Record("Reset %u %u %u %d %u %d", width, height, bitsPerPixel, bFullscreen, multisample, bVSync);
    return 1;
}

int CRecordingRenderDevice::CheckDevice() {
    return 1;
}

int CRecordingRenderDevice::BeginScene() {
    Record("BeginScene");
    return 1;
}

int CRecordingRenderDevice::EndScene() {
    Record("EndScene");
    return 1;
}

int CRecordingRenderDevice::Present() {
    Record("Present");
    return 1;
}

int CRecordingRenderDevice::Clear(uint32_t flags, uint32_t color, float depth, uint32_t stencil) {
    Record("Clear %u 0x%08x %g %u", flags, color, static_cast<double>(depth), stencil);
    return 1;
}

int CRecordingRenderDevice::SetTransform(uint32_t kind, const CMatrix* matrix) {
    if (kind >= kTransformCount || !matrix)
        return 0;
    m_Transforms[kind] = *matrix;
    Record("SetTransform %u", kind);
    return 1;
}

int CRecordingRenderDevice::GetTransform(uint32_t kind, CMatrix* matrix) {
    if (kind >= kTransformCount || !matrix)
        return 0;
    *matrix = m_Transforms[kind];
    return 1;
}

CRecordingRenderDevice::BufferRecord* CRecordingRenderDevice::Find(std::vector<BufferRecord>& table,
                                                                   uint32_t handle) {
    if (handle == 0 || handle > table.size() || table[handle - 1].released)
        return nullptr;
    return &table[handle - 1];
}

CRecordingRenderDevice::BufferRecord* CRecordingRenderDevice::VertexBuffer(uint32_t handle) {
    return Find(m_VertexBuffers, handle);
}

CRecordingRenderDevice::BufferRecord* CRecordingRenderDevice::IndexBuffer(uint32_t handle) {
    return Find(m_IndexBuffers, handle);
}

CRecordingRenderDevice::TextureRecord* CRecordingRenderDevice::Texture(uint32_t handle) {
    if (handle == 0 || handle > m_Textures.size() || m_Textures[handle - 1].released)
        return nullptr;
    return &m_Textures[handle - 1];
}

int CRecordingRenderDevice::Lock(std::vector<BufferRecord>& table, uint32_t handle, uint32_t offset, uint32_t size,
                                 void** data) {
    BufferRecord* record = Find(table, handle);
    if (!record || !data || m_bFailLock || uint64_t{offset} + size > record->bytes.size())
        return 0;
    record->locked = true;
    *data = record->bytes.data() + offset;
    return 1;
}

uint32_t CRecordingRenderDevice::CreateVertexBuffer(uint32_t byteSize, uint32_t usage, uint32_t vertexFormat,
                                                    uint32_t pool, CVertexBuffer* owner) {
    Record("CreateVertexBuffer %u 0x%x 0x%x %u", byteSize, usage, vertexFormat, pool);
    if (!owner || !vertexFormat || !byteSize || m_bFailCreateVertexBuffer)
        return 0;
    BufferRecord record;
    record.bytes.assign(byteSize, 0);
    record.usage = usage;
    record.format = vertexFormat;
    record.pool = pool;
    m_VertexBuffers.push_back(std::move(record));
    return static_cast<uint32_t>(m_VertexBuffers.size());
}

int CRecordingRenderDevice::LockVertexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data,
                                             uint32_t flags) {
    Record("LockVertexBuffer %u %u %u 0x%x", handle, offset, size, flags);
    return Lock(m_VertexBuffers, handle, offset, size, data);
}

int CRecordingRenderDevice::UnlockVertexBuffer(uint32_t handle) {
    Record("UnlockVertexBuffer %u", handle);
    BufferRecord* record = VertexBuffer(handle);
    if (!record)
        return 0;
    record->locked = false;
    return 1;
}

int CRecordingRenderDevice::ReleaseVertexBuffer(uint32_t handle) {
    Record("ReleaseVertexBuffer %u", handle);
    BufferRecord* record = VertexBuffer(handle);
    if (!record)
        return 0;
    record->released = true;
    return 1;
}

uint32_t CRecordingRenderDevice::CreateIndexBuffer(uint32_t byteSize, uint32_t usage, uint32_t indexFormat,
                                                   uint32_t pool, CIndexBuffer* owner) {
    Record("CreateIndexBuffer %u 0x%x %u %u", byteSize, usage, indexFormat, pool);
    if (!owner || !indexFormat || !byteSize || m_bFailCreateIndexBuffer)
        return 0;
    BufferRecord record;
    record.bytes.assign(byteSize, 0);
    record.usage = usage;
    record.format = indexFormat;
    record.pool = pool;
    m_IndexBuffers.push_back(std::move(record));
    return static_cast<uint32_t>(m_IndexBuffers.size());
}

int CRecordingRenderDevice::LockIndexBuffer(uint32_t handle, uint32_t offset, uint32_t size, void** data,
                                            uint32_t flags) {
    Record("LockIndexBuffer %u %u %u 0x%x", handle, offset, size, flags);
    return Lock(m_IndexBuffers, handle, offset, size, data);
}

int CRecordingRenderDevice::UnlockIndexBuffer(uint32_t handle) {
    Record("UnlockIndexBuffer %u", handle);
    BufferRecord* record = IndexBuffer(handle);
    if (!record)
        return 0;
    record->locked = false;
    return 1;
}

int CRecordingRenderDevice::ReleaseIndexBuffer(uint32_t handle) {
    Record("ReleaseIndexBuffer %u", handle);
    BufferRecord* record = IndexBuffer(handle);
    if (!record)
        return 0;
    record->released = true;
    return 1;
}

uint32_t CRecordingRenderDevice::AddTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                            uint32_t format, uint32_t userValue, CTexture2D* owner) {
    Record("AddTexture %u %u %u %u %u %u", width, height, levels, usage, format, userValue);
    if (!width || !height || !format || m_bFailAddTexture)
        return 0;
    TextureRecord record;
    record.width = width;
    record.height = height;
    record.levels = levels;
    record.usage = usage;
    record.format = format;
    record.userValue = userValue;
    record.owner = owner;
    m_Textures.push_back(std::move(record));
    return static_cast<uint32_t>(m_Textures.size());
}

int CRecordingRenderDevice::ReleaseTexture(uint32_t handle) {
    Record("ReleaseTexture %u", handle);
    TextureRecord* record = Texture(handle);
    if (!record)
        return 0;
    record->released = true;
    record->owner = nullptr;
    return 1;
}

int CRecordingRenderDevice::CreateTexture(uint32_t handle, uint32_t width, uint32_t height, uint32_t levels,
                                          uint32_t usage, uint32_t format, uint32_t userValue, const uint8_t* pixels,
                                          int flag) {
    Record("CreateTexture %u %u %u %u %u %u %u %d", handle, width, height, levels, usage, format, userValue, flag);
    TextureRecord* record = Texture(handle);
    if (!record || m_bFailCreateTexture)
        return 0;
    ++record->uploads;
    record->lastFlag = flag;
    const size_t bytes = size_t{GetBytesPerPixel(format)} * width * height;
    record->uploadedPixels.assign(pixels, pixels ? pixels + bytes : pixels);
    return 1;
}

int CRecordingRenderDevice::SetVertexBuffer(uint32_t stream, CVertexBuffer* buffer, uint32_t offset) {
    Record("SetVertexBuffer %u %u %u", stream, buffer ? buffer->GetHandle() : 0, offset);
    return 1;
}

int CRecordingRenderDevice::SetIndexBuffer(CIndexBuffer* buffer) {
    Record("SetIndexBuffer %u", buffer ? buffer->GetHandle() : 0);
    return 1;
}

int CRecordingRenderDevice::SetTexture(uint32_t stage, CTexture2D* texture) {
    Record("SetTexture %u %u", stage, texture ? texture->GetHandle() : 0);
    return 1;
}

int CRecordingRenderDevice::SetTextureLOD(uint32_t levelOfDetail) {
    Record("SetTextureLOD %u", levelOfDetail);
    return 1;
}

int CRecordingRenderDevice::SetRenderState(uint32_t state, uint32_t value) {
    m_RenderStates[state] = value;
    Record("SetRenderState %u %u", state, value);
    return 1;
}

int CRecordingRenderDevice::SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) {
    m_StageStates[{stage, state}] = value;
    Record("SetTextureStageState %u %u %u", stage, state, value);
    return 1;
}

int CRecordingRenderDevice::SetMaterial(const CMaterial* material) {
    if (!material)
        return 0;
    m_Material = *material;
    Record("SetMaterial");
    return 1;
}

int CRecordingRenderDevice::GetMaterial(CMaterial* material) {
    if (!material)
        return 0;
    *material = m_Material;
    return 1;
}

int CRecordingRenderDevice::Reserved() {
    return 0;
}

int CRecordingRenderDevice::SetViewport(const CRenderViewport* viewport) {
    if (!viewport)
        return 0;
    m_Viewport = *viewport;
    Record("SetViewport %u %u %u %u", viewport->X, viewport->Y, viewport->Width, viewport->Height);
    return 1;
}

int CRecordingRenderDevice::GetViewport(CRenderViewport* viewport) {
    if (!viewport)
        return 0;
    *viewport = m_Viewport;
    return 1;
}

int CRecordingRenderDevice::SetLight(uint32_t index, const CLight* light) {
    if (!light || index > 7)
        return 0;
    m_Lights[index] = *light;
    Record("SetLight %u", index);
    return 1;
}

int CRecordingRenderDevice::GetLight(uint32_t index, CLight* light) {
    if (!light || index > 7)
        return 0;
    *light = m_Lights[index];
    return 1;
}

int CRecordingRenderDevice::LightEnable(uint32_t index, int bEnable) {
    if (index > 7)
        return 0;
    m_bLightEnabled[index] = bEnable ? 1 : 0;
    Record("LightEnable %u %d", index, bEnable);
    return 1;
}

int CRecordingRenderDevice::GetLightEnable(uint32_t index, int* bEnabled) {
    if (index > 7 || !bEnabled)
        return 0;
    *bEnabled = m_bLightEnabled[index];
    return 1;
}

int CRecordingRenderDevice::DrawIndexedPrimitive(uint32_t type, int baseVertex, uint32_t minIndex,
                                                 uint32_t vertexCount, uint32_t startIndex, uint32_t primitiveCount) {
    RecordDrawWorld();
    Record("DrawIndexedPrimitive %u %d %u %u %u %u", type, baseVertex, minIndex, vertexCount, startIndex,
           primitiveCount);
    return 1;
}

int CRecordingRenderDevice::DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) {
    RecordDrawWorld();
    Record("DrawPrimitive %u %u %u", type, startVertex, primitiveCount);
    return 1;
}

int CRecordingRenderDevice::DrawBillboard(const CVector3* /*position*/, float halfWidth, float halfHeight,
                                          uint32_t color, CCamera* /*camera*/) {
    RecordDrawWorld();
    Record("DrawBillboard %g %g 0x%08x", static_cast<double>(halfWidth), static_cast<double>(halfHeight), color);
    return 1;
}

int CRecordingRenderDevice::DrawText(const CVector3* /*position*/, CCamera* /*camera*/, const char* text, int length,
                                     CFont* /*font*/, int /*textureWidth*/, int /*textureHeight*/, uint32_t color,
                                     float /*scaleX*/, float /*scaleY*/, float /*spacing*/) {
    Record("DrawText %.*s 0x%08x", length > 0 ? length : 0, text ? text : "", color);
    return 1;
}

int CRecordingRenderDevice::DrawQuad2D(float x, float y, float z, float width, float height, uint32_t color,
                                       float leftU, float topV, float rightU, float bottomV) {
    Record("DrawQuad2D %g %g %g %g %g 0x%08x %g %g %g %g", static_cast<double>(x), static_cast<double>(y),
           static_cast<double>(z), static_cast<double>(width), static_cast<double>(height), color,
           static_cast<double>(leftU), static_cast<double>(topV), static_cast<double>(rightU),
           static_cast<double>(bottomV));
    return 1;
}

int CRecordingRenderDevice::DrawRotatedQuad2D(const CVector3* centre, float width, float height, uint32_t color,
                                              float angle) {
    Record("DrawRotatedQuad2D %g %g %g %g %g 0x%08x %.9g", static_cast<double>(centre->x),
           static_cast<double>(centre->y), static_cast<double>(centre->z), static_cast<double>(width),
           static_cast<double>(height), color, static_cast<double>(angle));
    return 1;
}

int CRecordingRenderDevice::DrawText2D(const CVector3* /*position*/, const char* text, int length, CFont* /*font*/,
                                       int /*textureWidth*/, int /*textureHeight*/, uint32_t color, float /*scaleX*/,
                                       float /*scaleY*/, float /*spacing*/) {
    Record("DrawText2D %.*s 0x%08x", length > 0 ? length : 0, text ? text : "", color);
    return 1;
}

int CRecordingRenderDevice::DrawTextTransformed(const CVector3* /*position*/, const CMatrix* /*matrix*/,
                                                const char* text, int length, CFont* /*font*/, int /*textureWidth*/,
                                                int /*textureHeight*/, uint32_t color, float /*scaleX*/,
                                                float /*scaleY*/, float /*spacing*/) {
    Record("DrawTextTransformed %.*s 0x%08x", length > 0 ? length : 0, text ? text : "", color);
    return 1;
}

int CRecordingRenderDevice::DrawBox(const CVector3* centre, const CVector3* /*halfExtents*/,
                                    const CVector3* /*axes*/, uint32_t color) {
    RecordDrawWorld();
    if (m_bRecordCalls && centre)
        m_DrawnBoxCentres.push_back(*centre);
    Record("DrawBox 0x%08x", color);
    return 1;
}

int CRecordingRenderDevice::DrawSphere(const CVector3* /*centre*/, float radius, uint32_t color, int segments) {
    RecordDrawWorld();
    Record("DrawSphere %g 0x%08x %d", static_cast<double>(radius), color, segments);
    return 1;
}

int CRecordingRenderDevice::DrawGridMesh(const void* /*points*/, uint32_t stride, uint32_t columns, uint32_t rows,
                                         int bSmooth, int bBackSide) {
    Record("DrawGridMesh %u %u %u %d %d", stride, columns, rows, bSmooth, bBackSide);
    return 1;
}

int CRecordingRenderDevice::DrawAxes(float length) {
    Record("DrawAxes %g", static_cast<double>(length));
    return 1;
}
