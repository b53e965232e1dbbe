#include "PropertyListLimits.h"

#include <unistd.h>

#include <algorithm>

std::size_t PropertyListLimits::memoryGuardBytes()
{
    static const std::size_t guard = [] {
        const long pages = ::sysconf(_SC_PHYS_PAGES);
        const long pageSize = ::sysconf(_SC_PAGE_SIZE);
        if (pages <= 0 || pageSize <= 0) {
            return kMinimumGuardBytes;
        }
        const auto physical = static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize);
        return std::max(kMinimumGuardBytes, static_cast<std::size_t>(physical / kMemoryShare));
    }();
    return guard;
}
