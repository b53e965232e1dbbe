#pragma once

#include <cstdint>
#include <optional>

// A day and a time of day in the proleptic Gregorian calendar, in UTC, with whole seconds, and its
// conversion to and from seconds since 1970-01-01 00:00:00 UTC. Works for every year an int64_t of days
// can hold, without the C library's time functions (which neither take every year nor a NaN).
struct CivilDateTime {
    std::int64_t year = 1970;
    unsigned month = 1;
    unsigned day = 1;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;

    // Days from 1970-01-01 to the given date.
    static std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);
    static unsigned daysInMonth(std::int64_t year, unsigned month);
    // The date and time of the second that holds `seconds` (floored, also before 1970); absent for NaN,
    // infinities and times past some hundred billion years, where no calendar field would be meaningful.
    static std::optional<CivilDateTime> fromSecondsSince1970(double seconds);

    std::int64_t secondsSince1970() const;
};
