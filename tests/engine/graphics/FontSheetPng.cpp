// Draws the Windows-1252 characters of a TrueType font (DejaVu Sans by default) in both of
// the engine's font forms, made by the font converter, through the Direct3D 9 render device
// as the interface draws text, and writes the frame as a PNG for a person to look at:
// font_sheet_png [out.png] [font.ttf].
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/graphics/Font.h"
#include "engine/graphics/RenderDeviceDX9.h"
#include "engine/graphics/Texture2D.h"
#include "tests/support/PictureDevice.h"
#include "tools/font/FontConverter.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 440;

// Rows of sixteen codes from 0x20 to 0xFF at half size, then a line of text at full size.
void DrawSheet(CRenderDeviceDX9* device, CFont* font, CTexture2D* texture, float left, const char* title) {
    const int textureWidth = static_cast<int>(texture->GetWidth());
    const int textureHeight = static_cast<int>(texture->GetHeight());
    device->SetTexture(0, texture);
    const CVector3 heading(left, 8.0f, 0.5f);
    device->DrawText2D(&heading, title, static_cast<int>(std::string(title).size()), font, textureWidth, textureHeight,
                       0xFFFFD080, 0.5f, 0.5f, 0.0f);
    for (int row = 0; row < 14; ++row) {
        for (int column = 0; column < 16; ++column) {
            const char code = static_cast<char>(0x20 + 16 * row + column);
            device->SetTexture(0, texture);
            const CVector3 at(left + 21.0f * static_cast<float>(column), 36.0f + 22.0f * static_cast<float>(row), 0.5f);
            device->DrawText2D(&at, &code, 1, font, textureWidth, textureHeight, 0xFFD1ECE2, 0.5f, 0.5f, 0.0f);
        }
    }
    const char sample[] = "Gr\xf6\xdf" "e 12,50 \x80\n\x84Quiz\x93 \x96 fj\xe6";
    device->SetTexture(0, texture);
    const CVector3 at(left, 350.0f, 0.5f);
    device->DrawText2D(&at, sample, static_cast<int>(sizeof sample - 1), font, textureWidth, textureHeight, 0xFFFFFFFF,
                       1.0f, 1.0f, 0.0f);
}

}  // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "font-sheet.png";
    const char* source = argc > 2 ? argv[2] : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    COutlineFont outline;
    CCellFont cells;
    std::string error;
    if (!MakeOutlineFont(source, &outline, &error) || !MakeCellFont(source, 40, &cells, &error)) {
        fprintf(stderr, "font_sheet_png: %s\n", error.c_str());
        return 1;
    }
    CPictureDevice picture;
    if (!picture.Open("font_sheet_png", kWidth, kHeight, 64, 256, 1024))
        return 1;
    CRenderDeviceDX9& device = picture.device;
    bool written = false;
    int width = 0;
    int height = 0;
    {
        const std::vector<uint8_t> outlineFile = EncodeOutlineFont(outline);
        const std::vector<uint8_t> cellFile = EncodeCellFont(cells);
        const std::vector<uint8_t> cellTexture = EncodeCellTexture(cells);
        CFont outlineFont;
        CFont cellFont;
        CTexture2D texture;
        if (outlineFont.LoadData(outlineFile.data(), outlineFile.size(), &device) &&
            cellFont.LoadData(cellFile.data(), cellFile.size(), &device) &&
            texture.LoadTga(cellTexture.data(), cellTexture.size(), 0, 0, &device)) {
            device.Clear(kClearTarget | kClearDepth, 0xFF1C2433, 1.0f, 0);
            device.BeginScene();
            device.SetRenderState(kRenderAlphaBlendEnable, 1);
            device.SetRenderState(kRenderSourceBlend, kBlendSourceAlpha);
            device.SetRenderState(kRenderDestinationBlend, kBlendInverseSourceAlpha);
            DrawSheet(&device, &outlineFont, &texture, 16.0f, "outline form");
            DrawSheet(&device, &cellFont, &texture, 376.0f, "bitmap-cell form");
            device.EndScene();
            written = picture.WriteBackBuffer(out, &width, &height);
        }
    }
    if (!written) {
        fprintf(stderr, "font_sheet_png: cannot render or write %s\n", out);
        return 1;
    }
    printf("font_sheet_png: wrote %s (%dx%d)\n", out, width, height);
    return 0;
}
