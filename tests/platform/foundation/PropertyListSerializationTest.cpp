#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

id str(const std::string& text)
{
    return NSString::stringWithString(text);
}

id readBack(const id& value)
{
    auto xml = NSPropertyListSerialization::dataWithPropertyList(value);
    EXPECT_TRUE(xml.ok()) << (xml.ok() ? "" : xml.error().reason());
    if (!xml) {
        return nullptr;
    }
    auto read = NSPropertyListSerialization::propertyListWithData(xml.value());
    EXPECT_TRUE(read.ok()) << (read.ok() ? "" : read.error().reason()) << "\n" << xml.value();
    return read ? read.value() : nullptr;
}

std::string libplistBinary(const std::string& xml)
{
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    std::string binary(bytes, length);
    std::free(bytes);
    plist_free(node);
    return binary;
}

class NotAValue final : public NSObject {};

} // namespace

TEST(PropertyListSerialization, EveryValueTypeSurvivesTheXMLForm)
{
    const auto original = NSDictionary::dictionaryWithEntries({
        {"String", str("Hello <&> \"world\" caf\xC3\xA9 \xF0\x9F\x98\x80")},
        {"Negative", NSNumber::numberWithInteger(-1)},
        {"Min", NSNumber::numberWithInteger(std::numeric_limits<std::int64_t>::min())},
        {"Max", NSNumber::numberWithInteger(std::numeric_limits<std::int64_t>::max())},
        {"Huge", NSNumber::numberWithUnsignedInteger(std::numeric_limits<std::uint64_t>::max())},
        {"True", NSNumber::numberWithBool(true)},
        {"False", NSNumber::numberWithBool(false)},
        {"Real", NSNumber::numberWithDouble(-2.5e-7)},
        {"Data", NSData::dataWithBytes(std::string("\0\x01\xFFxyz", 6))},
        {"List", NSArray::arrayWithObjects({str("a"), NSArray::arrayWithObjects({}), NSDictionary::dictionary()})},
        {"Key <&>", str("")},
    });
    const auto back = as<NSDictionary>(readBack(original));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isEqual(*original)) << back->description();

    // -1 and 2^64-1 are the same 64 bits; their kinds keep them apart.
    EXPECT_EQ(back->objectForKey<NSNumber>("Negative")->kind(), NSNumber::Kind::Integer);
    EXPECT_EQ(back->objectForKey<NSNumber>("Negative")->integerValue(), -1);
    EXPECT_EQ(back->objectForKey<NSNumber>("Huge")->kind(), NSNumber::Kind::Unsigned);
    EXPECT_EQ(back->objectForKey<NSNumber>("True")->kind(), NSNumber::Kind::Boolean);
    EXPECT_EQ(back->objectForKey<NSNumber>("Real")->kind(), NSNumber::Kind::Real);
}

TEST(PropertyListSerialization, DatesKeepWholeSecondsInXMLAndFractionsInBinary)
{
    const double now = 818368415.75; // 2026-12-07 20:33:35.75 UTC
    const auto list = NSArray::arrayWithObjects(
        {NSDate::dateWithTimeIntervalSinceReferenceDate(now), NSDate::dateWithTimeIntervalSinceReferenceDate(-123.5)});
    const auto back = as<NSArray>(readBack(list));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->objectAtIndex<NSDate>(0)->timeIntervalSinceReferenceDate(), 818368415.0);
    EXPECT_EQ(back->objectAtIndex<NSDate>(0)->description(), "2026-12-07 20:33:35 +0000");
    // Cut to the second, toward 2001, also before it.
    EXPECT_EQ(back->objectAtIndex<NSDate>(1)->timeIntervalSinceReferenceDate(), -123.0);

    auto xml = NSPropertyListSerialization::dataWithPropertyList(list);
    ASSERT_TRUE(xml.ok());
    EXPECT_NE(xml.value().find("<date>2026-12-07T20:33:35Z</date>"), std::string::npos);

    // The binary form stores a double: fractions survive, negative ones with their sign.
    auto binary = NSPropertyListSerialization::propertyListWithData(libplistBinary(
        "<plist><array><date>2026-12-07T20:33:35Z</date><integer>-5</integer>"
        "<integer>18446744073709551615</integer></array></plist>"));
    ASSERT_TRUE(binary.ok()) << binary.error().reason();
    const auto items = as<NSArray>(binary.value());
    EXPECT_EQ(items->objectAtIndex<NSDate>(0)->timeIntervalSinceReferenceDate(), 818368415.0);
    EXPECT_EQ(items->objectAtIndex<NSNumber>(1)->integerValue(), -5);
    EXPECT_EQ(items->objectAtIndex<NSNumber>(2)->kind(), NSNumber::Kind::Unsigned);

    plist_t dates = plist_new_array();
    plist_array_append_item(dates, plist_new_date(818368415, 750000));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(dates, &bytes, &length);
    auto fractional = NSPropertyListSerialization::propertyListWithData(std::string_view(bytes, length));
    std::free(bytes);
    plist_free(dates);
    ASSERT_TRUE(fractional.ok());
    EXPECT_DOUBLE_EQ(as<NSArray>(fractional.value())->objectAtIndex<NSDate>(0)->timeIntervalSinceReferenceDate(), now);
}

TEST(PropertyListSerialization, WrittenTextIsAlwaysWellFormedAndReadsBack)
{
    const std::string hostile = std::string("bad \xFF\xFE utf8, ctl \x01\x02\x1F, nul ") + '\0' +
                                " end, \xEF\xBF\xBE nonchar, \xED\xA0\x80 surrogate, tab\tline\n";
    const auto record = NSDictionary::dictionaryWithEntries({{"Body", str(hostile)}, {"K\x01" "ey\xC3", str("v")}});
    auto xml = NSPropertyListSerialization::dataWithPropertyList(record);
    ASSERT_TRUE(xml.ok()) << xml.error().reason();
    EXPECT_TRUE(TextSanitizer::isValidUTF8(xml.value()));
    for (const unsigned char c : xml.value()) {
        EXPECT_TRUE(c >= 0x20 || c == '\t' || c == '\n' || c == '\r') << "control byte " << int(c) << " written";
    }
    const auto back = as<NSDictionary>(readBack(record));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->stringForKey("Body"),
              "bad \xEF\xBF\xBD\xEF\xBF\xBD utf8, ctl , nul  end,  nonchar, \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD "
              "surrogate, tab\tline\n");
    EXPECT_EQ(back->stringForKey("Key\xEF\xBF\xBD"), "v");
}

TEST(PropertyListSerialization, RefusesWhatCannotBeWrittenWithAReason)
{
    const auto reasonFor = [](const id& value) {
        auto xml = NSPropertyListSerialization::dataWithPropertyList(value);
        return xml.ok() ? std::string("written") : xml.error().reason();
    };
    EXPECT_EQ(reasonFor(std::make_shared<NotAValue>()).find("is not a property-list value") != std::string::npos, true);
    EXPECT_NE(reasonFor(NSArray::arrayWithObjects({str("a"), nullptr})).find("null"), std::string::npos);
    EXPECT_EQ(reasonFor(NSNumber::numberWithDouble(std::nan(""))), "written");
    EXPECT_EQ(reasonFor(NSDate::dateWithISO8601String("2100-01-01T00:00:00Z")), "written");
    // XML dates have four-digit years; the second before year 1 and the one after 9999 have no text.
    const double year1 = NSDate::dateWithISO8601String("0001-01-01T00:00:00Z")->timeIntervalSinceReferenceDate();
    const double year10000 = NSDate::dateWithISO8601String("9999-12-31T23:59:59Z")->timeIntervalSinceReferenceDate() + 1;
    EXPECT_EQ(reasonFor(NSDate::dateWithTimeIntervalSinceReferenceDate(year1)), "written");
    EXPECT_EQ(reasonFor(NSDate::dateWithTimeIntervalSinceReferenceDate(year10000 - 0.5)), "written");
    // Cut toward 2001, half a second before year 1 is its first second.
    EXPECT_EQ(reasonFor(NSDate::dateWithTimeIntervalSinceReferenceDate(year1 - 0.5)), "written");
    EXPECT_EQ(reasonFor(NSDate::dateWithTimeIntervalSinceReferenceDate(year1 - 1)),
              "date 0000-12-31 23:59:59 +0000 is outside the years 0001 to 9999 that XML can hold");
    EXPECT_EQ(reasonFor(NSDate::dateWithTimeIntervalSinceReferenceDate(year10000)),
              "date 10000-01-01 00:00:00 +0000 is outside the years 0001 to 9999 that XML can hold");
    EXPECT_EQ(reasonFor(NSDate::dateWithTimeIntervalSinceReferenceDate(std::nan(""))),
              "date nan seconds from 2001-01-01 is outside the years 0001 to 9999 that XML can hold");
    // The check without writing gives the same reason, for a value anywhere in the tree.
    const auto refused = NSPropertyListSerialization::refusalToWrite(NSDictionary::dictionaryWithEntries(
        {{"a", NSArray::arrayWithObjects({NSDate::dateWithTimeIntervalSinceReferenceDate(INFINITY)})}}));
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->reason(), "date inf seconds from 2001-01-01 is outside the years 0001 to 9999 that XML can hold");
    EXPECT_FALSE(NSPropertyListSerialization::refusalToWrite(NSArray::arrayWithObjects({str("a")})).has_value());

    // Deep enough to pass the hard ceiling; value trees release recursively, so not deeper.
    id deep = str("leaf");
    for (int i = 0; i < 2000; ++i) {
        deep = NSArray::arrayWithObjects({deep});
    }
    EXPECT_EQ(reasonFor(deep), "nested deeper than 64 levels");
    PropertyListLimits generous;
    generous.maxDepth = 1000000;
    auto capped = NSPropertyListSerialization::dataWithPropertyList(deep, generous);
    ASSERT_FALSE(capped.ok());
    EXPECT_EQ(capped.error().reason(), "nested deeper than 512 levels");
}

TEST(PropertyListSerialization, UnreadableBytesAnswerAReason)
{
    const auto reasonFor = [](std::string_view bytes) {
        auto value = NSPropertyListSerialization::propertyListWithData(bytes);
        return value.ok() ? std::string("read") : value.error().reason();
    };
    EXPECT_EQ(reasonFor(""), "empty file");
    EXPECT_EQ(reasonFor("hello"), "not a valid XML property list: text outside the property list at byte 0");
    EXPECT_EQ(reasonFor("<plist><array><string>x</array>"),
              "not a valid XML property list: not well-formed XML: end tag does not match <string> at byte 23");
    EXPECT_EQ(reasonFor("bplist00"), "truncated binary property list");
    EXPECT_EQ(reasonFor("<plist version=\"1.0\"><string>ok</string></plist>"), "read");
}

TEST(TextSanitizer, ReplacesEachMaximalIllFormedSubsequenceOnce)
{
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(TextSanitizer::validUTF8("caf\xC3\xA9 \xF0\x9F\x98\x80"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(TextSanitizer::validUTF8("a\xF0\x9F\x98"), "a" + fffd);         // truncated four-byte character
    EXPECT_EQ(TextSanitizer::validUTF8("\xC0\xAF"), fffd + fffd);             // overlong '/'
    EXPECT_EQ(TextSanitizer::validUTF8("\xED\xA0\x80"), fffd + fffd + fffd);  // encoded surrogate
    EXPECT_EQ(TextSanitizer::validUTF8("\xF4\x90\x80\x80"), fffd + fffd + fffd + fffd); // past U+10FFFF
    EXPECT_EQ(TextSanitizer::validUTF8("\xE2\x82x"), fffd + "x");
    EXPECT_FALSE(TextSanitizer::isValidUTF8("\x80"));
    EXPECT_EQ(TextSanitizer::sanitizedForXML(std::string("a\0b\x7F\r", 5)), "ab\x7F\r");
}
