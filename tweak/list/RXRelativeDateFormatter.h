#pragma once

#include "NSDateFormatter.h"

#include <memory>
#include <string>

// The date under an entry of the panel: "5 seconds ago", "1 minute ago", "3 hours ago" within the last day,
// "Yesterday, 8:33 PM" between 24 and 48 hours ago, and the formatter's plain date and time otherwise, for
// a date in the future too. "Now" is the process clock's (Clock::current()), read at every call, so tests
// step it by hand.
//
// The yesterday text formats with the date style set to None for the length of the call, so one formatter
// must not be used from two threads at once; the list manager uses its own on the main thread only.
class RXRelativeDateFormatter final : public NSDateFormatter {
public:
    // Hides the base operation: the list manager formats through this type.
    std::string stringFromDate(const std::shared_ptr<NSDate>& date);

private:
    std::string yesterdayText(const std::shared_ptr<NSDate>& date);
};
