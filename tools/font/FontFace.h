// A FreeType face read from a font file, with its library: the one way the tools open fonts.
// Closed on every path.
#pragma once

#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

class CFace {
public:
    CFace() = default;
    CFace(const CFace&) = delete;
    CFace& operator=(const CFace&) = delete;
    ~CFace();

    // false with a message naming the file when it cannot be read or holds no outline font.
    bool Open(const char* path, std::string* error);
    FT_Face Get() const { return m_face; }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    std::vector<FT_Byte> m_bytes;  // the file, which a memory face reads until it is done
};
