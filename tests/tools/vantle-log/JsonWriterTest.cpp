// The JSON form of the log: always valid JSON, escaped, and every value as what it is.
#include "Base64.h"
#include "BinaryPropertyListBuilder.h"
#include "JsonValidator.h"
#include "JsonWriter.h"
#include "LogFile.h"
#include "LogFixtures.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TemporaryDeviceRoot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

id text(const std::string& bytes)
{
    return NSString::stringWithString(bytes);
}

} // namespace

TEST(JsonWriter, EscapesEveryStringIntoValidJson)
{
    EXPECT_EQ(JsonWriter::string("say \"hi\" \\ bye"), R"("say \"hi\" \\ bye")");
    EXPECT_EQ(JsonWriter::string("a\nb\tc\rd\be\ff"), R"("a\nb\tc\rd\be\ff")");
    EXPECT_EQ(JsonWriter::string(std::string("\x01\x1b[31m\x7f", 7)), R"("\u0001\u001b[31m\u007f")");
    EXPECT_EQ(JsonWriter::string(std::string("nul\0end", 7)), R"("nul\u0000end")");
    EXPECT_EQ(JsonWriter::string("line\u2028para\u2029"), R"("line\u2028para\u2029")");
    // Well-formed UTF-8 passes as it is; ill-formed bytes become U+FFFD each.
    EXPECT_EQ(JsonWriter::string("Caf\u00e9 \U0001F600"), "\"Caf\u00e9 \U0001F600\"");
    EXPECT_EQ(JsonWriter::string("a\xff" "b\xc3"), "\"a\uFFFDb\uFFFD\"");

    // Any byte, alone or after a lead byte, still makes a valid JSON string.
    for (int byte = 0; byte < 256; ++byte) {
        for (const std::string prefix : {"", "\xe2\x80", "\xf0"}) {
            const std::string json = JsonWriter::string(prefix + static_cast<char>(byte));
            EXPECT_EQ(JsonValidator::problem(json), "") << "byte " << byte << ": " << json;
        }
    }
}

TEST(JsonWriter, WritesEveryValueAsItsNaturalJsonValue)
{
    EXPECT_EQ(JsonWriter::value(NSNumber::numberWithInteger(-5)), "-5");
    EXPECT_EQ(JsonWriter::value(NSNumber::numberWithUnsignedInteger(18446744073709551615u)), "18446744073709551615");
    EXPECT_EQ(JsonWriter::value(NSNumber::numberWithDouble(0.1)), "0.1");
    EXPECT_EQ(JsonWriter::value(NSNumber::numberWithBool(true)), "true");
    EXPECT_EQ(JsonWriter::value(NSNumber::numberWithBool(false)), "false");
    EXPECT_EQ(JsonWriter::value(NSNumber::numberWithDouble(std::nan(""))), R"({"$number": "NaN"})");
    EXPECT_EQ(JsonWriter::value(NSNumber::numberWithDouble(-std::numeric_limits<double>::infinity())),
              R"({"$number": "-Infinity"})");
    EXPECT_EQ(JsonWriter::value(NSDate::dateWithISO8601String("2026-12-07T20:33:35Z")), R"("2026-12-07T20:33:35Z")");
    EXPECT_EQ(JsonWriter::value(NSDate::dateWithISO8601String("0001-01-01T00:00:00Z")), R"("0001-01-01T00:00:00Z")");
    EXPECT_EQ(JsonWriter::value(NSDate::dateWithTimeIntervalSinceReferenceDate(1e300)),
              R"({"$date": "1e+300 seconds since 2001-01-01T00:00:00Z"})");
    EXPECT_EQ(JsonWriter::value(NSDate::dateWithTimeIntervalSinceReferenceDate(std::nan(""))),
              R"({"$date": "nan seconds since 2001-01-01T00:00:00Z"})");
    EXPECT_EQ(JsonWriter::value(NSData::dataWithBytes("Hello")), R"({"$data": "SGVsbG8="})");
    EXPECT_EQ(JsonWriter::value(NSArray::arrayWithObjects({})), "[]");
    EXPECT_EQ(JsonWriter::value(NSDictionary::dictionary()), "{}");

    // A record with wrong types and an extra key keeps all of it; keys come in sorted order.
    const auto record = NSDictionary::dictionaryWithEntries(
        {{"Application", NSArray::arrayWithObjects({NSNumber::numberWithInteger(1), text("two")})},
         {"Body", NSNumber::numberWithInteger(5)},
         {"Date", text("yesterday")},
         {"Sound", NSDictionary::dictionaryWithEntries({{"Name", text("ding")}, {"Raw", NSData::dataWithBytes("")}})}});
    EXPECT_EQ(JsonWriter::value(record),
              R"({"Application": [1, "two"], "Body": 5, "Date": "yesterday", "Sound": {"Name": "ding", "Raw": {"$data": ""}}})");
}

TEST(JsonWriter, DocumentHoldsNewThenOldRecordsAndNullForAFileThatDoesNotRead)
{
    TemporaryDeviceRoot root;
    LogFixtures::writeList(root, LogFixtures::kNew,
                           {LogFixtures::record("Messages", "Hi \"you\"", "2026-12-07T20:33:35Z", "com.apple.MobileSMS"),
                            LogFixtures::record("Battery", "20% left", "2026-12-07T19:00:00Z"),
                            NSNumber::numberWithInteger(7)});
    const LogFile newFile = LogFile::read(LogFixtures::kNew);
    const LogFile missing = LogFile::read(LogFixtures::kOld);
    EXPECT_EQ(JsonWriter::document(newFile, missing),
              "{\n"
              "  \"new\": [\n"
              "    {\"Application\": \"Messages\", \"Body\": \"Hi \\\"you\\\"\", \"Bundle Identifier\": \"com.apple.MobileSMS\", "
              "\"Date\": \"2026-12-07T20:33:35Z\"},\n"
              "    {\"Application\": \"Battery\", \"Body\": \"20% left\", \"Date\": \"2026-12-07T19:00:00Z\"},\n"
              "    7\n"
              "  ],\n"
              "  \"old\": []\n"
              "}\n");

    LogFixtures::writeBytes(root, LogFixtures::kOld, "<?xml version=\"1.0\"?><plist><array><dict>");
    const LogFile broken = LogFile::read(LogFixtures::kOld);
    ASSERT_TRUE(broken.isUnreadable());
    EXPECT_EQ(JsonWriter::document(missing, broken), "{\n  \"new\": [],\n  \"old\": null\n}\n");

    // Texts that XML cannot carry arrive through a binary list: control characters, ill-formed UTF-8.
    BinaryPropertyListBuilder builder;
    const auto raw = [&](const std::string& bytes) { return builder.addRaw(BinaryPropertyListBuilder::marker(0x5, bytes.size()) + bytes); };
    const auto record = builder.addDictionary({{builder.addString("Application"), raw("\x1b]0;pwned\x07")},
                                               {builder.addString("Body"), raw("bad \xff\xfe bytes\nnext")},
                                               {builder.addString("Date"), builder.addDate(0)},
                                               {raw("Key\xc0"), builder.addReal(1.5)}});
    LogFixtures::writeBytes(root, LogFixtures::kNew, builder.build(builder.addArray({record})));
    const std::string document = JsonWriter::document(LogFile::read(LogFixtures::kNew), missing);
    EXPECT_EQ(JsonValidator::problem(document), "") << document;
    EXPECT_NE(document.find(R"({"Application": "\u001b]0;pwned\u0007", "Body": "bad )" "\uFFFD\uFFFD" R"( bytes\nnext", )"
                            R"("Date": "2001-01-01T00:00:00Z", "Key)" "\uFFFD" R"(": 1.5})"),
              std::string::npos)
        << document;
}

TEST(Base64, EncodesTheStandardTestVectors)
{
    const auto encode = [](const std::string& text) { return Base64::encode({text.begin(), text.end()}); };
    EXPECT_EQ(encode(""), "");
    EXPECT_EQ(encode("f"), "Zg==");
    EXPECT_EQ(encode("fo"), "Zm8=");
    EXPECT_EQ(encode("foo"), "Zm9v");
    EXPECT_EQ(encode("foob"), "Zm9vYg==");
    EXPECT_EQ(encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(encode(std::string("\xff\xfe\x00", 3)), "//4A");
}
