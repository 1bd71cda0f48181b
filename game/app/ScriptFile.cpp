#include "game/app/ScriptFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/AtomicFile.h"
#include "engine/core/LogFile.h"
#include "engine/core/StrHelpers.h"
#include "engine/core/Vector3.h"
#include "winapi/base/WinPath.h"

const CScriptSeparator CScriptFile::kDefaultSeparators[4] = {{"\r\n"}, {" "}, {"\t"}, {","}};

namespace {

struct SeparatorTable {
    const CScriptSeparator* entries;
    int count;
    uint64_t firstBytes[4];  // a bit for each byte that begins an entry: most bytes of a token fail here
};

// Null takes the default table, where a count outside 1 to 4 means all of it.
SeparatorTable ResolveSeparators(const CScriptSeparator* separators, int count) {
    SeparatorTable table{};
    if (!separators) {
        const int all = CScriptFile::kDefaultSeparatorCount;
        table.entries = CScriptFile::kDefaultSeparators;
        table.count = count < 1 || count > all ? all : count;
    } else {
        table.entries = separators;
        table.count = count < 0 ? 0 : count;
    }
    for (int i = 0; i < table.count; ++i) {
        const auto first = static_cast<unsigned char>(table.entries[i].m_szText[0]);
        table.firstBytes[first >> 6] |= uint64_t{1} << (first & 63);
    }
    return table;
}

// A zero byte never separates, and so neither does an empty entry, which would match
// everywhere without moving.
int MatchSeparator(const char* p, const char* end, const SeparatorTable& table) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte == 0 || !(table.firstBytes[byte >> 6] >> (byte & 63) & 1))
        return 0;
    const ptrdiff_t left = end - p;
    for (int i = 0; i < table.count; ++i) {
        const char* entry = table.entries[i].m_szText;
        if (entry[0] != *p)
            continue;
        const size_t length = strnlen(entry, sizeof table.entries[i].m_szText - 1);
        if (static_cast<ptrdiff_t>(length) <= left && memcmp(p, entry, length) == 0)
            return static_cast<int>(length);
    }
    return 0;
}

bool SkipCommentAt(const char** p, const char* end) {
    if (end - *p < 2 || (*p)[0] != '/' || (*p)[1] != '/')
        return false;
    const void* lineFeed = memchr(*p + 2, '\n', static_cast<size_t>(end - *p - 2));
    *p = lineFeed ? static_cast<const char*>(lineFeed) + 1 : end;
    return true;
}

// Finds the next token: its length, its first character in *start and *pos behind it; -1
// with *pos at end when the text ends before a separator follows a token.
int NextTokenSpan(const char** pos, const char* end, const SeparatorTable& table, const char** start) {
    const char* p = *pos;
    for (;;) {
        if (p >= end) {
            *pos = end;
            return -1;
        }
        const bool skippedComment = SkipCommentAt(&p, end);
        if (p < end) {
            int length = MatchSeparator(p, end, table);
            if (length > 0) {
                do
                    p += length;
                while (p < end && (length = MatchSeparator(p, end, table)) > 0);
                continue;
            }
        }
        if (!skippedComment)
            break;
    }
    *start = p;
    while (p < end && MatchSeparator(p, end, table) == 0)
        ++p;
    *pos = p;
    if (p >= end)
        return -1;
    return static_cast<int>(p - *start);
}

bool ValidRange(const char* const* pos, const char* end) {
    return pos && *pos && end && *pos <= end;
}

}  // namespace

CScriptFile::CScriptFile(CLogFile* log) : m_pLog(log), m_nTextLength(0), m_pText(nullptr), m_bWide(0) {}

CScriptFile::~CScriptFile() {
    FreeText();
}

void CScriptFile::FreeText() {
    free(m_pText);
    m_pText = nullptr;
    m_nTextLength = 0;
    m_bWide = 0;
}

void CScriptFile::Log(const char* text) const {
    if (m_pLog)
        m_pLog->Write(text);
}

// --- loading and writing ---------------------------------------------------------------------------

int CScriptFile::LoadScript(const char* path, const char* key, int keyLength) {
    if (m_pLog)
        m_pLog->Printf("LoadScript - tyring to load \"%s\"\n", path ? path : "");
    FreeText();
    FILE* file = path ? winapi::FileOpen(path, "rb") : nullptr;
    if (!file || !ReadWholeFile(file)) {
        Log("LoadScript - loading failed\n");
        return 0;
    }
    return DecodeText(key, keyLength);
}

int CScriptFile::ReadWholeFile(FILE* file) {
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    bool read = size >= 0 && size <= INT_MAX && fseek(file, 0, SEEK_SET) == 0;
    char* text = nullptr;
    if (read) {
        text = static_cast<char*>(calloc(static_cast<size_t>(size) + 1, 1));
        read = text && fread(text, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
    }
    fclose(file);
    if (!read) {
        free(text);
        return 0;
    }
    m_pText = text;
    m_nTextLength = static_cast<int>(size);
    return 1;
}

int CScriptFile::SetText(const char* text, int length) {
    char* copy = nullptr;
    if (length >= 0 && (text || length == 0))
        copy = static_cast<char*>(calloc(static_cast<size_t>(length) + 1, 1));
    if (copy && length > 0)
        memcpy(copy, text, static_cast<size_t>(length));
    FreeText();
    if (!copy)
        return 0;
    m_pText = copy;
    m_nTextLength = length;
    return 1;
}

int CScriptFile::DecodeText(const char* key, int keyLength) {
    const int fileLength = m_nTextLength;
    int result = fileLength;
    int crypted = 0;
    const bool marked =
        fileLength >= kPlainMarkerLength && memcmp(m_pText, kPlainMarker, kPlainMarkerLength) == 0;
    if (key && !marked) {
        // The plain text is shorter than the file; the bytes behind it stay zero.
        void* enciphered = fileLength > 0 ? malloc(static_cast<size_t>(fileLength)) : nullptr;
        result = -1;
        if (enciphered) {
            memcpy(enciphered, m_pText, static_cast<size_t>(fileLength));
            memset(m_pText, 0, static_cast<size_t>(fileLength));
            result = m_Cipher.Transform(CScriptCipher::kDecipher, static_cast<const uint8_t*>(enciphered), fileLength,
                                        reinterpret_cast<uint8_t*>(m_pText), key, keyLength);
            free(enciphered);
        }
        if (result <= 0) {
            FreeText();
            Log("LoadScript - loading NOT successful! (decrypting)\n");
            return 0;
        }
        crypted = 1;
    }

    const int dataLength = result;
    const auto* data = reinterpret_cast<const uint8_t*>(m_pText);
    if (dataLength >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        // The low byte of each whole unit behind the mark, up to the first zero unit.
        const int units = (dataLength - 2) / 2;
        std::vector<char16_t> wide(static_cast<size_t>(units) + 1, u'\0');
        for (int i = 0; i < units; ++i)
            wide[static_cast<size_t>(i)] = static_cast<char16_t>(data[2 + 2 * i] | data[3 + 2 * i] << 8);
        const int textLength = fileLength / 2;
        char* text = static_cast<char*>(calloc(static_cast<size_t>(textLength) + 1, 1));
        if (!text) {
            FreeText();
            Log("LoadScript - loading failed\n");
            return 0;
        }
        if (units > 0)
            WideToStr(wide.data(), text, units);
        FreeText();
        m_pText = text;
        m_nTextLength = textLength;
        m_bWide = 1;
    }

    if (m_pLog)
        m_pLog->Printf("LoadScript - loading successful %d chars read, crypted = %d\n", result, crypted);
    return result;
}

int CScriptFile::WriteScript(const char* path, const char* text) {
    const size_t length = text ? strlen(text) : 0;
    CAtomicFile file;
    if (!text || length > INT_MAX || !file.Open(path) || !file.Write(text, length) || !file.Commit()) {
        Log("WriteScript - writing failed\n");
        return 0;
    }
    if (m_pLog)
        m_pLog->Printf("WriteScript - writing successful %d chars written\n", static_cast<int>(length));
    return static_cast<int>(length);
}

// --- tokens and blocks -----------------------------------------------------------------------------

const char* CScriptFile::GetNextToken(char* dst, int dstSize, const char** pos, const char* end,
                                      const CScriptSeparator* separators, int count) {
    if (!dst || dstSize < 1)
        return nullptr;
    dst[0] = '\0';
    if (!ValidRange(pos, end))
        return nullptr;
    const char* start = nullptr;
    const int length = NextTokenSpan(pos, end, ResolveSeparators(separators, count), &start);
    if (length < 0)
        return nullptr;
    const int copied = length < dstSize - 1 ? length : dstSize - 1;
    memcpy(dst, start, static_cast<size_t>(copied));
    dst[copied] = '\0';
    return start;
}

int CScriptFile::IsSeparator(const char* const* pos, const char* end, const CScriptSeparator* separators,
                             int count) {
    if (!ValidRange(pos, end) || *pos == end)
        return 0;
    return MatchSeparator(*pos, end, ResolveSeparators(separators, count));
}

int CScriptFile::SkipComment(const char** pos, const char* end) {
    if (!ValidRange(pos, end))
        return 0;
    return SkipCommentAt(pos, end) ? 1 : 0;
}

int CScriptFile::GetNextBlock(CScriptRange* range, const char** pos, const char* end) const {
    if (!range || !ValidRange(pos, end))
        return 0;
    char token[kTokenSize];
    int depth = 0;
    int tokens = 0;
    while (GetNextToken(token, sizeof token, pos, end)) {
        depth += BlockDelta(token);
        if (tokens++ == 0)
            range->pStart = *pos;
        range->pEnd = *pos;
        if (depth == 0)
            return 1;
    }
    if (depth > 0)
        Log("GetNextBlock - ERROR: block begin expected!\n");
    else if (depth < 0)
        Log("GetNextBlock - ERROR: block end expected!\n");
    return 0;
}

const char* CScriptFile::FindToken(const char* name, const char** pos, const char* end,
                                   const CScriptSeparator* separators, int count) {
    if (!name || !ValidRange(pos, end))
        return nullptr;
    const SeparatorTable table = ResolveSeparators(separators, count);
    const size_t nameLength = strlen(name);
    const char* start = nullptr;
    int length;
    while ((length = NextTokenSpan(pos, end, table, &start)) >= 0) {
        if (static_cast<size_t>(length) == nameLength && memcmp(start, name, nameLength) == 0)
            return start;
    }
    return nullptr;
}

int CScriptFile::BlockDelta(const char* token) {
    if (!token)
        return 0;
    if (strcmp(token, "{") == 0)
        return -1;
    if (strcmp(token, "}") == 0)
        return 1;
    return 0;
}

// --- vectors and written text ----------------------------------------------------------------------

int CScriptFile::ReadVector(CVector3* vec, const char** pos, const char* end) {
    if (!vec)
        return 0;
    float* components[] = {&vec->x, &vec->y, &vec->z};
    char token[kVectorTokenSize];
    for (float* component : components) {
        if (!GetNextToken(token, sizeof token, pos, end))
            return 0;
        *component = ParseFloat(token);
    }
    return 1;
}

int32_t CScriptFile::ParseInt(const char* token) {
    if (!token)
        return 0;
    const long long value = strtoll(token, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

float CScriptFile::ParseFloat(const char* token) {
    if (!token)
        return 0.0f;
    const float value = static_cast<float>(strtod(token, nullptr));
    return std::isfinite(value) ? value : 0.0f;
}

void CScriptFile::FormatVector(char* out, int outSize, const CVector3& vec) {
    if (!out || outSize < 1)
        return;
    const float components[] = {vec.x, vec.y, vec.z};
    char formatted[3][48];
    for (int i = 0; i < 3; ++i) {
        const double value = components[i];
        snprintf(formatted[i], sizeof formatted[i], std::floor(value) == value ? "%.0f" : "%.5f", value);
    }
    snprintf(out, static_cast<size_t>(outSize), "%s, %s, %s", formatted[0], formatted[1], formatted[2]);
}

int CScriptFile::AppendString(char** text, const char* more) {
    if (!text)
        return 0;
    const size_t oldLength = *text ? strlen(*text) : 0;
    const size_t moreLength = more ? strlen(more) : 0;
    char* joined = static_cast<char*>(calloc(oldLength + moreLength + 1, 1));
    if (!joined)
        return 0;
    if (oldLength > 0)
        memcpy(joined, *text, oldLength);
    if (moreLength > 0)
        memcpy(joined + oldLength, more, moreLength);
    free(*text);
    *text = joined;
    return 1;
}

int CScriptFile::AppendVectorLine(char** text, const char* format, const char* keyword, const CVector3& vec,
                                  int tabs) {
    char formatted[kFormattedVectorSize];
    FormatVector(formatted, sizeof formatted, vec);
    char line[kFormattedVectorSize + kTokenSize];
    snprintf(line, sizeof line, format, keyword, formatted);
    return AppendLine(text, line, tabs);
}

int CScriptFile::AppendLine(char** text, const char* line, int tabs) {
    std::string piece(tabs > 0 ? static_cast<size_t>(tabs) : 0, '\t');
    if (line)
        piece += line;
    piece += "\r\n";
    return AppendString(text, piece.c_str());
}
