#pragma once

#include "NSObject.h"

#include <optional>
#include <string>

// An absolute point in time: seconds since the reference date 2001-01-01 00:00:00 UTC.
class NSDate final : public NSObject {
public:
    static constexpr double kReferenceDateFromUnixEpoch = 978307200.0;

    explicit NSDate(double secondsSinceReferenceDate) : seconds_(secondsSinceReferenceDate) {}

    // Now, on the process's clock.
    static std::shared_ptr<NSDate> date();
    static std::shared_ptr<NSDate> dateWithTimeIntervalSinceReferenceDate(double seconds);
    static std::shared_ptr<NSDate> dateWithTimeIntervalSince1970(double seconds);
    // Reads "2026-12-07T20:33:35Z", with optional fraction and a "Z" or "+hh:mm" offset; absent when the text
    // is not such a date.
    static std::shared_ptr<NSDate> dateWithISO8601String(const std::string& text);

    double timeIntervalSinceReferenceDate() const { return seconds_; }
    double timeIntervalSince1970() const { return seconds_ + kReferenceDateFromUnixEpoch; }
    double timeIntervalSinceNow() const;

    // "2026-12-07 20:33:35 +0000", as the platform prints a date.
    std::string description() const override;
    // "2026-12-07T20:33:35Z" (UTC, whole seconds).
    std::string iso8601String() const;
    std::string className() const override { return "NSDate"; }
    bool isEqual(const NSObject& other) const override;

private:
    const double seconds_;
};
