#include "engine/graphics/GfxHandler.h"

#include "engine/core/StrHelpers.h"
#include "engine/core/ValueScript.h"
#include "engine/graphics/Gfx.h"

namespace {

constexpr const char* kNoGfxFile = "Err::NoGfxFile";

void DeleteBlocks(CPointerList* blocks) {
    for (auto* node = blocks->m_pHead; node; node = node->m_pNext)
        delete static_cast<CValueScript*>(node->m_data);
    blocks->RemoveAll();
}

}  // namespace

CGfxHandler::~CGfxHandler() {
    FreeAll();
    delete m_pResources;
}

int CGfxHandler::Init(CRenderDevice* device) {
    if (!m_pResources)
        m_pResources = new CPointerList(1, 1);
    m_pDevice = device;
    return 1;
}

void CGfxHandler::ReportProgress() {
    if (m_pfnProgress && m_pProgressArgument)
        m_pfnProgress(m_pProgressArgument);
}

int CGfxHandler::LoadScript(const char* path, const char* prefix) {
    if (!m_pResources)
        Init(m_pDevice);
    CPointerList blocks(1, 1);
    if (!CValueScript::LoadAll(path, &blocks)) {
        DeleteBlocks(&blocks);
        return 0;
    }
    for (auto* node = blocks.m_pHead; node; node = node->m_pNext) {
        auto* block = static_cast<CValueScript*>(node->m_data);
        if (prefix) {
            CDynString file(prefix, 0);
            file += block->GetString("File", kNoGfxFile);
            block->SetString("File", file.GetText());
        }
        auto* gfx = static_cast<CGfx*>(CGfx::CreateObject());
        if (!gfx->LoadFromScript(block, m_pDevice)) {
            delete gfx;
            DeleteBlocks(&blocks);
            return 0;
        }
        ReportProgress();
        m_pResources->Append(gfx);
    }
    DeleteBlocks(&blocks);
    return 1;
}

CGfx* CGfxHandler::LoadOne(const char* fileName, uint32_t kind) {
    if (!fileName)
        return nullptr;
    if (!m_pResources)
        Init(m_pDevice);
    // Shared by file and kind: the same file asked for as another kind is a resource of its own.
    for (auto* node = m_pResources->m_pHead; node; node = node->m_pNext) {
        auto* gfx = static_cast<CGfx*>(node->m_data);
        if (gfx->m_nKind == kind && StrCompare(gfx->m_sFile.GetText(), fileName) == 0)
            return gfx;
    }
    auto* gfx = static_cast<CGfx*>(CGfx::CreateObject());
    if (!gfx->LoadAs(fileName, kind, m_pDevice)) {
        delete gfx;
        return nullptr;
    }
    m_pResources->Append(gfx);
    ReportProgress();
    return gfx;
}

CGfx* CGfxHandler::Find(const char* name) const {
    if (!m_pResources)
        return nullptr;
    for (auto* node = m_pResources->m_pHead; node; node = node->m_pNext) {
        auto* gfx = static_cast<CGfx*>(node->m_data);
        if (StrCompare(gfx->m_sName.GetText(), name) == 0)
            return gfx;
    }
    return nullptr;
}

CGfx* CGfxHandler::FindByFile(const char* fileName) const {
    if (!m_pResources)
        return nullptr;
    for (auto* node = m_pResources->m_pHead; node; node = node->m_pNext) {
        auto* gfx = static_cast<CGfx*>(node->m_data);
        if (StrCompare(gfx->m_sFile.GetText(), fileName) == 0)
            return gfx;
    }
    return nullptr;
}

void CGfxHandler::FreeAll() {
    if (!m_pResources)
        return;
    for (auto* node = m_pResources->m_pHead; node; node = node->m_pNext)
        delete static_cast<CGfx*>(node->m_data);
    m_pResources->RemoveAll();
}
