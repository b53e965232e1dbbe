#include "HeapMemory.h"

#include <malloc.h>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMallocIsTheCLibrarys = false;
#elif defined(__has_feature)
constexpr bool kMallocIsTheCLibrarys = !__has_feature(address_sanitizer) && !__has_feature(thread_sanitizer);
#else
constexpr bool kMallocIsTheCLibrarys = true;
#endif

constexpr int kOwnMappingFrom = 1 << 20;
constexpr int kFreeTopKept = 4 << 20;

} // namespace

void HeapMemory::returnFreedMemoryToTheSystem()
{
    if constexpr (kMallocIsTheCLibrarys) {
        (void)::malloc_trim(0);
    }
}

void HeapMemory::keepLargeBlocksOutOfTheArenas()
{
    if constexpr (kMallocIsTheCLibrarys) {
        // Setting either limit also stops the C library from moving them.
        (void)::mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
        (void)::mallopt(M_TRIM_THRESHOLD, kFreeTopKept);
    }
}
