#include "DateText.h"

#include "NSDate.h"

#include <fmt/format.h>

#include <cmath>

namespace {

// 0001-01-01T00:00:00Z and 10000-01-01T00:00:00Z in seconds since 1970.
constexpr double kFirstSecond = -62135596800.0;
constexpr double kPastLastSecond = 253402300800.0;

} // namespace

std::optional<std::string> DateText::iso8601(const NSDate& date)
{
    const double unixSeconds = std::floor(date.timeIntervalSince1970());
    if (!(unixSeconds >= kFirstSecond && unixSeconds < kPastLastSecond)) {
        return std::nullopt;
    }
    return date.iso8601String();
}

std::string DateText::raw(const NSDate& date)
{
    return fmt::format("{} seconds since 2001-01-01T00:00:00Z", date.timeIntervalSinceReferenceDate());
}
