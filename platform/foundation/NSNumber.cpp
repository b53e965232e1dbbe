#include "NSNumber.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>

struct NSNumber::Private {};

NSNumber::NSNumber(Private, Kind kind, std::int64_t integer, std::uint64_t unsignedInteger, double real)
    : kind_(kind), integer_(integer), unsigned_(unsignedInteger), real_(real)
{
}

std::shared_ptr<NSNumber> NSNumber::numberWithBool(bool value)
{
    return std::make_shared<NSNumber>(Private{}, Kind::Boolean, value ? 1 : 0, value ? 1 : 0, value ? 1.0 : 0.0);
}

std::shared_ptr<NSNumber> NSNumber::numberWithInteger(std::int64_t value)
{
    return std::make_shared<NSNumber>(Private{}, Kind::Integer, value, static_cast<std::uint64_t>(value),
                                      static_cast<double>(value));
}

std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedInteger(std::uint64_t value)
{
    if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return numberWithInteger(static_cast<std::int64_t>(value));
    }
    return std::make_shared<NSNumber>(Private{}, Kind::Unsigned, static_cast<std::int64_t>(value), value,
                                      static_cast<double>(value));
}

std::shared_ptr<NSNumber> NSNumber::numberWithDouble(double value)
{
    return std::make_shared<NSNumber>(Private{}, Kind::Real, 0, 0, value);
}

bool NSNumber::boolValue() const
{
    switch (kind_) {
    case Kind::Real:
        return real_ != 0.0;
    case Kind::Unsigned:
        return unsigned_ != 0;
    default:
        return integer_ != 0;
    }
}

std::int64_t NSNumber::integerValue() const
{
    if (kind_ != Kind::Real) {
        return integer_;
    }
    // Truncation of a real that does not fit (or is NaN) is undefined in C++; clamp instead.
    if (std::isnan(real_)) {
        return 0;
    }
    if (real_ >= 9223372036854775807.0) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (real_ <= -9223372036854775808.0) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(real_);
}

std::uint64_t NSNumber::unsignedIntegerValue() const
{
    if (kind_ == Kind::Real) {
        return static_cast<std::uint64_t>(integerValue());
    }
    return unsigned_;
}

double NSNumber::doubleValue() const
{
    return real_;
}

std::string NSNumber::description() const
{
    switch (kind_) {
    case Kind::Boolean:
        return integer_ ? "true" : "false";
    case Kind::Integer:
        return fmt::format("{}", integer_);
    case Kind::Unsigned:
        return fmt::format("{}", unsigned_);
    case Kind::Real:
        return fmt::format("{}", real_);
    }
    return {};
}

bool NSNumber::isEqual(const NSObject& other) const
{
    const auto* number = dynamic_cast<const NSNumber*>(&other);
    if (!number) {
        return false;
    }
    if (kind_ == Kind::Real || number->kind_ == Kind::Real) {
        return doubleValue() == number->doubleValue();
    }
    return integer_ == number->integer_ && unsigned_ == number->unsigned_;
}
