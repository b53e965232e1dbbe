// The relative date under an entry, at the thresholds, with "now" stepped by hand.
#include "NSTimeZone.h"
#include "RXRelativeDateFormatter.h"
#include "SteppedClockScope.h"

#include <gtest/gtest.h>

namespace {

constexpr double kNow = 800000000.0; // 2026-05-09 06:13:20 UTC

struct Case {
    double ago;
    const char* text;
};

} // namespace

TEST(RelativeDateFormatter, CountsBackFromNowThenSaysYesterdayThenTheDate)
{
    SteppedClockScope time(kNow);
    RXRelativeDateFormatter formatter;
    formatter.setDateStyle(NSDateFormatter::Style::Short);
    formatter.setTimeStyle(NSDateFormatter::Style::Short);
    formatter.setLocaleIdentifier("en_US");
    formatter.setTimeZoneName("UTC");

    const Case cases[] = {
        {0.5, "0 seconds ago"},
        {1.9, "1 second ago"},
        {59.9, "59 seconds ago"},
        {60, "1 minute ago"},
        {119, "1 minute ago"},
        {120, "2 minutes ago"},
        {3599, "59 minutes ago"},
        {3600, "1 hour ago"},
        {7199, "1 hour ago"},
        {86399, "23 hours ago"},
        {86400, "Yesterday, 6:13 AM"},
        {172799, "Yesterday, 6:13 AM"},
        {172800, "5/7/26, 6:13 AM"},
        {0, "5/9/26, 6:13 AM"},
        {-60, "5/9/26, 6:14 AM"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatter.stringFromDate(NSDate::dateWithTimeIntervalSinceReferenceDate(kNow - c.ago)), c.text)
            << c.ago << " seconds ago";
    }
    EXPECT_EQ(formatter.dateStyle(), NSDateFormatter::Style::Short); // restored after the yesterday case

    formatter.setTimeStyle(NSDateFormatter::Style::None);
    EXPECT_EQ(formatter.stringFromDate(NSDate::dateWithTimeIntervalSinceReferenceDate(kNow - 100000)), "Yesterday");
    EXPECT_EQ(formatter.stringFromDate(nullptr), "");
}
