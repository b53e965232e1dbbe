#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <string>

// The position of one row in a table: a section and a row within it. A small value, compared section
// first, so index paths sort in the order the table shows its rows.
class NSIndexPath final {
public:
    constexpr NSIndexPath() = default;
    constexpr NSIndexPath(int row, int section) : row_(row), section_(section) {}

    static constexpr NSIndexPath indexPathForRowInSection(int row, int section) { return {row, section}; }

    constexpr int row() const { return row_; }
    constexpr int section() const { return section_; }

    constexpr bool operator==(const NSIndexPath&) const = default;
    constexpr std::strong_ordering operator<=>(const NSIndexPath& other) const
    {
        if (auto order = section_ <=> other.section_; order != 0) {
            return order;
        }
        return row_ <=> other.row_;
    }

    // "<NSIndexPath 2-5>", section then row, for test output and logs.
    std::string description() const;

private:
    int row_ = 0;
    int section_ = 0;
};

template <>
struct std::hash<NSIndexPath> {
    std::size_t operator()(const NSIndexPath& path) const noexcept
    {
        return std::hash<long long>{}((static_cast<long long>(path.section()) << 32) ^
                                      static_cast<unsigned int>(path.row()));
    }
};
