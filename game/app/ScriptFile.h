// The game's block-script text files: a whole file read into one text buffer (plain, or
// deciphered with a key), walked with a position pointer that takes tokens, skips "//"
// comments and cuts out brace-delimited blocks. Positions are pointers into the loaded text;
// every scan stops at the end it is given, so the ranges of blocks inside a text need no
// terminator. The object-model scripter and the string table derive from it.
#pragma once

#include <cstdint>

#include "engine/core/ScriptCipher.h"

class CLogFile;
class CVector3;

// One entry of a separator table: a string of at most 4 characters.
struct CScriptSeparator {
    char m_szText[5];
};

// An item read by GetNextBlock: from behind its first token to behind its last.
struct CScriptRange {
    const char* pStart;
    const char* pEnd;
};

class CScriptFile {
public:
    // A file that begins with this is plain even when a key is given; the line reads as a
    // comment.
    static constexpr char kPlainMarker[] = "//#TOLP_SCRIPT#";
    static constexpr int kPlainMarkerLength = 15;
    // "\r\n", " ", "\t", ",": a lone line feed separates nothing. A count of 1 takes only the
    // line break, to read a whole line.
    static const CScriptSeparator kDefaultSeparators[4];
    static constexpr int kDefaultSeparatorCount = 4;
    static constexpr int kLineSeparatorCount = 1;
    // The token buffers of the callers; a vector component's is smaller.
    static constexpr int kTokenSize = 128;
    static constexpr int kVectorTokenSize = 64;
    // Three components of any float: the largest prints 39 digits and a sign.
    static constexpr int kFormattedVectorSize = 128;

    // A null log writes no log lines.
    explicit CScriptFile(CLogFile* log = nullptr);
    CScriptFile(const CScriptFile&) = delete;
    CScriptFile& operator=(const CScriptFile&) = delete;
    virtual ~CScriptFile();

    // Reads the whole file (found without regard to case). With a key, a file without the
    // plain marker is deciphered; a file that begins with FF FE is UTF-16LE and keeps the low
    // byte of each unit. The bytes read (for an enciphered file the plain length), or 0 on a
    // failure, which leaves no text; a null key never deciphers.
    int LoadScript(const char* path, const char* key, int keyLength);
    // Writes the C string to the file in one piece, replacing it only when every byte is
    // written: the characters written, or 0 with the old file left whole.
    int WriteScript(const char* path, const char* text);

    // The second way in, for text from memory: copies `length` bytes into a fresh text with
    // the read state reset. No decipher, no UTF-16 step, no log line. 0 (no text) for a
    // negative length, a null text of some length or a failed allocation.
    int SetText(const char* text, int length);
    // The load's decipher and UTF-16 steps on the text held, with their log lines: what
    // LoadScript returns after reading.
    int DecodeText(const char* key, int keyLength);

    const char* GetText() const { return m_pText; }
    const char* GetTextEnd() const { return m_pText + m_nTextLength; }
    int GetTextLength() const { return m_nTextLength; }
    // 1 when the text came from UTF-16LE data.
    int IsWide() const { return m_bWide; }

    // Copies the next token into dst (cut at dstSize - 1 characters) and moves *pos behind
    // the whole token: the token's first character in the text, or null (dst empty) when the
    // text ends first. A token counts only with a separator behind it. Null separators take
    // the default table, where a count of 0 means all of it.
    static const char* GetNextToken(char* dst, int dstSize, const char** pos, const char* end,
                                    const CScriptSeparator* separators = nullptr, int count = 0);
    // The length of the first table entry that the text at *pos begins with, else 0.
    static int IsSeparator(const char* const* pos, const char* end, const CScriptSeparator* separators = nullptr,
                           int count = 0);
    // 1 with *pos behind the next "\n" (or at end) when the text at *pos begins with "//".
    static int SkipComment(const char** pos, const char* end);
    // Reads one item, a token or a "{" ... "}" group, into range: 1, or 0 when the text ends
    // first (logging unbalanced braces).
    int GetNextBlock(CScriptRange* range, const char** pos, const char* end) const;
    // The start of the first following token equal to name (whole token, case counts), *pos
    // behind it; null when the text ends first.
    static const char* FindToken(const char* name, const char** pos, const char* end,
                                 const CScriptSeparator* separators = nullptr, int count = 0);
    // -1 for "{" (so an open block makes the depth negative), +1 for "}", else 0.
    static int BlockDelta(const char* token);
    // Three tokens as decimal numbers into vec, each stored as it is read: 1 when all three
    // were there.
    static int ReadVector(CVector3* vec, const char** pos, const char* end);
    // A token as a number, in the C locale: an integer saturated to 32 bits; a float that is
    // not finite once stored as one ("nan", "inf", 1e39) counts as 0. Text that is no number
    // counts as 0.
    static int32_t ParseInt(const char* token);
    static float ParseFloat(const char* token);
    // "x, y, z": whole components with no decimals, others with five.
    static void FormatVector(char* out, int outSize, const CVector3& vec);
    // Heap strings released with free; a null *text counts as empty. Each append makes a new
    // buffer of exactly the joined length: 1, or 0 with *text unchanged.
    static int AppendLine(char** text, const char* line, int tabs);
    // A line of a format with two strings: the keyword, then the formatted vector.
    static int AppendVectorLine(char** text, const char* format, const char* keyword, const CVector3& vec, int tabs);
    static int AppendString(char** text, const char* more);

protected:
    void FreeText();
    void Log(const char* text) const;

    CScriptCipher m_Cipher;  // only deciphers
    CLogFile* m_pLog;        // not owned
    int m_nTextLength;
    char* m_pText;  // m_nTextLength + 1 bytes, zero-terminated; null when nothing is loaded
    int m_bWide;

private:
    // Reads the open file into a fresh text and closes it; 0 on any failure.
    int ReadWholeFile(FILE* file);
};
