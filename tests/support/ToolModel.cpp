#include "tests/support/ToolModel.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Model.h"
#include "tools/model/ModelBuilder.h"

bool WriteToolModelFile(const std::string& path, const std::string& text, std::string* error) {
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!MakeModelFromText(text, &bytes, &reason)) {
        *error = path + ": " + reason;
        return false;
    }
    // Written here rather than with the fixtures' file helpers, which the fuzz targets and
    // benchmarks linking this library do not link.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        *error = path + ": cannot be written";
        return false;
    }
    return true;
}

bool MakeToolModel(CRenderDevice* device, const std::string& text, CModel* model, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!MakeModelFromText(text, &bytes, error))
        return false;
    if (!model->LoadFromMemory(device, bytes.data(), bytes.size())) {
        *error = "the model reader refused the tool's file";
        return false;
    }
    return true;
}

CGfx* AddToolModelResource(CGfxHandler* handler, CRenderDevice* device, const char* name, const std::string& text,
                           std::string* error) {
    auto* model = new CModel;
    if (!MakeToolModel(device, text, model, error)) {
        delete model;
        return nullptr;
    }
    auto* gfx = new CGfx;
    gfx->m_sName.Assign(name, static_cast<uint32_t>(strlen(name)));
    gfx->m_pDevice = device;
    gfx->m_nKind = kGfxModel;
    gfx->m_pResource = model;
    gfx->m_bLoaded = 1;
    handler->m_pResources->Append(gfx);
    return gfx;
}
