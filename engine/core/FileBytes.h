// Whole files read into memory, for the readers that parse from bytes.
#pragma once

#include <cstdint>
#include <vector>

// Replaces out with the file's bytes; false when the file cannot be opened or a read fails,
// with errno telling why.
bool ReadFileBytes(const char* fileName, std::vector<uint8_t>* out);
