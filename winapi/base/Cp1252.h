// Windows-1252, the code page of the program's texts, and UTF-8, SDL's encoding.
#pragma once

#include <string>

namespace winapi {

std::string Cp1252ToUtf8(const char* text);
// Characters the code page lacks, and malformed UTF-8, are dropped.
std::string Utf8ToCp1252(const char* text);

}  // namespace winapi
