// The readable form of the log: one line per record, aligned columns, and every value shown for what it is.
#include "DisplayText.h"
#include "LogFile.h"
#include "LogFixtures.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TableWriter.h"
#include "TemporaryDeviceRoot.h"
#include "ValueDescription.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

using ::testing::ElementsAre;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

LogFile logOf(const TemporaryDeviceRoot& root, const std::vector<id>& elements)
{
    LogFixtures::writeList(root, LogFixtures::kNew, elements);
    return LogFile::read(LogFixtures::kNew);
}

} // namespace

TEST(TableWriter, AlignsColumnsWhateverTheTextsHold)
{
    TemporaryDeviceRoot root;
    const LogFile file = logOf(root, {LogFixtures::record("Messages", "Hi", "2026-12-07T20:33:35Z", "com.apple.MobileSMS"),
                                      LogFixtures::record("\u65e5\u672c\u8a9e", "two\nlines\ttab", "2026-12-07T20:30:00Z", "jp.app"),
                                      LogFixtures::record("Cafe\u0301 \U0001F600", "last", "2026-12-07T20:00:00Z")});
    const std::string table = TableWriter::table("New notifications", file);
    const auto lines = linesOf(table);
    ASSERT_EQ(lines.size(), 5u) << table;
    EXPECT_EQ(lines[0], "New notifications (3)");
    EXPECT_EQ(lines[1], "Date                  Application  Bundle Identifier    Body");
    EXPECT_EQ(lines[2], "2026-12-07T20:33:35Z  Messages     com.apple.MobileSMS  Hi");

    // Wide characters take two columns, a combining accent none, escapes their written length.
    EXPECT_EQ(lines[3], "2026-12-07T20:30:00Z  \u65e5\u672c\u8a9e       jp.app               two\\nlines\\ttab");
    EXPECT_EQ(lines[4], "2026-12-07T20:00:00Z  Cafe\u0301 \U0001F600" + std::string(6, ' ') + std::string(21, ' ') + "last");
    for (const std::string& line : lines) {
        EXPECT_NE(line.back(), ' ') << "trailing padding: [" << line << "]";
    }

    // An empty file is its heading only.
    const LogFile empty = LogFile::read(LogFixtures::kOld);
    EXPECT_EQ(TableWriter::table("Old notifications", empty), "Old notifications (0)\n");
}

TEST(TableWriter, ShowsValuesOfUnexpectedTypesMarkedWithTheirType)
{
    TemporaryDeviceRoot root;
    const auto odd = NSDictionary::dictionaryWithEntries(
        {{"Application", NSArray::arrayWithObjects({NSNumber::numberWithInteger(1), NSString::stringWithString("a\"b")})},
         {"Body", NSNumber::numberWithInteger(5)},
         {"Date", NSString::stringWithString("yesterday")},
         {"Bundle Identifier", NSData::dataWithBytes("Hello")},
         {"Sound", NSNumber::numberWithBool(true)}});
    const auto incomplete = NSDictionary::dictionaryWithEntries({{"Body", NSString::stringWithString("only a body")}});
    const LogFile file = logOf(root, {odd, incomplete, NSString::stringWithString("stray")});

    const auto rows = TableWriter::rows(file);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_THAT(rows[0], ElementsAre("Date", "Application", "Bundle Identifier", "Body", "Other"));
    EXPECT_THAT(rows[1], ElementsAre(R"(<string "yesterday">)", R"(<array [<number 1>, <string "a\"b">]>)",
                                     "<data 5 bytes SGVsbG8=>", "<number 5>", "Sound: <bool true>"));
    EXPECT_THAT(rows[2], ElementsAre("<missing>", "<missing>", "", "only a body", ""));
    EXPECT_THAT(rows[3], ElementsAre("", "", "", "", R"(not a record: <string "stray">)"));

    // Without anything extra there is no Other column.
    const LogFile plain = logOf(root, {LogFixtures::record("Phone", "Missed call", "2026-12-07T20:33:35Z")});
    EXPECT_THAT(TableWriter::rows(plain)[0], ElementsAre("Date", "Application", "Bundle Identifier", "Body"));

    EXPECT_EQ(ValueDescription::describe(NSDictionary::dictionaryWithEntries(
                  {{"Key", NSDate::dateWithISO8601String("2026-12-07T20:33:35Z")}, {"Empty", NSData::dataWithBytes("")}})),
              R"(<dictionary {"Empty": <data 0 bytes>, "Key": <date 2026-12-07T20:33:35Z>}>)");
    EXPECT_EQ(ValueDescription::describe(NSDate::dateWithTimeIntervalSinceReferenceDate(-1e20)),
              "<date -1e+20 seconds since 2001-01-01T00:00:00Z>");
    EXPECT_EQ(ValueDescription::describe(NSNumber::numberWithDouble(2.5)), "<number 2.5>");
}

TEST(DisplayText, KeepsEveryTextOnOneUnambiguousLineAndMeasuresItsColumns)
{
    EXPECT_EQ(DisplayText::escaped("a\\b\nc\rd\te"), "a\\\\b\\nc\\rd\\te");
    EXPECT_EQ(DisplayText::escaped("\x1b[2J\x7f"), "\\x1b[2J\\x7f");
    EXPECT_EQ(DisplayText::escaped(std::string("\0", 1)), "\\x00");
    EXPECT_EQ(DisplayText::escaped("\u0085 \u2028 \u202e evil \u2066"), "\\u0085 \\u2028 \\u202e evil \\u2066");
    EXPECT_EQ(DisplayText::escaped("bad \xff\xc3"), "bad \uFFFD\uFFFD");
    EXPECT_EQ(DisplayText::escaped("Caf\u00e9 \U0001F600 \u65e5"), "Caf\u00e9 \U0001F600 \u65e5");

    EXPECT_EQ(DisplayText::width("abc"), 3u);
    EXPECT_EQ(DisplayText::width("\u65e5\u672c"), 4u);
    EXPECT_EQ(DisplayText::width("\U0001F600"), 2u);
    EXPECT_EQ(DisplayText::width("e\u0301"), 1u);
    EXPECT_EQ(DisplayText::width("\uFF21"), 2u); // full-width A
    EXPECT_EQ(DisplayText::width(""), 0u);
}
