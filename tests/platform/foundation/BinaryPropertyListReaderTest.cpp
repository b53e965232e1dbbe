#include "BinaryPropertyListBuilder.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string described(std::string_view bytes, const PropertyListLimits& limits = {})
{
    auto value = NSPropertyListSerialization::propertyListWithData(bytes, limits);
    return value ? value.value()->className() + " " + value.value()->description() : "refused: " + value.error().reason();
}

std::string one(const std::string& objectBytes)
{
    BinaryPropertyListBuilder b;
    return b.build(b.addRaw(objectBytes));
}

} // namespace

// The scalars over their whole range, as the objects' bytes hold them.
TEST(BinaryPropertyListReader, ReadsScalarsOverTheirWholeRange)
{
    const std::string zeros8(8, '\0'), ones8(8, '\xFF');
    const struct {
        std::string object;
        std::string read;
    } cases[] = {
        {std::string("\x10\xFF", 2), "NSNumber 255"},
        {std::string("\x12\xFF\xFF\xFF\xFF", 5), "NSNumber 4294967295"},
        {"\x13" + ones8, "NSNumber -1"},
        {"\x14" + zeros8 + ones8, "NSNumber 18446744073709551615"},
        {"\x14" + ones8 + std::string("\x80", 1) + std::string(7, '\0'), "NSNumber -9223372036854775808"},
        {"\x14" + std::string("\0\0\0\0\0\0\0\x01", 8) + zeros8, "refused: binary property list integer beyond 64 bits"},
        {"\x14" + ones8 + zeros8, "refused: binary property list integer beyond 64 bits"},
        {std::string("\x22\x3F\xC0\x00\x00", 5), "NSNumber 1.5"},
        {std::string("\x23\x7F\xF8\0\0\0\0\0\0", 9), "NSNumber nan"},
        // Dates are any double: year 1, 9999 and beyond, NaN.
        {std::string("\x33\xC2\x2D\x63\xC3\x7F\0\0\0", 9), "NSDate 0001-01-01 00:00:00 +0000"},
        {std::string("\x33\x42\x4D\x62\xD2\x3C\x7F\x80\0", 9), "NSDate 9999-12-31 23:59:59 +0000"},
        {std::string("\x33\x7F\xF8\0\0\0\0\0\0", 9), "NSDate nan seconds from 2001-01-01"},
        // UTF-16: a pair is one character, a surrogate alone is U+FFFD.
        {std::string("\x63\xD8\x3D\xDE\x00\x00\x41", 7), "NSString \xF0\x9F\x98\x80" "A"},
        {std::string("\x62\xDC\x00\x00\x41", 5), "NSString \xEF\xBF\xBD" "A"},
        {std::string("\x52\xC3\xA9", 3), "NSString \xC3\xA9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(described(one(c.object)), c.read) << testing::PrintToString(c.object);
    }
    // A 2100 date keeps its fraction.
    BinaryPropertyListBuilder b;
    const double in2100 = 3124137600.25;
    auto date = NSPropertyListSerialization::propertyListWithData(b.build(b.addDate(in2100)));
    ASSERT_TRUE(date.ok());
    EXPECT_EQ(as<NSDate>(date.value())->timeIntervalSinceReferenceDate(), in2100);
}

// A shared object is one value wherever it stands, but counts once per place towards the object cap; a
// long key shared by many dictionaries is copied into each, so its copies are bounded by the file's size.
TEST(BinaryPropertyListReader, SharedObjectsAreMadeOnceAndTheirCopiesStayBounded)
{
    BinaryPropertyListBuilder b;
    const auto text = b.addString("shared");
    const auto list = b.addArray({text, text, text});
    auto read = NSPropertyListSerialization::propertyListWithData(b.build(b.addArray({list, list})));
    ASSERT_TRUE(read.ok());
    const auto outer = as<NSArray>(read.value());
    EXPECT_EQ(outer->objectAtIndex(0).get(), outer->objectAtIndex(1).get());
    PropertyListLimits tight;
    tight.maxObjects = 8; // 1 + 2 * (1 + 3) = 9 values expanded
    EXPECT_EQ(described(b.build(b.addArray({list, list})), tight), "refused: more than 8 values");

    BinaryPropertyListBuilder keys;
    const auto key = keys.addString(std::string(4096, 'k'));
    const auto dictionary = keys.addDictionary({{key, key}});
    const auto many = keys.addArray(std::vector<BinaryPropertyListBuilder::Index>(3000, dictionary));
    EXPECT_TRUE(NSPropertyListSerialization::propertyListWithData(keys.build(many)).ok());
    std::vector<BinaryPropertyListBuilder::Index> dictionaries;
    for (int i = 0; i < 3000; ++i) {
        dictionaries.push_back(keys.addDictionary({{key, key}}));
    }
    EXPECT_EQ(described(keys.build(keys.addArray(dictionaries))),
              "refused: binary property list whose keys, copied into every dictionary, outgrow the file");
}
