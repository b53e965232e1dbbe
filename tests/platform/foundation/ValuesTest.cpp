#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "XMLPropertyListArena.h"

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

// Entries stay in key order however they are added; a repeated key keeps its first value in a list
// and its last when built from pairs (as a reader assigning them in turn).
TEST(Values, DictionaryEntriesKeepKeyOrder)
{
    const auto str = [](const char* text) { return id(NSString::stringWithString(text)); };
    const auto keysAndValues = [](const NSDictionary::Entries& entries) {
        std::string text;
        for (const auto& [key, value] : entries) {
            text += key + "=" + value->description() + ";";
        }
        return text;
    };
    NSDictionary::Entries entries{{"b", str("1")}, {"a", str("2")}, {"b", str("3")}};
    EXPECT_EQ(keysAndValues(entries), "a=2;b=1;");
    entries.emplace("c", str("4"));
    entries.insert_or_assign(entries.end(), "aa", str("5"));
    entries["a"] = str("6");
    EXPECT_EQ(entries.erase("b"), 1u);
    EXPECT_EQ(keysAndValues(entries), "a=6;aa=5;c=4;");
    EXPECT_EQ(entries.count("aa"), 1u);
    EXPECT_EQ(entries.find("b"), entries.end());

    std::vector<std::string> keys{"z", "y", "z", "x"};
    std::vector<id> values{str("1"), str("2"), str("3"), str("4")};
    const auto read = NSDictionary::Entries::fromKeysAndValues(keys, values);
    EXPECT_EQ(keysAndValues(read), "x=4;y=2;z=3;");

    // Entries whose array a reader cut from its arena move to the heap before they grow, so they may
    // outlive the arena.
    NSDictionary::Entries grown;
    {
        XMLPropertyListArena arena;
        std::vector<std::string> arenaKeys{"b"};
        std::vector<id> arenaValues{str("1")};
        grown = NSDictionary::Entries::fromKeysAndValues(arenaKeys, arenaValues, &arena);
    }
    grown.emplace("a", str("2"));
    grown.insert_or_assign(grown.end(), "c", str("3"));
    EXPECT_EQ(keysAndValues(grown), "a=2;b=1;c=3;");
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
