#include "engine/core/OutOfMemory.h"

#include <cstdio>
#include <cstdlib>

void OutOfMemory(size_t bytes) {
    fprintf(stderr, "out of memory allocating %zu bytes\n", bytes);
    abort();
}
