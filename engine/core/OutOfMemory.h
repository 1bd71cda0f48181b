// What the engine does when the heap is exhausted: report and stop. Nothing can go on
// sensibly without the memory, and a null pointer handed on would only crash later.
#pragma once

#include <cstddef>

[[noreturn]] void OutOfMemory(size_t bytes);
