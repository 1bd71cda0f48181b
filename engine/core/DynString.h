// The engine's growable byte string. Its capacity is always a whole multiple of the grow
// step, and every byte behind the terminator stays zero, which AppendChar relies on.
#pragma once

#include <cstdint>

class CDynString {
public:
    CDynString();
    // A length of 0 takes the text up to its terminator; a null text gives an empty string.
    CDynString(const char* text, int length);
    CDynString(const CDynString& other);
    virtual ~CDynString();

    int GetLength() const;
    bool IsEmpty() const;
    // The text; "" while the string has no buffer.
    const char* GetText() const { return m_pText ? m_pText : ""; }
    uint32_t GetCapacity() const { return m_nCapacity; }

    // Capacity := the smallest multiple of the grow step holding n bytes (at least one step);
    // reallocates, growing or shrinking, when that differs. Returns the buffer.
    char* Reserve(uint32_t n);
    // Back to one zero-filled grow step.
    void Empty();
    // Exactly n bytes from source; 0 empties, a count negative as a signed value does nothing.
    // The source may lie inside this string's own text.
    void Assign(const char* source, uint32_t n);
    // At most n characters of source, stopping at its terminator; returns the new end.
    char* Append(const char* source, int n);
    // Returns the index the character was written to.
    int AppendChar(char c);
    // Index of pattern at or after start; -1 when absent or start lies outside the text.
    int Find(const char* pattern, int start) const;
    // Removes count characters at index; an index outside the text or a count below 1
    // changes nothing, and a count reaching the end cuts the text at index.
    void Delete(int index, int count);
    // Inserts text at index (0 to the length); the buffer grows in grow steps as needed.
    void Insert(int index, const char* text);
    // Sets the string to the formatted text; the capacity becomes the smallest multiple of
    // the grow step that holds it. Arguments may point into this string.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    CDynString& operator=(const CDynString& other);
    CDynString& operator=(const char* text);
    CDynString& operator+=(const char* text);
    CDynString& operator+=(const CDynString& other);
    CDynString& operator+=(char c);

    static constexpr uint32_t kDefaultGrowStep = 20;

private:
    bool HoldsPointer(const char* p) const;

    char* m_pText = nullptr;
    uint32_t m_nCapacity = 0;
    uint32_t m_nGrowStep = kDefaultGrowStep;
};
