// Parses the shader script into named shaders and hands them out by name. The script is
// forgiving by design: words outside the grammar are skipped, unknown values leave fields
// as they were, a texture that does not load leaves its stage without one, and nothing is
// reported; only a file that cannot be read fails.
#pragma once

#include <cstddef>

#include "engine/core/Class.h"
#include "engine/core/PointerList.h"
#include "engine/graphics/Shader.h"

class CGfxHandler;
class CRenderDevice;

class CShaderHandler : public CObject {
    DECLARE_RUNTIME_CLASS(CShaderHandler)

public:
    static constexpr int kNameSize = 64;       // names of at most 63 characters
    static constexpr int kValueSize = 32;      // keywords and values of at most 31
    static constexpr int kFileNameSize = 260;  // texture file names of at most 259

    // One named shader of the list.
    struct CEntry {
        explicit CEntry(CRenderDevice* device) : shader(device) {}
        char szName[kNameSize] = {};
        CShader shader;
    };

    CShaderHandler();
    ~CShaderHandler() override;

    // The device that shaders parsed from now on draw with.
    void Init(CRenderDevice* device);
    // 1 when the file was read (whatever it held), 0 when it could not be. Textures load
    // through the graphics handler; without one, stages keep none.
    int LoadScript(const char* fileName, CGfxHandler* gfxHandler);
    // The same parser on a script's text; it ends at the size or at a NUL byte. Always 1.
    int LoadScriptFromMemory(const char* text, size_t size, CGfxHandler* gfxHandler);
    // The shader whose name equals the given one without regard to case; none when absent.
    CShader* GetShader(const char* name) const;
    void FreeAll();

    // The next token of the text between *cursor and end: "//" comments to the next line
    // feed and runs of separators (space, tab, "(", ")", ",", and a carriage return only
    // together with a line feed) are skipped, then the characters up to the next separator
    // are copied, at most size - 1 of them, terminated. 0 with an empty token when the text
    // ends first, also inside a token.
    static int NextToken(const char** cursor, const char* end, char* token, int size);

    CRenderDevice* m_pDevice = nullptr;
    CPointerList m_Shaders;  // CEntry*, in the order they were defined
};
