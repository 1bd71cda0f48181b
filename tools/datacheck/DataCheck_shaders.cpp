// The shader script: its line ends, the textures its stages name (loaded into the game's
// graphics as start-up loads them), and the shaders the game finds by name.
#include <strings.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/FileBytes.h"
#include "engine/graphics/Gfx.h"
#include "tools/datacheck/DataCheck_local.h"

void CRootCheck::CheckShaderScript() {
    const CLookedUpFile& script = m_lookups.shaderScript;
    if (!Present(script, EOpen::kExactName))
        return;
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(script.path, &bytes)) {
        m_problems.Add({script.path}, "cannot be read");
        return;
    }
    // The text ends at its first NUL, as the handler reads it.
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    text = text.substr(0, text.find('\0'));
    CheckLineEnds(script.path, text);
    CheckShaderTextures(script.path, text);
    m_shaders.LoadScriptFromMemory(text.data(), text.size(), &Graphics(EGraphicsSet::kGame));
}

// The handler skips a texture that does not load without a word. A stage's texture
// statement stands on a line of its own: "texture <file>".
void CRootCheck::CheckShaderTextures(const std::string& path, std::string_view text) {
    int line = 0;
    for (size_t start = 0; start < text.size();) {
        ++line;
        const size_t feed = text.find('\n', start);
        const size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        const char* cursor = text.data() + start;
        const char* lineEnd = text.data() + end;
        start = end;
        char word[CShaderHandler::kValueSize];
        char file[CShaderHandler::kFileNameSize];
        if (!CShaderHandler::NextToken(&cursor, lineEnd, word, sizeof word) || strcasecmp(word, "texture") != 0 ||
            !CShaderHandler::NextToken(&cursor, lineEnd, file, sizeof file))
            continue;
        const CDataPlace place{path, line};
        if (!Present(place, file, true, EOpen::kExactName))
            continue;
        CGfx* gfx = Graphics(EGraphicsSet::kGame).LoadOne(file, kGfxTexture);
        if (gfx)
            CheckTexture(place, file, gfx);
        else
            m_problems.Add(place, std::string(file) + " does not load as a texture");
    }
}

void CRootCheck::CheckShaderNames() {
    for (const char* name : m_lookups.shaders) {
        if (!m_shaders.GetShader(name))
            m_problems.Add({m_lookups.shaderScript.path, 0, name}, "missing: the game looks this shader up");
    }
}
