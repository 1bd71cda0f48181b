#include "tools/font/FontFace.h"

#include <cerrno>
#include <cstring>

#include "engine/core/FileBytes.h"

CFace::~CFace() {
    if (m_face)
        FT_Done_Face(m_face);
    if (m_library)
        FT_Done_FreeType(m_library);
}

bool CFace::Open(const char* path, std::string* error) {
    if (FT_Init_FreeType(&m_library)) {
        m_library = nullptr;
        *error = "FreeType does not start";
        return false;
    }
    if (!path) {
        *error = "no font named";
        return false;
    }
    // Read here rather than by FreeType, which tells a missing file from a broken font by an
    // error code only.
    if (!ReadFileBytes(path, &m_bytes)) {
        *error = std::string("cannot read ") + path + ": " + strerror(errno);
        return false;
    }
    if (FT_New_Memory_Face(m_library, m_bytes.data(), static_cast<FT_Long>(m_bytes.size()), 0, &m_face)) {
        m_face = nullptr;
        *error = std::string(path) + " is not a font FreeType can read";
        return false;
    }
    if (!FT_IS_SCALABLE(m_face)) {
        *error = std::string(path) + " has no outlines";
        return false;
    }
    return true;
}
