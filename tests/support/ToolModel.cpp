#include "tests/support/ToolModel.h"

#include <cstdint>
#include <vector>

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
