// Models for tests, made by the model tool from its text and read by the engine's model
// reader, so that tags, volumes and frames come from the real writer.
#pragma once

#include <string>

class CGfx;
class CGfxHandler;
class CModel;
class CRenderDevice;

// Writes the tool's model file of the text to the path; false with "path: reason" when the
// tool refuses the text or the file cannot be written.
bool WriteToolModelFile(const std::string& path, const std::string& text, std::string* error);
// false with the reason when the tool refuses the text or the reader refuses the tool's file.
bool MakeToolModel(CRenderDevice* device, const std::string& text, CModel* model, std::string* error);
// A model resource of that name holding the tool's model of the text, appended to the
// handler's resources, which then own it; none with the reason when the model cannot be made.
CGfx* AddToolModelResource(CGfxHandler* handler, CRenderDevice* device, const char* name, const std::string& text,
                           std::string* error);
