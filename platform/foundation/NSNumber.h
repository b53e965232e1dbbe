#pragma once

#include "NSObject.h"

#include <cstdint>

// An immutable number as property lists know them: a boolean, a signed or unsigned 64-bit integer, or a
// real. Conversions follow the platform: a number counts as true when non-zero, a real converts to an
// integer by truncation.
class NSNumber final : public NSObject {
public:
    enum class Kind { Boolean, Integer, Unsigned, Real };

    static std::shared_ptr<NSNumber> numberWithBool(bool value);
    static std::shared_ptr<NSNumber> numberWithInteger(std::int64_t value);
    static std::shared_ptr<NSNumber> numberWithUnsignedInteger(std::uint64_t value);
    static std::shared_ptr<NSNumber> numberWithDouble(double value);

    Kind kind() const { return kind_; }
    bool boolValue() const;
    std::int64_t integerValue() const;
    std::int32_t intValue() const { return static_cast<std::int32_t>(integerValue()); }
    std::uint64_t unsignedIntegerValue() const;
    double doubleValue() const;

    std::string description() const override;
    std::string className() const override { return "NSNumber"; }
    bool isEqual(const NSObject& other) const override;

    struct Private;
    NSNumber(Private, Kind kind, std::int64_t integer, std::uint64_t unsignedInteger, double real);

private:
    const Kind kind_;
    const std::int64_t integer_;
    const std::uint64_t unsigned_;
    const double real_;
};
