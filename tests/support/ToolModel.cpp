#include "tests/support/ToolModel.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/graphics/Gfx.h"
#include "engine/graphics/GfxHandler.h"
#include "engine/graphics/Model.h"
#include "tools/model/ModelBuilder.h"

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
