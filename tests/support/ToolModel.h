// Models for tests, made by the model tool from its text and read by the engine's model
// reader, so that tags, volumes and frames come from the real writer.
#pragma once

#include <string>

class CModel;
class CRenderDevice;

// false with the reason when the tool refuses the text or the reader refuses the tool's file.
bool MakeToolModel(CRenderDevice* device, const std::string& text, CModel* model, std::string* error);
