#include "RXRelativeDateFormatter.h"

#include "Clock.h"

#include <fmt/format.h>

namespace {

constexpr double kMinute = 60;
constexpr double kHour = 3600;
constexpr double kDay = 86400;

std::string countAgo(double seconds, double unit, const char* one, const char* many)
{
    const int count = static_cast<int>(seconds / unit);
    return count == 1 ? std::string(one) : fmt::format(fmt::runtime(many), count);
}

} // namespace

std::string RXRelativeDateFormatter::stringFromDate(const std::shared_ptr<NSDate>& date)
{
    if (!date) {
        return {};
    }
    const double ago = Clock::current()->referenceTime() - date->timeIntervalSinceReferenceDate();
    if (ago <= 0) {
        return NSDateFormatter::stringFromDate(date);
    }
    if (ago < kMinute) {
        return countAgo(ago, 1, "1 second ago", "{} seconds ago");
    }
    if (ago < kHour) {
        return countAgo(ago, kMinute, "1 minute ago", "{} minutes ago");
    }
    if (ago < kDay) {
        return countAgo(ago, kHour, "1 hour ago", "{} hours ago");
    }
    if (ago < 2 * kDay) {
        return yesterdayText(date);
    }
    return NSDateFormatter::stringFromDate(date);
}

std::string RXRelativeDateFormatter::yesterdayText(const std::shared_ptr<NSDate>& date)
{
    if (timeStyle() == Style::None) {
        return "Yesterday";
    }
    const Style savedDateStyle = dateStyle();
    setDateStyle(Style::None);
    std::string text = "Yesterday, " + NSDateFormatter::stringFromDate(date);
    setDateStyle(savedDateStyle);
    return text;
}
