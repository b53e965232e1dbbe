#pragma once

#include <string>

// The device's locale, by ICU identifier ("en_US", "de_DE"). The simulated device is set to "en_US"
// unless a host or a test says otherwise; the host's own locale settings play no part, so output is the
// same on every machine. Safe to read from any thread.
class NSLocale {
public:
    static std::string currentLocaleIdentifier();
    static void setCurrentLocaleIdentifier(std::string identifier);
};
