// Windows-1252, the code page of the program's texts and file names: its conversion to and from
// UTF-8, SDL's encoding, and the case of its letters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace winapi {

std::string Cp1252ToUtf8(const char* text);
// Characters the code page lacks, and malformed UTF-8, are dropped.
std::string Utf8ToCp1252(const char* text);
// Utf8ToCp1252 for writers that must not lose a character: true with *out the whole text, or
// false at the first character the code page lacks or malformed sequence, with *out what came
// before it, *offset its byte offset in text and *codePoint the character (-1 when malformed:
// also a surrogate half or a value beyond U+10FFFF). offset and codePoint may be null.
bool Utf8ToCp1252Checked(const char* text, std::string* out, size_t* offset, int32_t* codePoint);

// The lower-case form of a letter, for comparing names without regard to case: ASCII A-Z,
// 0xC0-0xDE but the multiplication sign 0xD7, and the pairs Š, Œ, Ž, Ÿ of 0x8A-0x9F. Every
// other byte is its own fold.
unsigned char Cp1252FoldCase(unsigned char c);

}  // namespace winapi
