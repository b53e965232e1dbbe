#include "BinaryPropertyListBuilder.h"
#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"
#include "PropertyListGuard.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

std::string reasonFor(std::string_view bytes, const PropertyListLimits& limits = {})
{
    auto value = NSPropertyListSerialization::propertyListWithData(bytes, limits);
    return value.ok() ? std::string("read") : value.error().reason();
}

std::string nestedXML(std::size_t levels)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    for (std::size_t i = 0; i < levels; ++i) {
        xml += "<array>";
    }
    for (std::size_t i = 0; i < levels; ++i) {
        xml += "</array>";
    }
    return xml + "</plist>";
}

// A chain of arrays, each holding the next; the innermost is empty.
std::string chainOfArrays(std::size_t levels)
{
    BinaryPropertyListBuilder builder;
    for (std::size_t i = 0; i < levels; ++i) {
        builder.reserve();
    }
    const unsigned width = builder.referenceWidth();
    for (std::size_t i = 0; i < levels; ++i) {
        if (i + 1 == levels) {
            builder.set(i, "\xA0");
            continue;
        }
        std::string reference(width, '\0');
        for (unsigned b = 0; b < width; ++b) {
            reference[width - 1 - b] = static_cast<char>((i + 1) >> (8 * b));
        }
        builder.set(i, "\xA1" + reference);
    }
    return builder.build(0);
}

// A log file as the product keeps it: records newest first.
id realisticLog(std::size_t records)
{
    static const char* const applications[][2] = {
        {"Messages", "com.apple.MobileSMS"}, {"Calendar", "com.apple.mobilecal"}, {"Phone", "com.apple.mobilephone"}};
    std::vector<id> list;
    for (std::size_t i = 0; i < records; ++i) {
        NSDictionary::Entries record{
            {"Application", NSString::stringWithString(applications[i % 3][0])},
            {"Body", NSString::stringWithString("Message number " + std::to_string(i) + ": see you at 8?")},
            {"Date", NSDate::dateWithTimeIntervalSinceReferenceDate(818368415.0 - 60.0 * static_cast<double>(i))},
        };
        if (i % 4 != 3) {
            record["Bundle Identifier"] = NSString::stringWithString(applications[i % 3][1]);
        }
        list.push_back(NSDictionary::dictionaryWithEntries(std::move(record)));
    }
    return NSArray::arrayWithObjects(std::move(list));
}

std::string realisticBinaryLog(std::size_t records)
{
    BinaryPropertyListBuilder b;
    const auto application = b.addString("Application"), body = b.addString("Body"), date = b.addString("Date"),
               bundle = b.addString("Bundle Identifier"), messages = b.addString("Messages"),
               identifier = b.addString("com.apple.MobileSMS");
    std::vector<BinaryPropertyListBuilder::Index> items;
    for (std::size_t i = 0; i < records; ++i) {
        const auto text = b.addString("Message number " + std::to_string(i));
        const auto when = b.addDate(818368415.5 - static_cast<double>(i));
        items.push_back(b.addDictionary({{application, messages}, {body, text}, {date, when}, {bundle, identifier}}));
    }
    return b.build(b.addArray(items));
}

} // namespace

TEST(PropertyListGuard, HalfAMillionNestedArraysAreRefusedWithoutCrashing)
{
    EXPECT_EQ(reasonFor(nestedXML(500000)), "nested deeper than 64 levels");
    EXPECT_EQ(reasonFor(chainOfArrays(500000)), "nested deeper than 64 levels");
}

TEST(PropertyListGuard, DepthCapIsExactForBothForms)
{
    // 64 containers deep is the most the default limits accept.
    EXPECT_EQ(reasonFor(nestedXML(64)), "read");
    EXPECT_EQ(reasonFor(nestedXML(65)), "nested deeper than 64 levels");
    EXPECT_EQ(reasonFor(chainOfArrays(64)), "read");
    EXPECT_EQ(reasonFor(chainOfArrays(65)), "nested deeper than 64 levels");

    PropertyListLimits tight;
    tight.maxDepth = 3;
    EXPECT_EQ(reasonFor(nestedXML(3), tight), "read");
    EXPECT_EQ(reasonFor(nestedXML(4), tight), "nested deeper than 3 levels");
    // Without <plist> around it, the outermost value is the first level.
    EXPECT_EQ(reasonFor("<array><array><array/></array></array>", tight), "read");
    EXPECT_EQ(reasonFor("<array><array><array><array/></array></array></array>", tight), "nested deeper than 3 levels");
    // A record list is three levels: array, dictionary, string.
    auto xml = NSPropertyListSerialization::dataWithPropertyList(realisticLog(2));
    ASSERT_TRUE(xml.ok());
    EXPECT_EQ(reasonFor(xml.value(), tight), "read");
    EXPECT_EQ(reasonFor(realisticBinaryLog(2), tight), "read");
    tight.maxDepth = 2;
    EXPECT_EQ(reasonFor(xml.value(), tight), "nested deeper than 2 levels");
    EXPECT_EQ(reasonFor(realisticBinaryLog(2), tight), "nested deeper than 2 levels");
}

TEST(PropertyListGuard, SizeAndObjectCapsApplyBeforeParsing)
{
    PropertyListLimits limits;
    limits.maxBytes = 100;
    EXPECT_EQ(reasonFor(nestedXML(20), limits), "larger than 100 bytes");

    limits = PropertyListLimits{};
    limits.maxObjects = 10;
    std::string many = "<plist><array>";
    for (int i = 0; i < 10; ++i) {
        many += "<true/>";
    }
    EXPECT_EQ(reasonFor(many + "</array></plist>", limits), "more than 10 values");

    // Thirty arrays that each reference the next one twice: a few hundred bytes that the parser would
    // expand into 2^30 nodes.
    BinaryPropertyListBuilder b;
    std::vector<BinaryPropertyListBuilder::Index> levels;
    for (int i = 0; i < 30; ++i) {
        levels.push_back(b.reserve());
    }
    const auto leaf = b.addBoolean(true);
    for (int i = 0; i < 30; ++i) {
        const auto next = i + 1 < 30 ? levels[i + 1] : leaf;
        b.set(levels[i], "\xA2" + b.references({next, next}));
    }
    ASSERT_LT(PropertyListLimits{}.maxObjects, std::size_t{1} << 30) << "the default guard refuses it too";
    EXPECT_EQ(reasonFor(b.build(levels[0])), "more than " + std::to_string(PropertyListLimits{}.maxObjects) + " values");
}

TEST(PropertyListGuard, MalformedBinaryStructureIsRefused)
{
    const std::string valid = realisticBinaryLog(3);
    ASSERT_EQ(reasonFor(valid), "read");

    const auto withTrailerByte = [&](std::size_t fromEnd, char value) {
        std::string copy = valid;
        copy[copy.size() - fromEnd] = value;
        return copy;
    };
    EXPECT_EQ(reasonFor(withTrailerByte(26, 3)), "binary property list with invalid offset or reference size");
    EXPECT_EQ(reasonFor(withTrailerByte(2, 0x7F)), "binary property list offset table outside the file");
    EXPECT_EQ(reasonFor(withTrailerByte(17, 0x7F)), "binary property list offset table does not fit the file");
    EXPECT_EQ(reasonFor(withTrailerByte(9, 0x7F)), "binary property list top object out of range");
    EXPECT_EQ(reasonFor("bplist01" + valid.substr(8)), "not a binary property list of version 00");

    BinaryPropertyListBuilder cycle;
    const auto self = cycle.reserve();
    cycle.set(self, "\xA1" + cycle.references({self}));
    EXPECT_EQ(reasonFor(cycle.build(self)), "binary property list with a reference cycle");

    BinaryPropertyListBuilder badReference;
    badReference.addRaw("\xA1\x05");
    EXPECT_EQ(reasonFor(badReference.build(0)), "binary property list reference out of range");

    BinaryPropertyListBuilder numericKey;
    const auto one = numericKey.addInteger(1);
    EXPECT_EQ(reasonFor(numericKey.build(numericKey.addDictionary({{one, one}}))),
              "binary property list dictionary key that is not a string");

    // libplist aborts on a key holding NUL; as a value such a string is harmless.
    BinaryPropertyListBuilder nulKey;
    const auto key = nulKey.addRaw(std::string("\x53" "a\0b", 4));
    const auto utf16Key = nulKey.addRaw(std::string("\x62\0a\0\0", 5));
    EXPECT_EQ(reasonFor(nulKey.build(nulKey.addDictionary({{key, key}}))),
              "binary property list dictionary key with a NUL character");
    EXPECT_EQ(reasonFor(nulKey.build(nulKey.addDictionary({{utf16Key, key}}))),
              "binary property list dictionary key with a NUL character");
    EXPECT_EQ(reasonFor(nulKey.build(nulKey.addArray({key, utf16Key}))), "read");

    BinaryPropertyListBuilder longString;
    longString.addRaw("\x5F\x13" + std::string("\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF") + "abc");
    EXPECT_EQ(reasonFor(longString.build(0)), "binary property list object runs past the object area");

    BinaryPropertyListBuilder badLength;
    badLength.addRaw("\x5F\x24\x00");
    EXPECT_EQ(reasonFor(badLength.build(0)), "binary property list with a malformed length");

    for (const std::string& unsupported : {std::string(1, '\0'), std::string("\x0F"), std::string("\x80\x01"),
                                          std::string("\xC0"), std::string("\x15\x01"), std::string("\x21\x00"),
                                          std::string("\x70")}) {
        BinaryPropertyListBuilder b;
        b.addRaw(unsupported);
        EXPECT_NE(reasonFor(b.build(0)).find("unsupported type"), std::string::npos) << int(unsupported[0]);
    }
}

TEST(PropertyListGuard, XMLMarkupTheScannerCannotBoundIsRefused)
{
    // Markup inside comments and CDATA is text, not nesting.
    const std::string hidden = "<plist><array><!-- <array><array><array> --><string><![CDATA[<array><array>]]></string>"
                               "</array></plist>";
    PropertyListLimits tight;
    tight.maxDepth = 2;
    EXPECT_EQ(reasonFor(hidden, tight), "read");

    // The guard's own scan, kept before libplist: what it cannot bound it refuses.
    const auto scanReason = [](std::string_view bytes) {
        const auto refused = PropertyListGuard::check(bytes, {});
        return refused ? refused->reason() : std::string("passes");
    };
    EXPECT_EQ(scanReason(hidden), "passes");
    EXPECT_EQ(scanReason("<!DOCTYPE plist [<!ENTITY a \"aaaa\">]><plist><string>&a;</string></plist>"),
              "document type declarations with an internal subset are not read");
    EXPECT_EQ(scanReason("<plist>< array></plist>"), "malformed markup at byte 7");
    EXPECT_EQ(scanReason("<plist><array a=\"<array>\"></array></plist>"), "'<' inside a tag at byte 17");
    EXPECT_EQ(scanReason("<plist><!-- never closed"), "unterminated comment");
    EXPECT_EQ(scanReason("<plist><array"), "unterminated tag");
    // Reading refuses a NUL byte before anything else.
    EXPECT_EQ(reasonFor(std::string("<plist><dict><key>a\0b</key><true/></dict></plist>", 45)), "NUL byte in XML");
}

TEST(PropertyListGuard, DamagedLogFilesReadAsUnreadableOrAsATreeNeverCrash)
{
    auto xml = NSPropertyListSerialization::dataWithPropertyList(realisticLog(20));
    ASSERT_TRUE(xml.ok());
    std::mt19937 random(20261207);
    for (const std::string& original : {xml.value(), realisticBinaryLog(20)}) {
        ASSERT_EQ(reasonFor(original), "read");
        std::size_t trees = 0;
        for (std::size_t length = 0; length < original.size(); length += 7) {
            trees += reasonFor(original.substr(0, length)) == "read";
        }
        for (int round = 0; round < 1500; ++round) {
            std::string damaged = original;
            const int flips = 1 + round % 4;
            for (int i = 0; i < flips; ++i) {
                damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
            }
            const auto value = NSPropertyListSerialization::propertyListWithData(damaged);
            trees += value.ok();
            if (value.ok()) {
                EXPECT_NE(value.value(), nullptr);
            }
        }
        // Many single flips only change a character of text.
        EXPECT_GT(trees, 0u);
    }
}

TEST(PropertyListGuard, ListsFromAnotherWriterReadTheSameInBothForms)
{
    const std::string corpus = std::string(VANTLE_SOURCE_DIR) + "/fuzz/corpus/property_list_reader/";
    const auto read = [&](const std::string& name) -> id {
        std::ifstream in(corpus + name, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        auto value = NSPropertyListSerialization::propertyListWithData(bytes);
        EXPECT_TRUE(value.ok()) << name << ": " << (value.ok() ? "" : value.error().reason());
        return value.ok() ? value.value() : nullptr;
    };
    for (const std::string stem : {"log", "preferences"}) {
        const id xml = read(stem + ".xml");
        const id binary = read(stem + ".bplist");
        ASSERT_NE(xml, nullptr);
        ASSERT_NE(binary, nullptr);
        EXPECT_TRUE(xml->isEqual(*binary)) << xml->description() << "\n" << binary->description();
    }
    const auto preferences = as<NSDictionary>(read("preferences.bplist"));
    ASSERT_NE(preferences, nullptr);
    EXPECT_EQ(preferences->objectForKey<NSNumber>("Huge")->kind(), NSNumber::Kind::Unsigned);
    EXPECT_EQ(preferences->objectForKey<NSNumber>("Negative")->integerValue(), -7);
    const auto log = as<NSArray>(read("log.bplist"));
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->objectAtIndex<NSDictionary>(0)->objectForKey<NSDate>("Date")->description(),
              "2026-12-07 20:33:35 +0000");
    EXPECT_EQ(log->objectAtIndex<NSDictionary>(0)->stringForKey("Body"),
              "Message 0: caf\xC3\xA9 \xE2\x98\x83 see you at 8?");
}
