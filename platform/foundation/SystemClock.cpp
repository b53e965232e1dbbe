#include "SystemClock.h"

#include <chrono>

namespace {
// Seconds between the Unix epoch and 2001-01-01 00:00:00 UTC.
constexpr double kReferenceDateFromUnixEpoch = 978307200.0;
} // namespace

double SystemClock::referenceTime() const
{
    using namespace std::chrono;
    const auto sinceEpoch = duration<double>(system_clock::now().time_since_epoch()).count();
    return sinceEpoch - kReferenceDateFromUnixEpoch;
}

double SystemClock::monotonicTime() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
