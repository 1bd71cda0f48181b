// Windows-1252, the code page of the program's texts and file names: its conversion to and from
// UTF-8, SDL's encoding, and the case of its letters.
#pragma once

#include <string>

namespace winapi {

std::string Cp1252ToUtf8(const char* text);
// Characters the code page lacks, and malformed UTF-8, are dropped.
std::string Utf8ToCp1252(const char* text);

// The lower-case form of a letter, for comparing names without regard to case: ASCII A-Z,
// 0xC0-0xDE but the multiplication sign 0xD7, and the pairs Š, Œ, Ž, Ÿ of 0x8A-0x9F. Every
// other byte is its own fold.
unsigned char Cp1252FoldCase(unsigned char c);

}  // namespace winapi
