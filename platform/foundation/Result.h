#pragma once

#include "NSError.h"

#include <utility>
#include <variant>

// Either a value or the NSError that says why there is none. Operations that produce nothing answer
// std::optional<NSError> instead (empty on success).
template <class T>
class Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(NSError error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    // The error; only when !ok().
    const NSError& error() const { return std::get<1>(state_); }

private:
    std::variant<T, NSError> state_;
};
