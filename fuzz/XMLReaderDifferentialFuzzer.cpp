// XMLPropertyListReader against libplist 2.2's XML reader, both behind the same guard. Wherever both
// read the bytes they must give the very same values: same structure and kinds, byte-equal strings and
// data, bit-equal reals, equal integers with their signedness, equal dates. Where only one reads them,
// the difference must be one of the deliberate ones below; anything else aborts. Run it with the tokens
// of xml_reader_differential.dict (-dict=fuzz/xml_reader_differential.dict) to reach deep cases sooner.
//
// Deliberate differences, each a place where libplist 2.2 is wrong:
// - It saturates dates outside its 32-bit seconds to -2^31 (1933); the reader keeps the written date.
// - It refuses an empty key written "<key/>" though it reads "<key></key>"; the reader reads both. Such
//   input is retried with libplist on the second spelling.
// - Keys that differ only in bytes that are not UTF-8 become one key once cleaned. libplist tells them
//   apart by their raw bytes, so which value survives depends on where each raw key first stood; the
//   reader keeps the last in the document, as for any repeated key. When the values differ, such input is
//   retried with libplist on the document with its keys cleaned, where it sees the repeated key too.
// - It reads much that is not a property list, and the reader refuses it with one of `kRefusals`:
//   anything after the first scalar value, text inside <true/>, entity look-alikes ("&ampx;" as "&", a
//   trailing '&'), integers with leading zeros (as octal) or with trailing characters, integers past
//   64 bits (saturated), malformed dates (read as parts of a date, or as 1970), base64 with stray
//   characters, <date> and <data> split by comments (only the first piece is decoded), a <key> outside a
//   dictionary or without a value, a second <plist>, processing instructions and document types whose
//   quotes it ends elsewhere than XML does.
#include "LibplistPropertyListReader.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "PropertyListGuard.h"
#include "TextSanitizer.h"
#include "XMLPropertyListReader.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

// Why the reader may refuse what libplist reads (prefixes of its reasons).
constexpr const char* kRefusals[] = {
    "not well-formed XML",
    "text inside",
    "markup inside",
    "content inside",
    "text outside the property list",
    "markup outside the property list",
    "a second element after the property list",
    "a second value in <plist>",
    "unknown or malformed entity reference",
    "not an integer",
    "integer out of range",
    "not a real number",
    "not a date",
    "not base64 data",
    "<key> outside a dictionary",
    "<key> where a value belongs",
    "key \"",
    "unknown element",
    "unbalanced quote in a processing instruction",
    "document type with single quotes",
    "quote or angle bracket in an attribute value",
};

[[noreturn]] void disagree(const std::string& what, std::string_view input)
{
    std::fprintf(stderr, "readers disagree: %s\ninput: %.*s\n", what.c_str(), static_cast<int>(input.size()),
                 input.data());
    std::abort();
}

bool sameReal(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameNumber(const NSNumber& ours, const NSNumber& theirs)
{
    if (ours.kind() != theirs.kind()) {
        return false;
    }
    switch (ours.kind()) {
    case NSNumber::Kind::Boolean:
        return ours.boolValue() == theirs.boolValue();
    case NSNumber::Kind::Integer:
        return ours.integerValue() == theirs.integerValue();
    case NSNumber::Kind::Unsigned:
        return ours.unsignedIntegerValue() == theirs.unsignedIntegerValue();
    case NSNumber::Kind::Real:
        return sameReal(ours.doubleValue(), theirs.doubleValue());
    }
    return false;
}

// libplist hands dates out as 32-bit seconds and saturates the rest to the lowest.
bool sameDate(double ours, double theirs)
{
    if (ours < std::numeric_limits<std::int32_t>::min() || ours > std::numeric_limits<std::int32_t>::max()) {
        return theirs == std::numeric_limits<std::int32_t>::min();
    }
    return ours == theirs;
}

bool same(const id& ours, const id& theirs);

bool sameArray(const NSArray& ours, const NSArray& theirs)
{
    if (ours.objects().size() != theirs.objects().size()) {
        return false;
    }
    for (std::size_t i = 0; i < ours.objects().size(); ++i) {
        if (!same(ours.objects()[i], theirs.objects()[i])) {
            return false;
        }
    }
    return true;
}

bool sameDictionary(const NSDictionary& ours, const NSDictionary& theirs)
{
    if (ours.count() != theirs.count()) {
        return false;
    }
    for (const auto& [key, value] : ours.entries()) {
        const auto other = theirs.entries().find(key);
        if (other == theirs.entries().end() || !same(value, other->second)) {
            return false;
        }
    }
    return true;
}

// Depth is bounded by the guard's cap, so recursion is fine.
bool same(const id& ours, const id& theirs)
{
    if (!ours || !theirs || ours->className() != theirs->className()) {
        return false;
    }
    if (const auto number = as<NSNumber>(ours)) {
        return sameNumber(*number, *as<NSNumber>(theirs));
    }
    if (const auto date = as<NSDate>(ours)) {
        return sameDate(date->timeIntervalSinceReferenceDate(), as<NSDate>(theirs)->timeIntervalSinceReferenceDate());
    }
    if (const auto array = as<NSArray>(ours)) {
        return sameArray(*array, *as<NSArray>(theirs));
    }
    if (const auto dictionary = as<NSDictionary>(ours)) {
        return sameDictionary(*dictionary, *as<NSDictionary>(theirs));
    }
    return ours->isEqual(*theirs); // strings and data: byte equality
}

bool isDeliberateRefusal(const std::string& reason)
{
    // libplist lets a <plist> inside a dictionary hold its keys, and more such.
    if (reason.find("> where a <key> belongs") != std::string::npos) {
        return true;
    }
    for (const char* allowed : kRefusals) {
        if (reason.rfind(allowed, 0) == 0) {
            return true;
        }
    }
    return false;
}

std::string withEmptyKeysSpelledOut(std::string_view xml)
{
    std::string spelled(xml);
    for (std::size_t at = spelled.find("<key/>"); at != std::string::npos; at = spelled.find("<key/>", at)) {
        spelled.replace(at, 6, "<key></key>");
    }
    return spelled;
}

Result<id> readWithLibplist(std::string_view xml)
{
    auto value = LibplistPropertyListReader::fromXML(xml);
    if (!value && xml.find("<key/>") != std::string_view::npos) {
        return LibplistPropertyListReader::fromXML(withEmptyKeysSpelledOut(xml));
    }
    return value;
}

// "</key>", with the white space XML allows before its '>' ("</key\t>").
bool isKeyEndTag(std::string_view markup)
{
    if (markup.substr(0, 5) != "</key") {
        return false;
    }
    const std::size_t end = markup.find_first_not_of(" \t\r\n", 5);
    return end != std::string_view::npos && markup[end] == '>';
}

// The document with the text of every plain <key>...</key> (no markup inside) made well-formed UTF-8,
// and nothing else changed. Each run cleaned lies between ASCII bytes, so it is cleaned exactly as the
// reader cleans it in its place, even where "<key>" turns up inside a comment or a string; cleaning the
// whole document instead would also clean strings whose ill-formed bytes the reader joins across a
// comment into a well-formed character.
std::string withKeysCleaned(std::string_view xml)
{
    std::string cleaned;
    std::size_t done = 0;
    for (std::size_t open = xml.find("<key>"); open != std::string_view::npos; open = xml.find("<key>", done)) {
        const std::size_t text = open + 5;
        const std::size_t markup = xml.find('<', text);
        if (markup == std::string_view::npos) {
            break;
        }
        cleaned.append(xml.substr(done, text - done));
        const std::string_view run = xml.substr(text, markup - text);
        if (isKeyEndTag(xml.substr(markup))) {
            cleaned.append(TextSanitizer::validUTF8(run));
        } else {
            cleaned.append(run);
        }
        done = markup;
    }
    cleaned.append(xml.substr(done));
    return cleaned;
}

bool sameOnceKeysAreCleaned(const id& ours, std::string_view xml)
{
    if (TextSanitizer::isValidUTF8(xml)) {
        return false;
    }
    const auto cleaned = readWithLibplist(withKeysCleaned(xml));
    return cleaned && same(ours, cleaned.value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PropertyListLimits limits;
    limits.maxDepth = 16;
    limits.maxObjects = 20000;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (PropertyListGuard::check(bytes, limits) || PropertyListGuard::detectFormat(bytes) != PropertyListGuard::Format::XML) {
        return 0;
    }
    const auto ours = XMLPropertyListReader::read(bytes);
    const auto theirs = readWithLibplist(bytes);
    if (ours && theirs) {
        if (!same(ours.value(), theirs.value()) && !sameOnceKeysAreCleaned(ours.value(), bytes)) {
            disagree("values differ\nours:   " + ours.value()->description() + "\ntheirs: " +
                         theirs.value()->description(),
                     bytes);
        }
    } else if (ours) {
        disagree("only the reader accepts: " + theirs.error().reason(), bytes);
    } else if (theirs && !isDeliberateRefusal(ours.error().reason())) {
        disagree("only libplist accepts; the reader says: " + ours.error().reason(), bytes);
    }
    return 0;
}
