#include "NSArray.h"
#include "NSDictionary.h"
#include "NSString.h"
#include "OpenStepPropertyList.h"

#include <gtest/gtest.h>

#include <string>

namespace {

id string(const std::string& value) { return NSString::stringWithString(value); }

TEST(OpenStepPropertyList, ReadsDictionariesArraysAndBothKindsOfString)
{
    const Result<id> read = OpenStepPropertyList::parse(
        "/* filter */ { Filter = { Bundles = ( \"com.apple.springboard\", com.apple.Preferences, ); };\n"
        "  \"Quoted Key\" = \"a \\\"b\\\"\\n\\U00e9\"; // trailing\n Empty = (); }",
        8);
    ASSERT_TRUE(read) << read.error().reason();
    const auto expected = NSDictionary::dictionaryWithEntries({
        {"Filter", NSDictionary::dictionaryWithEntries({{"Bundles", NSArray::arrayWithObjects(
                                                                        {string("com.apple.springboard"),
                                                                         string("com.apple.Preferences")})}})},
        {"Quoted Key", string("a \"b\"\n\xC3\xA9")},
        {"Empty", NSArray::arrayWithObjects({})},
    });
    EXPECT_TRUE(isEqual(read.value(), expected)) << read.value()->description();
}

TEST(OpenStepPropertyList, RefusesMalformedAndTooDeepText)
{
    const std::pair<std::string, const char*> cases[] = {
        {"{ a = b }", "';' expected"},
        {"{ a b; }", "'=' expected"},
        {"( a b )", "',' or ')' expected"},
        {"( a, ", "not the end"},
        {"\"open", "unterminated string"},
        {"{ a = <0fbd>; }", "a value expected"},
        {"( a ) b", "nothing after the value"},
        {std::string(100000, '('), "nested deeper than 8 levels"},
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text.substr(0, 20));
        const Result<id> read = OpenStepPropertyList::parse(text, 8);
        ASSERT_FALSE(read);
        EXPECT_NE(read.error().reason().find(reason), std::string::npos) << read.error().reason();
    }
}

} // namespace
