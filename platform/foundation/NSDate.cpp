#include "NSDate.h"

#include "CivilDateTime.h"
#include "Clock.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdio>

namespace {

// The calendar fields of a date, or the plain number of seconds for one no calendar can show (NaN,
// infinities, beyond some hundred billion years).
template <class Format>
std::string formatted(double secondsSinceReference, Format format)
{
    const auto civil = CivilDateTime::fromSecondsSince1970(secondsSinceReference + NSDate::kReferenceDateFromUnixEpoch);
    if (!civil) {
        return fmt::format("{} seconds from 2001-01-01", secondsSinceReference);
    }
    return format(*civil);
}

} // namespace

std::shared_ptr<NSDate> NSDate::date()
{
    return std::make_shared<NSDate>(Clock::current()->referenceTime());
}

std::shared_ptr<NSDate> NSDate::dateWithTimeIntervalSinceReferenceDate(double seconds)
{
    return std::make_shared<NSDate>(seconds);
}

std::shared_ptr<NSDate> NSDate::dateWithTimeIntervalSince1970(double seconds)
{
    return std::make_shared<NSDate>(seconds - kReferenceDateFromUnixEpoch);
}

std::shared_ptr<NSDate> NSDate::dateWithISO8601String(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second,
                    &consumed) != 6) {
        return nullptr;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
        return nullptr;
    }
    const char* rest = text.c_str() + consumed;
    double fraction = 0;
    if (*rest == '.') {
        double scale = 0.1;
        ++rest;
        if (*rest < '0' || *rest > '9') {
            return nullptr;
        }
        for (; *rest >= '0' && *rest <= '9'; ++rest, scale /= 10) {
            fraction += (*rest - '0') * scale;
        }
    }
    int offsetSeconds = 0;
    if (*rest == 'Z') {
        ++rest;
    } else if (*rest == '+' || *rest == '-') {
        int offsetHours = 0, offsetMinutes = 0, used = 0;
        if (std::sscanf(rest + 1, "%2d:%2d%n", &offsetHours, &offsetMinutes, &used) != 2 || offsetHours > 23 ||
            offsetMinutes > 59) {
            return nullptr;
        }
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (*rest == '-' ? -1 : 1);
        rest += 1 + used;
    } else {
        return nullptr;
    }
    if (*rest != '\0') {
        return nullptr;
    }
    const std::int64_t days = CivilDateTime::daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const double unixSeconds = static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds);
    return dateWithTimeIntervalSince1970(unixSeconds + fraction);
}

double NSDate::timeIntervalSinceNow() const
{
    return seconds_ - Clock::current()->referenceTime();
}

std::string NSDate::description() const
{
    return formatted(seconds_, [](const CivilDateTime& c) {
        return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02} +0000", c.year, c.month, c.day, c.hour, c.minute, c.second);
    });
}

std::string NSDate::iso8601String() const
{
    return formatted(seconds_, [](const CivilDateTime& c) {
        return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", c.year, c.month, c.day, c.hour, c.minute, c.second);
    });
}

bool NSDate::isEqual(const NSObject& other) const
{
    const auto* date = dynamic_cast<const NSDate*>(&other);
    return date && date->seconds_ == seconds_;
}
