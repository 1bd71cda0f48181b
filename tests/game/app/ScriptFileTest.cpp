// Block-script files: tokens, comments and blocks walked inside ranges that have no
// terminator, vectors read and written, and whole files loaded plain, marked, enciphered with
// the script key and as UTF-16 made by iconv, or written in one piece.
#include "game/app/ScriptFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/AtomicFileTestHooks.h"
#include "engine/core/LogFile.h"
#include "engine/core/ScriptCipher.h"
#include "engine/core/Vector3.h"
#include "game/app/ScriptKey.h"
#include "tests/support/TempDir.h"

namespace {

using Tokens = std::vector<std::string>;

// A text in a heap block of exactly its length with nothing behind it, so that a scan past
// its end is caught by the address sanitizer.
class ExactText {
public:
    explicit ExactText(const std::string& text) : m_size(text.size()), m_bytes(new char[text.size()]) {
        memcpy(m_bytes.get(), text.data(), text.size());
    }
    const char* Begin() const { return m_bytes.get(); }
    const char* End() const { return m_bytes.get() + m_size; }

private:
    size_t m_size;
    std::unique_ptr<char[]> m_bytes;
};

// Every token up to the end, read into the callers' 128-byte buffers; the position must end
// at the end.
Tokens TokensOf(const char* begin, const char* end, const CScriptSeparator* separators = nullptr, int count = 0) {
    Tokens tokens;
    char token[CScriptFile::kTokenSize];
    const char* pos = begin;
    while (CScriptFile::GetNextToken(token, sizeof token, &pos, end, separators, count))
        tokens.push_back(token);
    EXPECT_EQ(pos, end);
    EXPECT_STREQ(token, "");
    return tokens;
}

Tokens TokensOf(const std::string& text, const CScriptSeparator* separators = nullptr, int count = 0) {
    const ExactText exact(text);
    return TokensOf(exact.Begin(), exact.End(), separators, count);
}

Tokens TokensOf(const CScriptFile& script) {
    if (!script.GetText())
        return {};
    return TokensOf(script.GetText(), script.GetTextEnd());
}

// --- tokens --------------------------------------------------------------------------------------------

TEST(ScriptFileTokenTest, TokensAreSplitOnlyAtTheSeparatorsAndNeedOneBehindThem) {
    struct Case {
        const char* name;
        std::string text;
        Tokens tokens;
    };
    const Case cases[] = {
        {"CR LF separates", "A\r\nB\r\n", {"A", "B"}},
        {"a lone LF does not", "A\nB\r\n", {"A\nB"}},
        {"a lone CR does not", "A\rB\r\n", {"A\rB"}},
        {"commas", "1,2, 3,", {"1", "2", "3"}},
        {"tabs and blanks in runs", "\t A \t\tB  ", {"A", "B"}},
        {"only separators", " \r\n,\t", {}},
        {"empty text", "", {}},
        {"a comment line in front", "// note\r\nA B\r\n", {"A", "B"}},
        {"a comment at a token's start", "A //note\r\nB\r\n", {"A", "B"}},
        {"comments in a row", "// one\r\n// two\nA ", {"A"}},
        {"a comment ends at a lone LF", "// note\nA\r\n", {"A"}},
        {"a comment inside a token", "A//B C\r\n", {"A//B", "C"}},
        {"a comment at the end without LF", "A B // end", {"A", "B"}},
        {"a bare // at the end", "A //", {"A"}},
        {"a single slash is a token", "/ A ", {"/", "A"}},
        {"a last token without separator", "A B", {"A"}},
        {"a last token cut from its CR LF", "A B\r", {"A"}},
        {"zero bytes behind the text", std::string("A\r\nB\0\0\0", 7), {"A"}},
        {"braces are tokens only alone", "X{ { }Y } ", {"X{", "{", "}Y", "}"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TokensOf(c.text), c.tokens);
    }
}

TEST(ScriptFileTokenTest, LongTokensAreCutButThePositionMovesBehindThemWhole) {
    struct Case {
        size_t length;
        int dstSize;
        size_t kept;
    };
    const Case cases[] = {
        {127, CScriptFile::kTokenSize, 127},  {128, CScriptFile::kTokenSize, 127},
        {1000, CScriptFile::kTokenSize, 127}, {6, 4, 3},
        {1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " characters into " + std::to_string(c.dstSize));
        std::string text;
        for (size_t i = 0; i < c.length; ++i)
            text += static_cast<char>('a' + i % 26);
        const ExactText exact(text + " next ");
        std::vector<char> dst(static_cast<size_t>(c.dstSize) + 1, '#');
        const char* pos = exact.Begin();
        EXPECT_EQ(CScriptFile::GetNextToken(dst.data(), c.dstSize, &pos, exact.End()), exact.Begin());
        EXPECT_EQ(std::string(dst.data()), text.substr(0, c.kept));
        EXPECT_EQ(dst[static_cast<size_t>(c.dstSize)], '#');
        EXPECT_EQ(pos, exact.Begin() + c.length);
        char next[CScriptFile::kTokenSize];
        ASSERT_NE(CScriptFile::GetNextToken(next, sizeof next, &pos, exact.End()), nullptr);
        EXPECT_STREQ(next, "next");
    }
}

TEST(ScriptFileTokenTest, SeparatorTablesChooseWhatSplits) {
    static const CScriptSeparator kSemicolon[] = {{";"}};
    static const CScriptSeparator kLongFirst[] = {{"<>"}, {"<"}, {""}};
    struct Case {
        const char* name;
        std::string text;
        const CScriptSeparator* separators;
        int count;
        Tokens tokens;
    };
    const Case cases[] = {
        {"count 1 reads whole lines", "NAME My lab, 2\r\nX\r\n", nullptr, CScriptFile::kLineSeparatorCount,
         {"NAME My lab, 2", "X"}},
        {"count 2 adds the blank", "A B,C\r\n", nullptr, 2, {"A", "B,C"}},
        {"count 0 is the whole table", "A B,C\tD\r\n", nullptr, 0, {"A", "B", "C", "D"}},
        {"a count above the table is the whole table", "A,B ", nullptr, 9, {"A", "B"}},
        {"an own table", "a;b c;;d", kSemicolon, 1, {"a", "b c"}},
        {"the first entry that matches counts", "a<>b<c<", kLongFirst, 3, {"a", "b", "c"}},
        {"an own table with count 0 splits nothing", "a b ", kSemicolon, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TokensOf(c.text, c.separators, c.count), c.tokens);
    }
}

TEST(ScriptFileTokenTest, SeparatorAndCommentTestsStopAtTheEnd) {
    struct Case {
        const char* name;
        std::string text;
        size_t endAt;  // the range ends here
        int separator;
        int comment;
        size_t afterComment;
    };
    const Case cases[] = {
        {"CR LF", "\r\nA", 3, 2, 0, 0},
        {"CR LF cut by the end", "\r\nA", 1, 0, 0, 0},
        {"blank", " A", 2, 1, 0, 0},
        {"lone LF", "\nA", 2, 0, 0, 0},
        {"token", "A ", 2, 0, 0, 0},
        {"at the end", "", 0, 0, 0, 0},
        {"comment to its LF", "// x\r\nA", 7, 0, 1, 6},
        {"comment without LF", "// x", 4, 0, 1, 4},
        {"comment whose LF lies behind the end", "// x\nA", 4, 0, 1, 4},
        {"// cut by the end", "//", 1, 0, 0, 0},
        {"one slash", "/x", 2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExactText exact(c.text.substr(0, c.endAt));
        const char* pos = exact.Begin();
        EXPECT_EQ(CScriptFile::IsSeparator(&pos, exact.End()), c.separator);
        EXPECT_EQ(CScriptFile::SkipComment(&pos, exact.End()), c.comment);
        EXPECT_EQ(pos, exact.Begin() + (c.comment ? c.afterComment : 0));
    }
    // A blank is no separator when only the line break is asked for.
    const ExactText blank(" ");
    const char* pos = blank.Begin();
    EXPECT_EQ(CScriptFile::IsSeparator(&pos, blank.End(), nullptr, CScriptFile::kLineSeparatorCount), 0);
}

TEST(ScriptFileTokenTest, TokensOfARangeEndAtTheRangesEnd) {
    const std::string text = "A B C //x\r\nD ";
    struct Case {
        size_t endAt;
        Tokens tokens;
    };
    const Case cases[] = {{3, {"A"}},           {4, {"A", "B"}},           {7, {"A", "B", "C"}},
                          {8, {"A", "B", "C"}}, {10, {"A", "B", "C"}}, {13, {"A", "B", "C", "D"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.endAt);
        EXPECT_EQ(TokensOf(text.substr(0, c.endAt)), c.tokens);
    }
}

TEST(ScriptFileTokenTest, FindTokenMatchesWholeTokensWithTheirCase) {
    const ExactText text("NAMES x NAME first\r\nname NAME second ");
    const char* pos = text.Begin();
    const char* found = CScriptFile::FindToken("NAME", &pos, text.End());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found - text.Begin(), 8);
    EXPECT_EQ(pos, found + 4);
    found = CScriptFile::FindToken("NAME", &pos, text.End());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found - text.Begin(), 25);
    EXPECT_EQ(CScriptFile::FindToken("NAME", &pos, text.End()), nullptr);
    EXPECT_EQ(pos, text.End());

    pos = text.Begin();
    EXPECT_EQ(CScriptFile::FindToken("NAM", &pos, text.End()), nullptr);
    EXPECT_EQ(pos, text.End());
}

// --- blocks --------------------------------------------------------------------------------------------

class ScriptFileLogTest : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_logPath = m_dir.File("script.log");
};

TEST_F(ScriptFileLogTest, BlocksAreATokenOrABraceGroupAndUnbalancedBracesAreLogged) {
    struct Case {
        const char* name;
        std::string text;
        int result;
        size_t start;  // behind the first token
        size_t end;    // behind the last token
        const char* log;
    };
    const Case cases[] = {
        {"a single token", "A B ", 1, 1, 1, ""},
        {"a group", "{ a b }\r\nC ", 1, 1, 7, ""},
        {"nested groups", "{ a { b } { } c } D ", 1, 1, 17, ""},
        {"a comment inside", "{ // }\r\n} ", 1, 1, 9, ""},
        {"unclosed", "{ a { b } ", 0, 1, 9, "GetNextBlock - ERROR: block end expected!\n"},
        {"a last brace without separator", "{ a }", 0, 1, 3, "GetNextBlock - ERROR: block end expected!\n"},
        {"a stray closing brace", "} a ", 0, 1, 3, "GetNextBlock - ERROR: block begin expected!\n"},
        {"no token", " \r\n// x", 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLogFile log(m_logPath.c_str());
        CScriptFile script(&log);
        const ExactText text(c.text);
        const char* pos = text.Begin();
        CScriptRange range{nullptr, nullptr};
        EXPECT_EQ(script.GetNextBlock(&range, &pos, text.End()), c.result);
        if (c.start) {
            EXPECT_EQ(range.pStart, text.Begin() + c.start);
            EXPECT_EQ(range.pEnd, text.Begin() + c.end);
        } else {
            EXPECT_EQ(range.pStart, nullptr);
        }
        if (c.result) {
            EXPECT_EQ(pos, range.pEnd);
        } else {
            EXPECT_EQ(pos, text.End());
        }
        EXPECT_EQ(ReadText(m_logPath), c.log);
    }
}

TEST(ScriptFileBlockTest, AGroupsRangeHoldsItsItemsWithoutTheClosingBrace) {
    const ExactText text("LAMP {\r\n\tPOS 1, 2, 3\r\n\tSUB { ID 4 }\r\n}\r\nNEXT ");
    CScriptFile script;
    const char* pos = text.Begin();
    char name[CScriptFile::kTokenSize];
    ASSERT_NE(CScriptFile::GetNextToken(name, sizeof name, &pos, text.End()), nullptr);
    CScriptRange range{};
    ASSERT_EQ(script.GetNextBlock(&range, &pos, text.End()), 1);
    EXPECT_EQ(TokensOf(range.pStart, range.pEnd),
              (Tokens{"POS", "1", "2", "3", "SUB", "{", "ID", "4", "}"}));
    EXPECT_EQ(TokensOf(pos, text.End()), Tokens{"NEXT"});
}

TEST(ScriptFileBlockTest, BlockDeltaCountsAnOpeningBraceNegative) {
    struct Case {
        const char* token;
        int delta;
    };
    const Case cases[] = {{"{", -1}, {"}", 1}, {"{{", 0}, {"}x", 0}, {"", 0}, {nullptr, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(CScriptFile::BlockDelta(c.token), c.delta) << (c.token ? c.token : "null");
}

// --- vectors and written text -------------------------------------------------------------------------

TEST(ScriptFileVectorTest, VectorsReadThreeNumbersAndKeepWhatWasRead) {
    const std::string longComponent = "0." + std::string(97, '0') + "1";
    struct Case {
        const char* name;
        std::string text;
        int result;
        CVector3 vec;
    };
    const Case cases[] = {
        {"commas and blanks", "1, 2.5, -3\r\n", 1, {1.0f, 2.5f, -3.0f}},
        {"exponent and hex", "1e3\t0x10,abc ", 1, {1000.0f, 16.0f, 0.0f}},
        {"a 100-character component", longComponent + " 2 3 ", 1, {0.0f, 2.0f, 3.0f}},
        {"two of three", "4 5 ", 0, {4.0f, 5.0f, 9.0f}},
        {"the third without separator", "4 5 6", 0, {4.0f, 5.0f, 9.0f}},
        {"nothing", "", 0, {9.0f, 9.0f, 9.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExactText text(c.text);
        const char* pos = text.Begin();
        CVector3 vec(9.0f, 9.0f, 9.0f);
        EXPECT_EQ(CScriptFile::ReadVector(&vec, &pos, text.End()), c.result);
        EXPECT_EQ(vec.x, c.vec.x);
        EXPECT_EQ(vec.y, c.vec.y);
        EXPECT_EQ(vec.z, c.vec.z);
    }
}

TEST(ScriptFileVectorTest, WholeComponentsPrintWithoutDecimals) {
    const std::string largest = "340282346638528859811704183484516925440";
    struct Case {
        CVector3 vec;
        int outSize;
        std::string text;
    };
    const Case cases[] = {
        {{1.0f, 0.5f, -2.0f}, CScriptFile::kFormattedVectorSize, "1, 0.50000, -2"},
        {{0.0f, -0.25f, 0.1f}, CScriptFile::kFormattedVectorSize, "0, -0.25000, 0.10000"},
        {{3e38f, 1e-7f, 100.0f}, CScriptFile::kFormattedVectorSize,
         "300000000549775575777803994281145270272, 0.00000, 100"},
        {{-FLT_MAX, -FLT_MAX, -FLT_MAX}, CScriptFile::kFormattedVectorSize,
         "-" + largest + ", -" + largest + ", -" + largest},
        {{1.0f, 0.5f, -2.0f}, 8, "1, 0.50"},
        {{1.0f, 0.5f, -2.0f}, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<char> out(static_cast<size_t>(c.outSize) + 1, '#');
        CScriptFile::FormatVector(out.data(), c.outSize, c.vec);
        EXPECT_EQ(std::string(out.data()), c.text);
        EXPECT_EQ(out[static_cast<size_t>(c.outSize)], '#');
    }
}

TEST(ScriptFileVectorTest, AFormattedVectorReadsBack) {
    char out[CScriptFile::kFormattedVectorSize];
    const CVector3 vec(12.0f, -0.125f, 7.5f);
    CScriptFile::FormatVector(out, sizeof out, vec);
    const std::string text = std::string(out) + "\r\n";
    const ExactText exact(text);
    const char* pos = exact.Begin();
    CVector3 read(0.0f, 0.0f, 0.0f);
    ASSERT_EQ(CScriptFile::ReadVector(&read, &pos, exact.End()), 1);
    EXPECT_EQ(read.x, vec.x);
    EXPECT_EQ(read.y, vec.y);
    EXPECT_EQ(read.z, vec.z);
}

TEST(ScriptFileTextTest, LinesAppendWithTabsAndCrLf) {
    char* text = nullptr;
    ASSERT_EQ(CScriptFile::AppendLine(&text, "LAMP {", 0), 1);
    ASSERT_EQ(CScriptFile::AppendLine(&text, "POS 1, 2, 3", 2), 1);
    ASSERT_EQ(CScriptFile::AppendLine(&text, "}", -1), 1);
    ASSERT_EQ(CScriptFile::AppendString(&text, nullptr), 1);
    ASSERT_EQ(CScriptFile::AppendString(&text, "// end"), 1);
    EXPECT_STREQ(text, "LAMP {\r\n\t\tPOS 1, 2, 3\r\n}\r\n// end");
    free(text);

    char* empty = nullptr;
    ASSERT_EQ(CScriptFile::AppendString(&empty, ""), 1);
    EXPECT_STREQ(empty, "");
    free(empty);
    EXPECT_EQ(CScriptFile::AppendString(nullptr, "x"), 0);
}

// --- loading and writing files ------------------------------------------------------------------------

// A small script as the game writes them, with characters above 127 of the code page.
const std::string kLampScript = "// a lamp\r\nLAMP\r\n{\r\n\tPOS 1, 2.5, -3\r\n\tNAME Caf\xE9\r\n\t3DO Bulb\r\n}\r\n";
const Tokens kLampTokens = {"LAMP", "{", "POS", "1", "2.5", "-3", "NAME", "Caf\xE9", "3DO", "Bulb", "}"};
const std::string kMarkerLine = std::string(CScriptFile::kPlainMarker) + "\r\n";
constexpr char kWrongKey[] = "0123456789abcdefghij";

std::string TryLine(const std::string& path) {
    return "LoadScript - tyring to load \"" + path + "\"\n";
}

std::string LoadedLine(int result, int crypted) {
    return "LoadScript - loading successful " + std::to_string(result) + " chars read, crypted = " +
           std::to_string(crypted) + "\n";
}

const std::string kDecipherFailedLine = "LoadScript - loading NOT successful! (decrypting)\n";
const std::string kLoadFailedLine = "LoadScript - loading failed\n";

void WriteEnciphered(const std::string& path, const std::string& plain) {
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    CScriptCipher cipher;
    EXPECT_EQ(cipher.EncipherAndWrite(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()),
                                      kScriptKey, kScriptKeyLength, file),
              static_cast<int>(plain.size()) + kScriptKeyLength);
    fclose(file);
}

std::string Enciphered(const std::string& plain) {
    std::string out(plain.size() + kScriptKeyLength, '\0');
    CScriptCipher cipher;
    EXPECT_EQ(cipher.Transform(CScriptCipher::kEncipher, reinterpret_cast<const uint8_t*>(plain.data()),
                               static_cast<int>(plain.size()), reinterpret_cast<uint8_t*>(out.data()), kScriptKey,
                               kScriptKeyLength),
              static_cast<int>(out.size()));
    return out;
}

// The code-page bytes as UTF-16LE by iconv, behind the byte-order mark FF FE.
std::string Utf16WithMark(const TempDir& dir, const std::string& bytes) {
    const std::string in = dir.File("utf16-in.txt");
    const std::string out = dir.File("utf16-out.txt");
    WriteBytes(in, bytes.data(), bytes.size());
    const std::string command = "iconv -f CP1252 -t UTF-16LE '" + in + "' > '" + out + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<unsigned char> converted = ReadBytes(out);
    EXPECT_EQ(converted.size(), 2 * bytes.size());
    return std::string("\xFF\xFE") + std::string(converted.begin(), converted.end());
}

class ScriptFileLoadTest : public ScriptFileLogTest {};

TEST_F(ScriptFileLoadTest, FilesLoadPlainMarkedOrEncipheredWithTheScriptKey) {
    enum Outcome {
        kAsItIs,     // the file's bytes, its length the result
        kDeciphered, // the plain text, its length the result, zeros behind it
        kRefused,    // no text, the decipher line
    };
    struct Case {
        const char* name;
        std::string content;
        bool encipher;
        const char* key;
        Outcome outcome;
        bool lampTokens;
    };
    const Case cases[] = {
        {"plain without key", kLampScript, false, nullptr, kAsItIs, true},
        {"marked without key", kMarkerLine + kLampScript, false, nullptr, kAsItIs, true},
        {"marked with the key", kMarkerLine + kLampScript, false, kScriptKey, kAsItIs, true},
        {"enciphered with the key", kLampScript, true, kScriptKey, kDeciphered, true},
        {"enciphered, read without key", kLampScript, true, nullptr, kAsItIs, false},
        {"an empty file without key", "", false, nullptr, kAsItIs, false},
        {"enciphered with another key", kLampScript, true, kWrongKey, kRefused, false},
        {"plain and unmarked with the key", kLampScript, false, kScriptKey, kRefused, false},
        {"shorter than the key", "LAMP { }\r\n", false, kScriptKey, kRefused, false},
        {"the marker less its last byte", kMarkerLine.substr(0, 14), false, kScriptKey, kRefused, false},
        {"nothing but the key", "", true, kScriptKey, kRefused, false},
        {"an empty file with the key", "", false, kScriptKey, kRefused, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.File("lamp.fsc");
        if (c.encipher)
            WriteEnciphered(path, c.content);
        else
            WriteBytes(path, c.content.data(), c.content.size());
        const int fileLength = static_cast<int>(c.content.size()) + (c.encipher ? kScriptKeyLength : 0);
        const int result = c.outcome == kAsItIs ? fileLength : c.outcome == kDeciphered ? static_cast<int>(c.content.size()) : 0;
        const int crypted = c.outcome == kDeciphered ? 1 : 0;

        CLogFile log(m_logPath.c_str());
        CScriptFile script(&log);
        EXPECT_EQ(script.LoadScript(path.c_str(), c.key, kScriptKeyLength), result);
        EXPECT_EQ(ReadText(m_logPath),
                  TryLine(path) + (c.outcome == kRefused ? kDecipherFailedLine : LoadedLine(result, crypted)));
        EXPECT_EQ(script.IsWide(), 0);
        if (c.outcome == kRefused) {
            EXPECT_EQ(script.GetText(), nullptr);
            EXPECT_EQ(script.GetTextLength(), 0);
            continue;
        }
        // The text keeps the file's length.
        ASSERT_NE(script.GetText(), nullptr);
        ASSERT_EQ(script.GetTextLength(), fileLength);
        EXPECT_EQ(script.GetText()[fileLength], '\0');
        if (c.outcome == kDeciphered) {
            EXPECT_EQ(std::string(script.GetText(), static_cast<size_t>(fileLength)),
                      c.content + std::string(kScriptKeyLength, '\0'));
        }
        if (c.lampTokens) {
            EXPECT_EQ(TokensOf(script), kLampTokens);
        }
    }
}

TEST_F(ScriptFileLoadTest, Utf16FilesKeepTheLowByteOfEachUnit) {
    const std::string lamp16 = Utf16WithMark(m_dir, kLampScript);
    struct Case {
        const char* name;
        std::string content;
        bool encipher;
        std::string text;
        Tokens tokens;
    };
    const Case cases[] = {
        {"the lamp", lamp16, false, kLampScript, kLampTokens},
        {"an odd last byte is no unit", lamp16 + "Z", false, kLampScript, kLampTokens},
        {"a zero unit ends the text", Utf16WithMark(m_dir, std::string("A B\r\n\0C D\r\n", 11)), false, "A B\r\n",
         {"A", "B"}},
        {"enciphered", lamp16, true, kLampScript, kLampTokens},
        {"only the mark", "\xFF\xFE", false, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.File("wide.fsc");
        if (c.encipher)
            WriteEnciphered(path, c.content);
        else
            WriteBytes(path, c.content.data(), c.content.size());
        const int fileLength = static_cast<int>(c.content.size()) + (c.encipher ? kScriptKeyLength : 0);
        const int result = static_cast<int>(c.content.size());

        CLogFile log(m_logPath.c_str());
        CScriptFile script(&log);
        EXPECT_EQ(script.LoadScript(path.c_str(), c.encipher ? kScriptKey : nullptr, kScriptKeyLength), result);
        EXPECT_EQ(ReadText(m_logPath), TryLine(path) + LoadedLine(result, c.encipher ? 1 : 0));
        EXPECT_EQ(script.IsWide(), 1);
        ASSERT_EQ(script.GetTextLength(), fileLength / 2);
        EXPECT_EQ(std::string(script.GetText()), c.text);
        EXPECT_EQ(TokensOf(script), c.tokens);
    }
}

TEST_F(ScriptFileLoadTest, Utf16GivesTheTokensOfItsByteVersion) {
    const std::string bytes = kMarkerLine + "A\xE9 \xFF,x\r\n// \xA0 note\r\n{ \xC0\xC1 }\r\n";
    const std::string wide = Utf16WithMark(m_dir, bytes);
    CScriptFile byteScript;
    CScriptFile wideScript;
    ASSERT_EQ(byteScript.SetText(bytes.data(), static_cast<int>(bytes.size())), 1);
    ASSERT_EQ(wideScript.SetText(wide.data(), static_cast<int>(wide.size())), 1);
    ASSERT_EQ(wideScript.DecodeText(nullptr, 0), static_cast<int>(wide.size()));
    EXPECT_EQ(TokensOf(wideScript), TokensOf(byteScript));
    EXPECT_EQ(TokensOf(byteScript), (Tokens{"A\xE9", "\xFF", "x", "{", "\xC0\xC1", "}"}));
}

TEST_F(ScriptFileLoadTest, FilesThatCannotBeReadFail) {
    const std::string huge = m_dir.File("huge.fsc");
    WriteText(huge, "");
    std::filesystem::resize_file(huge, (1ull << 31));  // one byte more than an int counts
    std::filesystem::create_directory(m_dir.File("folder.fsc"));
    const std::string cases[] = {m_dir.File("missing.fsc"), m_dir.File("folder.fsc"), huge};
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        CLogFile log(m_logPath.c_str());
        CScriptFile script(&log);
        ASSERT_EQ(script.SetText("A B ", 4), 1);
        EXPECT_EQ(script.LoadScript(path.c_str(), nullptr, 0), 0);
        EXPECT_EQ(script.GetText(), nullptr);
        EXPECT_EQ(script.GetTextLength(), 0);
        EXPECT_EQ(ReadText(m_logPath), TryLine(path) + kLoadFailedLine);
    }
    CLogFile log(m_logPath.c_str());
    CScriptFile script(&log);
    EXPECT_EQ(script.LoadScript(nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadText(m_logPath), TryLine("") + kLoadFailedLine);
}

TEST_F(ScriptFileLoadTest, NamesAreFoundWithoutRegardToCase) {
    std::filesystem::create_directory(m_dir.File("Scripts"));
    WriteText(m_dir.File("Scripts/Lamp.FSC"), kLampScript);
    CScriptFile script;
    EXPECT_EQ(script.LoadScript(m_dir.File("SCRIPTS/lamp.fsc").c_str(), nullptr, 0),
              static_cast<int>(kLampScript.size()));
    EXPECT_EQ(TokensOf(script), kLampTokens);
}

TEST_F(ScriptFileLoadTest, TextFromMemoryIsCopiedWithoutLogAndMayBeDecodedLikeAFile) {
    CLogFile log(m_logPath.c_str());
    CScriptFile script(&log);
    const std::string wide = Utf16WithMark(m_dir, kLampScript);
    ASSERT_EQ(script.SetText(wide.data(), static_cast<int>(wide.size())), 1);
    ASSERT_EQ(script.DecodeText(nullptr, 0), static_cast<int>(wide.size()));
    EXPECT_EQ(script.IsWide(), 1);

    // The copy alone: no decipher, no UTF-16 step, no log line, the wide flag reset.
    std::string source = kLampScript;
    ASSERT_EQ(script.SetText(source.data(), static_cast<int>(source.size())), 1);
    source.assign(source.size(), 'x');
    EXPECT_EQ(script.IsWide(), 0);
    EXPECT_EQ(script.GetTextLength(), static_cast<int>(kLampScript.size()));
    EXPECT_EQ(TokensOf(script), kLampTokens);
    const std::string decodeLog = LoadedLine(static_cast<int>(wide.size()), 0);
    EXPECT_EQ(ReadText(m_logPath), decodeLog);

    const std::string enciphered = Enciphered(kLampScript);
    ASSERT_EQ(script.SetText(enciphered.data(), static_cast<int>(enciphered.size())), 1);
    EXPECT_EQ(script.DecodeText(kScriptKey, kScriptKeyLength), static_cast<int>(kLampScript.size()));
    EXPECT_EQ(TokensOf(script), kLampTokens);
    EXPECT_EQ(ReadText(m_logPath), decodeLog + LoadedLine(static_cast<int>(kLampScript.size()), 1));

    ASSERT_EQ(script.SetText(enciphered.data(), static_cast<int>(enciphered.size())), 1);
    EXPECT_EQ(script.DecodeText(kWrongKey, kScriptKeyLength), 0);
    EXPECT_EQ(script.GetText(), nullptr);

    struct Refused {
        const char* text;
        int length;
    };
    const Refused refused[] = {{"A ", -1}, {nullptr, 2}};
    for (const Refused& r : refused) {
        ASSERT_EQ(script.SetText("A ", 2), 1);
        EXPECT_EQ(script.SetText(r.text, r.length), 0);
        EXPECT_EQ(script.GetText(), nullptr);
        EXPECT_EQ(script.GetTextLength(), 0);
    }
    ASSERT_EQ(script.SetText(nullptr, 0), 1);
    EXPECT_STREQ(script.GetText(), "");
}

TEST_F(ScriptFileLoadTest, WrittenScriptsReadBackAndAFailedWriteKeepsTheOldFile) {
    const std::string path = m_dir.File("saved.fsc");
    CLogFile log(m_logPath.c_str());
    CScriptFile script(&log);
    EXPECT_EQ(script.WriteScript(path.c_str(), kLampScript.c_str()), static_cast<int>(kLampScript.size()));
    EXPECT_EQ(ReadText(path), kLampScript);
    const std::string written =
        "WriteScript - writing successful " + std::to_string(kLampScript.size()) + " chars written\n";
    EXPECT_EQ(ReadText(m_logPath), written);

    SetAtomicFileCommitFailure(true);
    EXPECT_EQ(script.WriteScript(path.c_str(), "OTHER { }\r\n"), 0);
    SetAtomicFileCommitFailure(false);
    EXPECT_EQ(ReadText(path), kLampScript);
    EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"saved.fsc", "script.log"}));
    EXPECT_EQ(ReadText(m_logPath), written + "WriteScript - writing failed\n");

    EXPECT_EQ(script.WriteScript(m_dir.File("missing/saved.fsc").c_str(), "A "), 0);
    EXPECT_EQ(script.WriteScript(path.c_str(), nullptr), 0);
    EXPECT_EQ(ReadText(m_logPath), written + "WriteScript - writing failed\n" +
                                       "WriteScript - writing failed\n" + "WriteScript - writing failed\n");

    EXPECT_EQ(script.LoadScript(path.c_str(), kScriptKey, kScriptKeyLength), 0);
    EXPECT_EQ(script.LoadScript(path.c_str(), nullptr, 0), static_cast<int>(kLampScript.size()));
    EXPECT_EQ(TokensOf(script), kLampTokens);
}

}  // namespace
