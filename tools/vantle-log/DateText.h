#pragma once

#include <optional>
#include <string>

class NSDate;

// A log date as text. ISO 8601 covers the years 0001 to 9999; a date outside them (or not a number at
// all, which a binary property list can hold) has no such form and is shown by its raw value instead of
// a made-up calendar date.
class DateText {
public:
    // "2026-12-07T20:33:35Z" (UTC, whole seconds), or absent outside the years 0001 to 9999.
    static std::optional<std::string> iso8601(const NSDate& date);
    // "1e+300 seconds since 2001-01-01T00:00:00Z": the raw value, for a date without an ISO form.
    static std::string raw(const NSDate& date);
};
