// The block and entry rules of value-script text, on text in memory.
#include <cstring>
#include <string>

#include "engine/core/ValueScript.h"

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '=';
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

std::string BlockHeader(const char* name) {
    return std::string("[") + name + "]";
}

// A "[" starts a block unless a "=" stands between it and the start of its line; a "[" after
// a "=" belongs to a value.
bool StartsBlock(const char* text, const char* bracket) {
    for (const char* p = bracket; p > text;) {
        --p;
        if (IsLineEnd(*p))
            return true;
        if (*p == '=')
            return false;
    }
    return true;
}

const char* FindNextBlockStart(const char* text, const char* from) {
    for (const char* p = strchr(from, '['); p; p = strchr(p + 1, '[')) {
        if (StartsBlock(text, p))
            return p;
    }
    return nullptr;
}

// The body runs from behind the header's "]" to the next block start, or to the end.
int MeasureBody(const char* text, const char* bodyStart) {
    const char* next = FindNextBlockStart(text, bodyStart);
    return static_cast<int>(next ? next - bodyStart : static_cast<ptrdiff_t>(strlen(bodyStart)));
}

}  // namespace

void CValueScript::ParseBlock(const char* text) {
    if (!text || !*text)
        return;
    const std::string header = BlockHeader(m_sName.GetText());
    const char* found = strstr(text, header.c_str());
    if (!found)
        return;
    const char* body = found + header.size();
    m_nBlockLength = MeasureBody(text, body);

    const char* end = body + m_nBlockLength;
    for (const char* line = body; line < end;) {
        const char* lineEnd = line;
        while (lineEnd < end && !IsLineEnd(*lineEnd))
            ++lineEnd;
        if (lineEnd > line)
            AddEntryFromLine(line, lineEnd);
        line = lineEnd + 1;
    }
}

// Key: the first run of characters other than space, tab and "=". Value: the text between
// the line's first two double quotes (quoted), or else the next such run (unquoted). Lines
// without a key, without a value or with an unclosed quote are skipped.
void CValueScript::AddEntryFromLine(const char* line, const char* end) {
    const char* p = line;
    while (p < end && IsSeparator(*p))
        ++p;
    const char* keyStart = p;
    while (p < end && !IsSeparator(*p))
        ++p;
    if (p == keyStart)
        return;
    const std::string key(keyStart, p);

    const char* quote = static_cast<const char*>(memchr(line, '"', static_cast<size_t>(end - line)));
    if (quote) {
        const char* close =
            static_cast<const char*>(memchr(quote + 1, '"', static_cast<size_t>(end - quote - 1)));
        if (!close)
            return;
        AddEntry(key.c_str(), std::string(quote + 1, close).c_str(), 1);
        return;
    }
    while (p < end && IsSeparator(*p))
        ++p;
    const char* valueStart = p;
    while (p < end && !IsSeparator(*p))
        ++p;
    if (p == valueStart)
        return;
    AddEntry(key.c_str(), std::string(valueStart, p).c_str(), 0);
}

void CValueScript::ParseAllBlocks(const char* text, CPointerList* list) {
    if (!text || !list)
        return;
    for (const char* p = strchr(text, '['); p; p = strchr(p + 1, '[')) {
        if (!StartsBlock(text, p))
            continue;
        const char* close = strchr(p + 1, ']');
        if (!close)
            break;
        auto* script = new CValueScript;
        script->m_sName.Assign(p + 1, static_cast<uint32_t>(close - p - 1));
        script->ParseBlock(text);
        list->Append(script);
    }
}

void CValueScript::WriteInto(CDynString* text) {
    // An empty text would be written without the header, and read back as enciphered.
    if (text->IsEmpty())
        *text = kNewFileText;
    const std::string header = BlockHeader(m_sName.GetText());
    std::string block = header + "\r\n";
    for (auto* node = m_pEntries->m_pHead; node; node = node->m_pNext) {
        const auto* entry = static_cast<const CValueScriptEntry*>(node->m_data);
        block += entry->m_sKey.GetText();
        block += entry->m_bQuoted ? " = \"" : " = ";
        block += entry->m_sValue.GetText();
        block += entry->m_bQuoted ? "\"\r\n" : "\r\n";
    }
    block += "\r\n";

    const char* found = strstr(text->GetText(), header.c_str());
    if (found) {
        // Measure the old body in this text: the file may have changed since it was loaded.
        const int at = static_cast<int>(found - text->GetText());
        const int oldLength = static_cast<int>(header.size()) + MeasureBody(text->GetText(), found + header.size());
        text->Delete(at, oldLength);
        text->Insert(at, block.c_str());
    } else {
        const int length = text->GetLength();
        if (!IsLineEnd(text->GetText()[length - 1]))
            *text += "\r\n";
        *text += block.c_str();
    }
    m_nBlockLength = static_cast<int>(block.size() - header.size());
}
