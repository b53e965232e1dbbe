#include "CPMessageDecoder.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"

#include <gtest/gtest.h>


namespace {

std::string xmlOf(const id& value)
{
    auto xml = NSPropertyListSerialization::dataWithPropertyList(value);
    EXPECT_TRUE(xml.ok());
    return xml.ok() ? xml.value() : std::string();
}

// A dictionary whose only value sits inside `arrays` nested arrays: depth arrays + 2.
id nested(int arrays)
{
    id value = NSString::stringWithString("deep");
    for (int i = 0; i < arrays; ++i) {
        value = NSArray::arrayWithObjects({value});
    }
    return NSDictionary::dictionaryWithEntries({{"Body", value}});
}

std::string refusal(std::string_view name, std::string_view xml)
{
    auto decoded = CPMessageDecoder::decode(name, xml);
    return decoded ? std::string() : decoded.error().reason();
}

TEST(MessageDecoder, AcceptsARecordWithItsTypes)
{
    const auto record = NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString("Mail ✉")},
        {"Body", NSString::stringWithString("3 new messages")},
        {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000)},
        {"Count", NSNumber::numberWithInteger(3)},
    });
    auto decoded = CPMessageDecoder::decode("New Notification", xmlOf(record));
    ASSERT_TRUE(decoded.ok()) << decoded.error().reason();
    EXPECT_TRUE(decoded.value()->isEqual(*record));
}

TEST(MessageDecoder, RefusesWhatIsNotAReasonableDictionary)
{
    const std::string record = xmlOf(NSDictionary::dictionaryWithEntries({{"Body", NSString::stringWithString("x")}}));

    EXPECT_EQ(refusal("", record), "empty message name");
    EXPECT_NE(refusal(std::string(257, 'n'), record).find("message name too long"), std::string::npos);
    EXPECT_EQ(refusal("New \xff Notification", record), "message name is not valid UTF-8");

    EXPECT_EQ(refusal("m", xmlOf(NSArray::arrayWithObjects({}))), "user info is not a dictionary");
    EXPECT_EQ(refusal("m", xmlOf(NSString::stringWithString("text"))), "user info is not a dictionary");
    EXPECT_NE(refusal("m", "<plist><dict><key>a</key>").find("user info: "), std::string::npos);
    EXPECT_NE(refusal("m", "").find("user info: "), std::string::npos);
    EXPECT_EQ(refusal("m", "bplist00\x01"), "user info is not an XML property list");

    std::string badText = record;
    badText.replace(badText.find("<string>x"), 9, "<string>\xc3\x28");
    EXPECT_EQ(refusal("m", badText), "user info is not valid UTF-8");

    // Size: a body that fits and one just over the cap.
    const CPMessageDecoder::Limits limits;
    const auto withBody = [](std::size_t bytes) {
        return xmlOf(NSDictionary::dictionaryWithEntries({{"Body", NSString::stringWithString(std::string(bytes, 'x'))}}));
    };
    const std::string fits = withBody(limits.maxBytes - 400);
    ASSERT_LE(fits.size(), limits.maxBytes);
    EXPECT_EQ(refusal("m", fits), "");
    const std::string over = withBody(limits.maxBytes);
    EXPECT_EQ(refusal("m", over).rfind("too large (", 0), 0u) << refusal("m", over);

    // Depth: the cap counts the dictionary and its innermost value.
    EXPECT_EQ(refusal("m", xmlOf(nested(6))), "");
    EXPECT_NE(refusal("m", xmlOf(nested(7))).find("nested deeper"), std::string::npos) << refusal("m", xmlOf(nested(7)));
    // Hostile nesting far past the cap never reaches the parser.
    std::string deep = "<plist><dict><key>k</key>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<array>";
    }
    EXPECT_NE(refusal("m", deep), "");
}

} // namespace
