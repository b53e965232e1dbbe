#include "Assertions.h"

#include <cstdio>
#include <cstdlib>

void Assertions::failed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, condition);
    std::abort();
}
