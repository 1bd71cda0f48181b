#include "engine/core/DynString.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/StrHelpers.h"
#include "engine/core/TextFormat.h"

CDynString::CDynString() : m_pText(StrResize(nullptr, kDefaultGrowStep)) {}

CDynString::CDynString(const char* text, int length) {
    if (length == 0)
        length = text ? static_cast<int>(strlen(text)) : 0;
    Assign(text, static_cast<uint32_t>(length));
}

CDynString::CDynString(const CDynString& other) {
    *this = other;
}

CDynString::~CDynString() {
    free(m_pText);
}

int CDynString::GetLength() const {
    return m_pText ? static_cast<int>(strlen(m_pText)) : 0;
}

bool CDynString::IsEmpty() const {
    return !m_pText || m_pText[0] == 0;
}

bool CDynString::HoldsPointer(const char* p) const {
    if (!m_pText || !p)
        return false;
    // The default constructor holds one grow step while its recorded capacity is still 0.
    const uint32_t allocated = m_nCapacity ? m_nCapacity : m_nGrowStep;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(m_pText);
    const uintptr_t at = reinterpret_cast<uintptr_t>(p);
    return at >= begin && at < begin + allocated;
}

char* CDynString::Reserve(uint32_t n) {
    const uint64_t steps = n <= m_nGrowStep ? 1 : (uint64_t{n} + m_nGrowStep - 1) / m_nGrowStep;
    const uint32_t capacity = static_cast<uint32_t>(steps * m_nGrowStep);
    if (capacity != m_nCapacity || !m_pText) {
        m_pText = StrResize(m_pText, capacity);
        m_nCapacity = capacity;
    }
    return m_pText;
}

void CDynString::Empty() {
    if (m_nCapacity != m_nGrowStep || !m_pText) {
        free(m_pText);
        m_pText = StrResize(nullptr, m_nGrowStep);
    } else {
        memset(m_pText, 0, m_nGrowStep);
    }
    m_nCapacity = m_nGrowStep;
}

void CDynString::Assign(const char* source, uint32_t n) {
    if (n == 0 || !source) {
        Empty();
        return;
    }
    if (static_cast<int32_t>(n) < 0)
        return;
    if (HoldsPointer(source)) {
        // Part of our own text: move it to the front first, so that neither a reallocation
        // nor a shrinking reservation can lose it. Bytes behind the terminator are zero.
        const size_t length = strlen(m_pText);
        const size_t offset = static_cast<size_t>(source - m_pText);
        const size_t kept = offset < length ? std::min<size_t>(n, length - offset) : 0;
        memmove(m_pText, source, kept);
        memset(m_pText + kept, 0, length - kept);
        Reserve(n + 1);
        return;
    }
    Reserve(n + 1);
    memcpy(m_pText, source, n);
    // Keep the tail behind the (first) terminator zero even when the source held zeros.
    const size_t length = strnlen(m_pText, n);
    memset(m_pText + length, 0, m_nCapacity - length);
}

char* CDynString::Append(const char* source, int n) {
    const size_t length = static_cast<size_t>(GetLength());
    if (n <= 0 || !source)
        return m_pText ? m_pText + length : nullptr;
    const size_t count = strnlen(source, static_cast<size_t>(n));
    const bool fromSelf = HoldsPointer(source);
    const size_t offset = fromSelf ? static_cast<size_t>(source - m_pText) : 0;
    Reserve(static_cast<uint32_t>(length + count + 2));
    memmove(m_pText + length, fromSelf ? m_pText + offset : source, count);
    m_pText[length + count] = 0;
    return m_pText + length + count;
}

int CDynString::AppendChar(char c) {
    const int length = GetLength();
    Reserve(static_cast<uint32_t>(length) + 2);
    m_pText[length] = c;
    return length;
}

int CDynString::Find(const char* pattern, int start) const {
    if (start < 0 || start >= GetLength())
        return -1;
    const char* found = StrFind(m_pText + start, pattern);
    return found ? static_cast<int>(found - m_pText) : -1;
}

void CDynString::Delete(int index, int count) {
    const int length = GetLength();
    if (index < 0 || index >= length || count <= 0)
        return;
    const int removed = count < length - index ? count : length - index;
    memmove(m_pText + index, m_pText + index + removed, static_cast<size_t>(length - index - removed));
    memset(m_pText + length - removed, 0, static_cast<size_t>(removed));
}

void CDynString::Insert(int index, const char* text) {
    const int length = GetLength();
    if (!text || text[0] == 0 || index < 0 || index > length)
        return;
    // Text from our own buffer would move under us: copy it out first.
    std::vector<char> ownCopy;
    if (HoldsPointer(text)) {
        ownCopy.assign(text, text + strlen(text) + 1);
        text = ownCopy.data();
    }
    const size_t count = strlen(text);
    const size_t needed = static_cast<size_t>(length) + count + 1;
    if (!m_pText || needed > m_nCapacity)
        Reserve(static_cast<uint32_t>(needed));
    memmove(m_pText + index + count, m_pText + index, static_cast<size_t>(length - index));
    memcpy(m_pText + index, text, count);
}

void CDynString::Format(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const int length = FormattedLength(format, arguments);
    // Formatted aside first: an argument may be this string's own text, which the
    // reservation can move. One buffer serves every call, so formatting allocates only
    // when a text is longer than any before.
    static std::vector<char> s_formatted;
    const size_t written = static_cast<size_t>(std::min(length, kFormatBufferLimit));
    if (s_formatted.size() < written + 1)
        s_formatted.resize(written + 1);
    FormatToBuffer(s_formatted.data(), format, arguments);
    va_end(arguments);
    s_formatted[written] = 0;

    Reserve(static_cast<uint32_t>(length) + 1);
    memcpy(m_pText, s_formatted.data(), written);
    memset(m_pText + written, 0, m_nCapacity - written);
}

CDynString& CDynString::operator=(const CDynString& other) {
    const char* text = other.GetText();
    Assign(text, static_cast<uint32_t>(strlen(text)));
    return *this;
}

CDynString& CDynString::operator=(const char* text) {
    Assign(text, text ? static_cast<uint32_t>(strlen(text)) : 0);
    return *this;
}

CDynString& CDynString::operator+=(const char* text) {
    if (text)
        Append(text, static_cast<int>(strlen(text)));
    return *this;
}

CDynString& CDynString::operator+=(const CDynString& other) {
    return *this += other.GetText();
}

CDynString& CDynString::operator+=(char c) {
    AppendChar(c);
    return *this;
}
