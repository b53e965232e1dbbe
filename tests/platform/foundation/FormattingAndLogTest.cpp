#include "NSDate.h"
#include "NSDateFormatter.h"
#include "NSLocale.h"
#include "NSLog.h"
#include "NSString.h"
#include "NSTimeZone.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

const auto kEvening = NSDate::dateWithISO8601String("2026-12-07T20:33:35Z");

NSComparisonResult compare(const char* a, const char* b)
{
    return NSString(a).caseInsensitiveCompare(NSString(b));
}

} // namespace

TEST(NSDateFormatter, ShortStylesFollowLocaleAndTimeZone)
{
    NSDateFormatter formatter;
    formatter.setTimeZoneName("UTC");
    EXPECT_EQ(formatter.stringFromDate(kEvening), "");
    formatter.setDateStyle(NSDateFormatter::Style::Short);
    EXPECT_EQ(formatter.stringFromDate(kEvening), "12/7/26");
    formatter.setTimeStyle(NSDateFormatter::Style::Short);
    EXPECT_EQ(formatter.stringFromDate(kEvening), "12/7/26, 8:33 PM");
    formatter.setDateStyle(NSDateFormatter::Style::None);
    EXPECT_EQ(formatter.stringFromDate(kEvening), "8:33 PM");
    EXPECT_EQ(formatter.stringFromDate(nullptr), "");

    // An explicit zone, then the process default.
    formatter.setTimeZoneName("Asia/Tokyo");
    EXPECT_EQ(formatter.stringFromDate(kEvening), "5:33 AM");
    formatter.setTimeZoneName("");
    NSTimeZone::setDefaultTimeZoneName("America/New_York");
    EXPECT_EQ(formatter.stringFromDate(kEvening), "3:33 PM");
    NSTimeZone::setDefaultTimeZoneName("Europe/Berlin");
    EXPECT_EQ(formatter.stringFromDate(kEvening), "9:33 PM");

    // An explicit locale, then the device's.
    formatter.setDateStyle(NSDateFormatter::Style::Short);
    formatter.setLocaleIdentifier("de_DE");
    EXPECT_EQ(formatter.stringFromDate(kEvening), "07.12.26, 21:33");
    formatter.setLocaleIdentifier("");
    NSLocale::setCurrentLocaleIdentifier("en_GB");
    EXPECT_EQ(formatter.stringFromDate(kEvening), "07/12/2026, 21:33");
    NSLocale::setCurrentLocaleIdentifier("en_US");
    NSTimeZone::resetDefaultTimeZone();
}

TEST(NSString, CaseInsensitiveCompareFoldsFullUnicodeCase)
{
    EXPECT_EQ(compare("messages", "Messages"), NSComparisonResult::OrderedSame);
    EXPECT_EQ(compare("\xC3\xA4rger", "\xC3\x84RGER"), NSComparisonResult::OrderedSame); // ärger / ÄRGER
    EXPECT_EQ(compare("Stra\xC3\x9F" "e", "STRASSE"), NSComparisonResult::OrderedSame);  // Straße
    EXPECT_EQ(compare("apple", "Banana"), NSComparisonResult::OrderedAscending);
    EXPECT_EQ(compare("Zebra", "apple"), NSComparisonResult::OrderedDescending);
    EXPECT_EQ(compare("App", "apple"), NSComparisonResult::OrderedAscending);
    EXPECT_EQ(compare("", ""), NSComparisonResult::OrderedSame);
    // Ill-formed bytes compare as U+FFFD, after every letter.
    EXPECT_EQ(compare("\xFF", "z"), NSComparisonResult::OrderedDescending);
}

TEST(SystemLog, LinesReachObserversAndStderrOnlyWhenMirrored)
{
    std::vector<std::string> lines;
    SystemLog::setObserver([&](const std::string& line) { lines.push_back(line); });

    testing::internal::CaptureStderr();
    NSLog("No plist for {}", "Clock");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    SystemLog::setMirrorsToStandardError(true);
    testing::internal::CaptureStderr();
    NSLog("Redirections loading");
    const std::string mirrored = testing::internal::GetCapturedStderr();
    SystemLog::setMirrorsToStandardError(false);
    EXPECT_NE(mirrored.find("]: Redirections loading\n"), std::string::npos) << mirrored;

    SystemLog::setObserver(nullptr);
    NSLog("unobserved");
    EXPECT_EQ(lines, (std::vector<std::string>{"No plist for Clock", "Redirections loading"}));
}
