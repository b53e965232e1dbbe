#include "LibplistPropertyListReader.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "XMLPropertyListReader.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

std::string described(const Result<id>& value)
{
    return value ? value.value()->description() : "refused: " + value.error().reason();
}

} // namespace

// Well-formed lists of every shape: the reader and libplist 2.2 give the same values.
TEST(XMLPropertyListReader, ReadsWhatLibplistReadsWithTheSameValues)
{
    const char* const inputs[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<array>\n\t<dict>\n"
        "\t\t<key>Application</key>\n\t\t<string>Messages</string>\n\t\t<key>Date</key>\n"
        "\t\t<date>2026-12-07T20:33:35Z</date>\n\t</dict>\n</array>\n</plist>\n",
        "<plist><array><integer>-0x10</integer><integer>+7</integer><integer> 12 </integer><integer/>"
        "<integer>9223372036854775808</integer><integer>-9223372036854775808</integer>"
        "<integer>1<!-- -->2</integer></array></plist>",
        "<plist><array><real>-2.5e-7</real><real>-infinity</real><real>0x1p3</real><real/>"
        "</array></plist>",
        "<plist><array><string>  a\r\nb\t</string><string>&amp;&lt;&gt;&quot;&apos;&#65;&#x1F600;&#xD800;</string>"
        "<string>x<![CDATA[<&>]]>y<!-- c --> z</string><string/><string>]]&gt;</string><string> <!-- c --> </string>"
        "<string><![CDATA[<dict>]]>\r</string><string>\n<![CDATA[x]]></string></array></plist>",
        "<plist><array><data>\n\tAAEC/w==\n\t</data><data>AAE=</data><data/><date>2068-12-31T23:59:59Z</date>"
        "<date>1970-01-01T00:00:00Z</date></array></plist>",
        "<plist><dict><key>a</key><array/><key>b</key><dict/><key>a</key><false/><key> k &amp; </key><true/>"
        "<key></key><true></true></dict></plist>",
        "<dict><key>bare</key><string>root</string></dict>",
        "<!-- before --><?note \"quoted\" ?><plist version=\"1.0\"><string>one</string></plist>\n<!-- after -->",
        "<plist><dict><key>caf\xC3\xA9</key><string>caf\xC3\xA9 &amp; longer than a word</string ><key>d</key>"
        "<date>2026-12-07T20:33:35Z</date ><key>b</key><string>a > b</string><key>a</key><integer>12</integer>"
        "</dict></plist>",
    };
    for (const char* input : inputs) {
        const auto ours = XMLPropertyListReader::read(input);
        const auto theirs = LibplistPropertyListReader::fromXML(input);
        ASSERT_TRUE(ours.ok()) << described(ours) << "\n" << input;
        ASSERT_TRUE(theirs.ok()) << input;
        EXPECT_TRUE(isEqual(ours.value(), theirs.value())) << described(ours) << "\n" << described(theirs);
    }
}

// Where libplist 2.2 is wrong, the reader differs on purpose.
TEST(XMLPropertyListReader, DiffersFromLibplistWhereLibplistIsWrong)
{
    // An empty key written as "<key/>": libplist refuses it, though it reads "<key></key>".
    const auto emptyKey = XMLPropertyListReader::read("<plist><dict><key/><true/></dict></plist>");
    ASSERT_TRUE(emptyKey.ok()) << described(emptyKey);
    EXPECT_EQ(described(emptyKey), "{ = true}");
    EXPECT_FALSE(LibplistPropertyListReader::fromXML("<plist><dict><key/><true/></dict></plist>").ok());

    // Dates beyond 32-bit seconds from 2001: libplist gives 1932-12-13 for all of them.
    const auto far = XMLPropertyListReader::read("<date>2100-01-01T00:00:00Z</date>");
    ASSERT_TRUE(far.ok());
    EXPECT_EQ(as<NSDate>(far.value())->iso8601String(), "2100-01-01T00:00:00Z");

    // What libplist reads as something else (its reading on the right), the reader refuses with a reason.
    const struct {
        const char* input;
        const char* reason;
        const char* libplistReads;
    } refusals[] = {
        {"<plist><string>a</string></plist>garbage", "text outside the property list", "a"},
        {"<plist><string>a</string><string>b</string></plist>", "a second value in <plist>", "a"},
        {"<plist><array><string>a</string></array>", "not well-formed XML", "(a)"},
        {"<plist><true>yes</true></plist>", "content inside <true/>", "true"},
        {"<string>&ampx; a&</string>", "unknown or malformed entity reference", "& a&"},
        {"<integer>010</integer>", "not an integer (leading zeros)", "8"},
        {"<integer>12abc</integer>", "not an integer", "12"},
        {"<integer>18446744073709551616</integer>", "integer out of range", "18446744073709551615"},
        {"<integer>-9223372036854775809</integer>", "integer out of range", "9223372036854775807"},
        {"<real>1.5e3xyz</real>", "not a real number", "1500"},
        {"<date>2023-02-29T12:00:00Z</date>", "not a date", "2023-03-01 12:00:00 +0000"},
        {"<date>2023-02-01</date>", "not a date", "1970-01-01 00:00:00 +0000"},
        {"<date></date>", "not a date", "1970-01-01 00:00:00 +0000"},
        {"<data>!!AAEC</data>", "not base64 data", "<000102>"},
        {"<data>AA<!-- -->EC</data>", "markup inside <data>", "<>"},
        {"<plist><dict><key>a</key><key>b</key></dict></plist>", "<key> where a value belongs", "{a = b}"},
        {"<plist><dict><key>a</key></dict></plist>", "key \"a\" without a value", "{}"},
        {"<plist><array><key>a</key></array></plist>", "<key> where a value belongs", "(a)"},
        {"<array><?p \"?><true/><?p \"?></array>", "markup inside <array>", "()"},
        {"<string a='>'>x</string>", "quote or angle bracket in an attribute value", "'>x"},
    };
    for (const auto& refusal : refusals) {
        const auto ours = XMLPropertyListReader::read(refusal.input);
        ASSERT_FALSE(ours.ok()) << refusal.input << " read as " << described(ours);
        EXPECT_EQ(ours.error().reason().rfind(refusal.reason, 0), 0u) << refusal.input << ": " << ours.error().reason();
        EXPECT_EQ(described(LibplistPropertyListReader::fromXML(refusal.input)), refusal.libplistReads) << refusal.input;
    }
}

// What neither reads: text where a value belongs, an empty <plist>, unknown elements, unclosed markup.
TEST(XMLPropertyListReader, RefusesWhatLibplistRefuses)
{
    const char* const inputs[] = {
        "<plist><array>x<true/></array></plist>", "<plist><dict>x</dict></plist>", "<plist>x<true/></plist>",
        "<plist/>", "<plist><strin>a</strin></plist>", "<plist><array><true/>", "<dict><string>a</string></dict>",
    };
    for (const char* input : inputs) {
        EXPECT_FALSE(XMLPropertyListReader::read(input).ok()) << input;
        EXPECT_FALSE(LibplistPropertyListReader::fromXML(input).ok()) << input;
    }
}

// Values are cut from blocks shared by a document: one kept after the rest is freed stays whole, and
// may be released on another thread.
TEST(XMLPropertyListReader, AValueOutlivesItsDocumentOnAnyThread)
{
    std::string xml = "<plist><array>";
    for (int i = 0; i < 2000; ++i) {
        xml += "<dict><key>Body</key><string>message " + std::to_string(i) +
               " with a body longer than a small string</string><key>Date</key><date>2026-12-07T20:33:35Z</date></dict>";
    }
    xml += "</array></plist>";
    id kept;
    {
        const auto read = XMLPropertyListReader::read(xml);
        ASSERT_TRUE(read.ok()) << described(read);
        kept = as<NSArray>(read.value())->objectAtIndex(1000);
    }
    EXPECT_EQ(described(kept), "{Body = message 1000 with a body longer than a small string; Date = 2026-12-07 20:33:35 +0000}");
    std::thread([released = std::move(kept)]() mutable { released.reset(); }).join();
}

// Equal short strings of one document are one object, however many distinct ones take turns.
TEST(XMLPropertyListReader, SharesRepeatedShortStrings)
{
    std::string xml = "<array>";
    for (int i = 0; i < 40; ++i) {
        xml += "<string>com.example.app" + std::to_string(i % 20) + "</string><string>Application " +
               std::to_string(i % 20) + "</string>";
    }
    const auto read = XMLPropertyListReader::read(xml + "</array>");
    ASSERT_TRUE(read.ok()) << described(read);
    const auto& strings = as<NSArray>(read.value())->objects();
    for (std::size_t i = 0; i < 40; ++i) {
        EXPECT_EQ(strings[i], strings[i + 40]) << strings[i]->description();
    }
}

// Reading goes through the guard first: what it refuses never reaches the reader.
TEST(XMLPropertyListReader, SerializationReadsXMLWithItBehindTheGuard)
{
    const auto read = NSPropertyListSerialization::propertyListWithData(
        std::string_view("<plist><dict><key/><integer>010</integer></dict></plist>"));
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().reason().find("leading zeros"), std::string::npos) << read.error().reason();

    std::string deep;
    for (int i = 0; i < 100; ++i) {
        deep += "<array>";
    }
    PropertyListLimits limits;
    limits.maxDepth = 50;
    const auto refused = NSPropertyListSerialization::propertyListWithData(deep, limits);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().reason(), "nested deeper than 50 levels");
}
