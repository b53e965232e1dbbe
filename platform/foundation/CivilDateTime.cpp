#include "CivilDateTime.h"

#include <cmath>

namespace {

// Far inside what int64_t days and seconds hold, and what a double keeps to the second.
constexpr double kLargestSeconds = 1e15;

} // namespace

std::int64_t CivilDateTime::daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

unsigned CivilDateTime::daysInMonth(std::int64_t year, unsigned month)
{
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::optional<CivilDateTime> CivilDateTime::fromSecondsSince1970(double seconds)
{
    if (!(std::fabs(seconds) <= kLargestSeconds)) {
        return std::nullopt;
    }
    const auto whole = static_cast<std::int64_t>(std::floor(seconds));
    std::int64_t days = whole / 86400;
    std::int64_t secondOfDay = whole % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    // The inverse of daysFromCivil, by eras of 400 years.
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    CivilDateTime civil;
    civil.day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    civil.month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    civil.year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (civil.month <= 2);
    civil.hour = static_cast<unsigned>(secondOfDay / 3600);
    civil.minute = static_cast<unsigned>(secondOfDay / 60 % 60);
    civil.second = static_cast<unsigned>(secondOfDay % 60);
    return civil;
}

std::int64_t CivilDateTime::secondsSince1970() const
{
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}
