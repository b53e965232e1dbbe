#pragma once

#include <string>

// The process's default time zone, by Olson name ("Europe/Berlin", "UTC"). It starts as the host's own
// zone (as ICU reads it from TZ and the system) and can be set by hosts and tests. Safe to read from any
// thread.
class NSTimeZone {
public:
    static std::string defaultTimeZoneName();
    static void setDefaultTimeZoneName(std::string name);
    // Back to the host's own zone.
    static void resetDefaultTimeZone();
};
