#include "winapi/base/Cp1252.h"

#include <cstdint>

namespace winapi {

namespace {

// The code points of 0x80..0x9F; 0 where the code page has no character.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       //
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  //
};

void AppendUtf8(std::string* out, uint32_t code) {
    if (code < 0x80) {
        *out += static_cast<char>(code);
    } else if (code < 0x800) {
        *out += static_cast<char>(0xC0 | (code >> 6));
        *out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out += static_cast<char>(0xE0 | (code >> 12));
        *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The next code point, or -1 for a malformed sequence (which is then skipped).
int32_t NextCodePoint(const unsigned char** text) {
    const unsigned char* p = *text;
    const unsigned char lead = *p++;
    int extra;
    int32_t code;
    if (lead < 0x80) {
        *text = p;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        *text = p;
        return -1;
    }
    for (int i = 0; i < extra; ++i) {
        if ((*p & 0xC0) != 0x80) {
            *text = p;
            return -1;
        }
        code = (code << 6) | (*p++ & 0x3F);
    }
    *text = p;
    // An overlong form (a character written with more bytes than it needs) is malformed.
    static const int32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    return code < kSmallest[extra] ? -1 : code;
}

int ToCp1252(int32_t code) {
    if (code < 0)
        return -1;
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return code;
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == code)
            return 0x80 + i;
    }
    return -1;
}

}  // namespace

std::string Cp1252ToUtf8(const char* text) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        if (*p < 0x80 || *p >= 0xA0) {
            AppendUtf8(&out, *p);
        } else if (kHighControls[*p - 0x80] != 0) {
            AppendUtf8(&out, kHighControls[*p - 0x80]);
        }
    }
    return out;
}

std::string Utf8ToCp1252(const char* text) {
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*p) {
        const int character = ToCp1252(NextCodePoint(&p));
        if (character > 0)
            out += static_cast<char>(character);
    }
    return out;
}

bool Utf8ToCp1252Checked(const char* text, std::string* out, size_t* offset, int32_t* codePoint) {
    out->clear();
    const unsigned char* const start = reinterpret_cast<const unsigned char*>(text ? text : "");
    const unsigned char* p = start;
    while (*p) {
        const unsigned char* const at = p;
        int32_t code = NextCodePoint(&p);
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            code = -1;
        const int character = ToCp1252(code);
        if (character < 0) {
            if (offset)
                *offset = static_cast<size_t>(at - start);
            if (codePoint)
                *codePoint = code;
            return false;
        }
        *out += static_cast<char>(character);
    }
    return true;
}

unsigned char Cp1252FoldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
        case 0x8A:  // Š
        case 0x8C:  // Œ
        case 0x8E:  // Ž
            return static_cast<unsigned char>(c + 0x10);
        case 0x9F:  // Ÿ
            return 0xFF;
        default:
            return c;
    }
}

}  // namespace winapi
