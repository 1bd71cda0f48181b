// Block-script text from anywhere: as plain text, as UTF-16 behind a byte-order mark, and
// enciphered here with the script key so that the text behind the key check is reached too.
// Every token, item, vector and string-table entry must lie inside the text, and the ranges
// of items are walked again from copies that have nothing behind them.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/core/Vector3.h"
#include "game/app/ScriptFile.h"
#include "game/app/ScriptKey.h"
#include "game/app/StringTable.h"

namespace {

void Check(bool holds) {
    if (!holds)
        abort();
}

void WalkTokens(const char* begin, const char* end, const CScriptSeparator* separators, int count) {
    char token[CScriptFile::kTokenSize];
    const char* pos = begin;
    while (const char* start = CScriptFile::GetNextToken(token, sizeof token, &pos, end, separators, count)) {
        Check(start >= begin && start < pos && pos < end);
        Check(strlen(token) < sizeof token);
    }
    Check(pos == end);
}

// A range copied into a block of exactly its length, so that a scan past its end is caught.
void WalkCopy(const char* begin, const char* end) {
    const size_t length = static_cast<size_t>(end - begin);
    std::unique_ptr<char[]> copy(new char[length]);
    memcpy(copy.get(), begin, length);
    WalkTokens(copy.get(), copy.get() + length, nullptr, 0);
}

void WalkItems(const CScriptFile& script, const char* begin, const char* end, int depth) {
    const char* pos = begin;
    CScriptRange range{};
    while (pos < end && script.GetNextBlock(&range, &pos, end)) {
        Check(range.pStart > begin && range.pStart <= range.pEnd && range.pEnd == pos && pos < end);
        WalkCopy(range.pStart, range.pEnd);
        if (depth < 2)
            WalkItems(script, range.pStart, range.pEnd, depth + 1);
    }
}

void WalkVectors(const char* begin, const char* end) {
    const char* pos = begin;
    CVector3 vec(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 64 && CScriptFile::ReadVector(&vec, &pos, end); ++i) {
        char formatted[CScriptFile::kFormattedVectorSize + 2];
        CScriptFile::FormatVector(formatted, CScriptFile::kFormattedVectorSize, vec);
        // Any three floats fit without being cut, and read back.
        Check(strlen(formatted) < CScriptFile::kFormattedVectorSize - 1);
        strcat(formatted, "\r\n");
        const char* again = formatted;
        CVector3 reread(0.0f, 0.0f, 0.0f);
        Check(CScriptFile::ReadVector(&reread, &again, formatted + strlen(formatted)) == 1);
    }
}

void WalkScript(const CScriptFile& script) {
    const char* begin = script.GetText();
    if (!begin)
        return;
    const char* end = script.GetTextEnd();
    Check(*end == '\0');
    WalkTokens(begin, end, nullptr, 0);
    WalkTokens(begin, end, nullptr, CScriptFile::kLineSeparatorCount);
    WalkItems(script, begin, end, 0);
    WalkVectors(begin, end);
    const char* pos = begin;
    while (const char* found = CScriptFile::FindToken("NAME", &pos, end))
        Check(found >= begin && pos == found + 4 && pos < end);
    Check(pos == end);
}

void ReadStrings(const std::string& text) {
    CStringTable table;
    if (!table.SetText(text.data(), static_cast<int>(text.size())))
        return;
    const int added = table.AddEntriesFromText();
    Check(added == table.GetEntries().m_nCount);
    for (const CPointerList::Node* node = table.GetEntries().m_pHead; node; node = node->m_pNext) {
        const auto* entry = static_cast<const CStringEntry*>(node->m_data);
        Check(strlen(entry->m_szKey) < sizeof entry->m_szKey);
        Check(strlen(entry->m_pText) <= text.size());
        Check(table.GetString(entry->m_szKey) != nullptr);
    }
    table.GetString("could_not_be_load");
}

void ReadAs(const std::string& data, const char* key, int keyLength) {
    CScriptFile script;
    if (!script.SetText(data.data(), static_cast<int>(data.size())))
        return;
    const int result = script.DecodeText(key, keyLength);
    Check(result >= 0 && result <= static_cast<int>(data.size()));
    WalkScript(script);
}

std::string Enciphered(const std::string& plain) {
    std::string out(plain.size() + kScriptKeyLength, '\0');
    CScriptCipher cipher;
    const int length = cipher.Transform(CScriptCipher::kEncipher, reinterpret_cast<const uint8_t*>(plain.data()),
                                        static_cast<int>(plain.size()), reinterpret_cast<uint8_t*>(out.data()),
                                        kScriptKey, kScriptKeyLength);
    Check(length == static_cast<int>(out.size()));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);

    ReadAs(input, nullptr, 0);
    ReadAs(input, kScriptKey, kScriptKeyLength);
    ReadAs("\xFF\xFE" + input, nullptr, 0);
    ReadStrings(input);

    // Enciphered with the script key, the input must come back whole behind the key check.
    const std::string enciphered = Enciphered(input);
    CScriptFile script;
    Check(script.SetText(enciphered.data(), static_cast<int>(enciphered.size())) == 1);
    const bool marked = size >= CScriptFile::kPlainMarkerLength &&
                        memcmp(enciphered.data(), CScriptFile::kPlainMarker, CScriptFile::kPlainMarkerLength) == 0;
    const int result = script.DecodeText(kScriptKey, kScriptKeyLength);
    if (!marked && size > 0 && !(size >= 2 && data[0] == 0xFF && data[1] == 0xFE)) {
        Check(result == static_cast<int>(size));
        Check(script.GetTextLength() == static_cast<int>(enciphered.size()));
        Check(memcmp(script.GetText(), data, size) == 0);
    }
    WalkScript(script);
    return 0;
}
