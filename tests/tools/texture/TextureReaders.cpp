#include "tests/tools/texture/TextureReaders.h"

#include <cstdio>
#include <cstdlib>

#include "engine/graphics/RenderCodes.h"
#include "engine/graphics/Texture2D.h"
#include "tests/support/TempDir.h"
#include "tests/support/ToolRun.h"
#include "tools/render/RecordingRenderDevice.h"

int MakeTexture(const std::string& recipe, const std::string& out, const std::string& messages) {
    return RunRecipeTool(MAKE_TEXTURE, recipe, out, messages);
}

std::string Identify(const std::string& path) {
    const std::string out = path + ".identify";
    const std::string command =
        "identify -format '%w %h %z %[channels] %C' " + Quoted(path) + " >" + Quoted(out) + " 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return "identify failed";
    const std::string text = ReadText(out);
    std::remove(out.c_str());
    return text;
}

bool ReadWithConvert(const std::string& path, CDecoded* image) {
    const std::string size = Identify(path);
    if (sscanf(size.c_str(), "%u %u", &image->width, &image->height) != 2)
        return false;
    const std::string raw = path + ".rgba";
    const std::string command = "convert " + Quoted(path) + " -depth 8 rgba:" + Quoted(raw) + " 2>/dev/null";
    const int status = std::system(command.c_str());
    const std::vector<unsigned char> bytes = ReadBytes(raw);
    std::remove(raw.c_str());
    image->rgba.assign(bytes.begin(), bytes.end());
    return status == 0 && image->rgba.size() == size_t{image->width} * image->height * 4;
}

bool ReadWithEngine(const std::string& path, CDecoded* image, uint32_t* format) {
    CRecordingRenderDevice device;
    if (device.InitForTest(0, 0, 0) != 1)
        return false;
    CTexture2D texture;
    if (texture.LoadFile(path.c_str(), 0, 0, &device) != 1)
        return false;
    image->width = texture.GetWidth();
    image->height = texture.GetHeight();
    *format = texture.GetFormat();
    const uint32_t pixelSize = *format == kFormatA8R8G8B8 ? 4 : 3;
    image->rgba.clear();
    for (size_t i = 0; i < size_t{image->width} * image->height; ++i) {
        const uint8_t* pixel = texture.m_pPixels + i * pixelSize;
        image->rgba.insert(image->rgba.end(), pixel, pixel + 3);
        image->rgba.push_back(pixelSize == 4 ? pixel[3] : 255);
    }
    return true;
}
