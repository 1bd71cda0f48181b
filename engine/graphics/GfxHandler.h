// Owns the named graphics resources of the graphics scripts in load order, finds them by
// name or by file, and loads single resources on demand (shared by file and kind). It
// writes no log of its own: the device's loaders log each file.
#pragma once

#include <cstdint>

#include "engine/core/Class.h"
#include "engine/core/PointerList.h"

class CGfx;
class CRenderDevice;

class CGfxHandler : public CObject {
    DECLARE_RUNTIME_CLASS(CGfxHandler)

public:
    typedef void (*ProgressCallback)(void* argument);

    CGfxHandler() = default;
    ~CGfxHandler() override;

    // Makes the resource list and stores the device; always 1.
    int Init(CRenderDevice* device);
    // One resource per block of the script, in file order, each file prefixed when a prefix
    // is given. The first block that fails ends loading with 0 and keeps what was loaded
    // before it. A missing script is created empty, as every value script.
    int LoadScript(const char* path, const char* prefix);
    // The resource of that file and kind, loaded on first request; none when it fails.
    CGfx* LoadOne(const char* fileName, uint32_t kind);
    // The first resource of that name (case-sensitive; none matches every name).
    CGfx* Find(const char* name) const;
    CGfx* FindByFile(const char* fileName) const;
    // Deletes every resource; the list stays.
    void FreeAll();

    CPointerList* m_pResources = nullptr;
    CRenderDevice* m_pDevice = nullptr;
    // Run after each resource added, when both are set (the loading screen redraws).
    ProgressCallback m_pfnProgress = nullptr;
    void* m_pProgressArgument = nullptr;

private:
    void ReportProgress();
};
