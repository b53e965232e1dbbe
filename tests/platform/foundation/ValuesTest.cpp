#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"

#include <gtest/gtest.h>

TEST(Values, TypedLookupsAnswerAbsentForWrongTypes)
{
    const auto record = NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString("Messages")},
        {"Date", NSString::stringWithString("yesterday")},
    });
    EXPECT_EQ(record->stringForKey("Application"), "Messages");
    EXPECT_EQ(record->objectForKey<NSDate>("Date"), nullptr);
    EXPECT_EQ(record->objectForKey<NSString>("Missing"), nullptr);
    EXPECT_FALSE(record->stringForKey("Missing").has_value());
}

TEST(Values, NumbersConvertLikeThePlatform)
{
    EXPECT_TRUE(NSNumber::numberWithInteger(-3)->boolValue());
    EXPECT_FALSE(NSNumber::numberWithDouble(0.0)->boolValue());
    EXPECT_EQ(NSNumber::numberWithDouble(-2.9)->integerValue(), -2);
    EXPECT_EQ(NSNumber::numberWithDouble(1e300)->integerValue(), INT64_MAX);
    EXPECT_EQ(NSNumber::numberWithUnsignedInteger(UINT64_MAX)->kind(), NSNumber::Kind::Unsigned);
    EXPECT_EQ(NSNumber::numberWithUnsignedInteger(7)->kind(), NSNumber::Kind::Integer);
}

TEST(Values, EqualityIsByValueAndNested)
{
    auto make = [] {
        return NSArray::arrayWithObjects({NSDictionary::dictionaryWithEntries(
            {{"Body", NSString::stringWithString("hi")}, {"Count", NSNumber::numberWithInteger(2)}})});
    };
    EXPECT_TRUE(make()->isEqual(*make()));
    const auto other = NSArray::arrayWithObjects({NSString::stringWithString("hi")});
    EXPECT_FALSE(make()->isEqual(*other));
}

TEST(Dates, DescriptionAndIsoRoundTrip)
{
    const auto date = NSDate::dateWithISO8601String("2026-12-07T20:33:35Z");
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->description(), "2026-12-07 20:33:35 +0000");
    EXPECT_EQ(date->iso8601String(), "2026-12-07T20:33:35Z");
    EXPECT_EQ(NSDate::dateWithTimeIntervalSinceReferenceDate(0)->description(), "2001-01-01 00:00:00 +0000");
    EXPECT_EQ(NSDate::dateWithTimeIntervalSinceReferenceDate(-1)->description(), "2000-12-31 23:59:59 +0000");

    const auto offset = NSDate::dateWithISO8601String("2026-12-07T21:33:35.5+01:00");
    ASSERT_NE(offset, nullptr);
    EXPECT_DOUBLE_EQ(offset->timeIntervalSinceReferenceDate(), date->timeIntervalSinceReferenceDate() + 0.5);
}

TEST(Dates, MalformedIsoTextIsRejected)
{
    for (const char* text : {"", "2026-12-07", "2026-13-07T00:00:00Z", "2026-12-07T20:33:35", "2026-12-07T20:33:35Zjunk",
                             "2026-12-07T20:33:35.Z"}) {
        EXPECT_EQ(NSDate::dateWithISO8601String(text), nullptr) << text;
    }
}
