#include "XMLPropertyListReader.h"

#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

// Text is kept as written (no end-of-line normalisation, entities decoded here), and every node that can
// change what a value holds is kept so it can be checked: comments, CDATA, processing instructions, the
// document type, an element's lone run of whitespace and, as a fragment, text outside the document
// element. Whitespace between elements is dropped (keeping it costs more than the rest of the parse).
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype | pugi::parse_ws_pcdata_single |
                                   pugi::parse_fragment;

enum class Kind { Dictionary, Array, String, Key, Integer, Real, True, False, Date, Data, Unknown };

Kind kindOf(const pugi::xml_node& element)
{
    const char* name = element.name();
    switch (name[0]) {
    case 'd':
        if (!std::strcmp(name, "dict")) {
            return Kind::Dictionary;
        }
        if (!std::strcmp(name, "date")) {
            return Kind::Date;
        }
        return !std::strcmp(name, "data") ? Kind::Data : Kind::Unknown;
    case 'a':
        return !std::strcmp(name, "array") ? Kind::Array : Kind::Unknown;
    case 's':
        return !std::strcmp(name, "string") ? Kind::String : Kind::Unknown;
    case 'k':
        return !std::strcmp(name, "key") ? Kind::Key : Kind::Unknown;
    case 'i':
        return !std::strcmp(name, "integer") ? Kind::Integer : Kind::Unknown;
    case 'r':
        return !std::strcmp(name, "real") ? Kind::Real : Kind::Unknown;
    case 't':
        return !std::strcmp(name, "true") ? Kind::True : Kind::Unknown;
    case 'f':
        return !std::strcmp(name, "false") ? Kind::False : Kind::Unknown;
    default:
        return Kind::Unknown;
    }
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isAllSpace(std::string_view text)
{
    for (const char c : text) {
        if (!isSpace(c)) {
            return false;
        }
    }
    return true;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view valueOf(const pugi::xml_node& node)
{
    return node.value();
}

NSError refused(const pugi::xml_node& node, std::string_view what)
{
    return NSError(fmt::format("{} at byte {}", what, node.offset_debug()));
}

// ---- Text.

void appendUTF8(std::string& out, std::uint32_t codePoint)
{
    // Surrogate code points are encoded like any other; TextSanitizer turns them into U+FFFD afterwards.
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

int digitValue(char c, int base)
{
    int value = 99;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// "#65" or "#x41" (the text between '&' and ';'). At most eight characters, as libplist reads them, and a
// code point from 1 to 0x10FFFF.
std::optional<std::uint32_t> characterReference(std::string_view reference)
{
    if (reference.size() < 2 || reference.size() > 8 || reference[0] != '#') {
        return std::nullopt;
    }
    int base = 10;
    std::string_view digits = reference.substr(1);
    if (digits[0] == 'x' || digits[0] == 'X') {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint32_t codePoint = 0;
    for (const char c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0) {
            return std::nullopt;
        }
        codePoint = codePoint * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    if (codePoint == 0 || codePoint > 0x10FFFF) {
        return std::nullopt;
    }
    return codePoint;
}

// Appends text with its entity and character references decoded; false at a reference XML does not define.
bool appendDecoded(std::string& out, std::string_view text)
{
    while (!text.empty()) {
        const std::size_t ampersand = text.find('&');
        out.append(text.substr(0, ampersand));
        if (ampersand == std::string_view::npos) {
            return true;
        }
        const std::size_t semicolon = text.find(';', ampersand);
        if (semicolon == std::string_view::npos) {
            return false;
        }
        const std::string_view reference = text.substr(ampersand + 1, semicolon - ampersand - 1);
        if (reference == "amp") {
            out += '&';
        } else if (reference == "lt") {
            out += '<';
        } else if (reference == "gt") {
            out += '>';
        } else if (reference == "quot") {
            out += '"';
        } else if (reference == "apos") {
            out += '\'';
        } else if (const auto codePoint = characterReference(reference)) {
            appendUTF8(out, *codePoint);
        } else {
            return false;
        }
        text.remove_prefix(semicolon + 1);
    }
    return true;
}

// What stands between an element's tags, without comments: runs of character data and CDATA sections.
struct Piece {
    std::string_view text;
    bool isCDATA;
};

class Content {
public:
    void add(Piece piece)
    {
        if (count_++ == 0) {
            first_ = piece;
        } else {
            rest_.push_back(piece);
        }
    }
    void noteComment() { hasComment_ = true; }

    std::size_t count() const { return count_; }
    bool hasComment() const { return hasComment_; }
    template <class Visit>
    void forEach(Visit visit) const
    {
        if (count_ > 0) {
            visit(first_);
        }
        for (const Piece& piece : rest_) {
            visit(piece);
        }
    }

private:
    std::size_t count_ = 0;
    Piece first_{};
    std::vector<Piece> rest_; // only when text is split by comments or CDATA
    bool hasComment_ = false;
};

// The DOM keeps a lone run of text (whitespace too) as the element's one child. Anything else (text
// beside comments or CDATA, whose whitespace-only runs the DOM drops) is read again from the source, which
// pugixml has already found well-formed.
Result<Content> contentOf(const pugi::xml_node& element, std::string_view xml)
{
    Content content;
    const pugi::xml_node child = element.first_child();
    if (!child) {
        return content;
    }
    if (!child.next_sibling() && (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)) {
        content.add({valueOf(child), child.type() == pugi::node_cdata});
        return content;
    }
    std::size_t position = static_cast<std::size_t>(element.offset_debug());
    char quote = 0;
    for (; position < xml.size() && (quote || xml[position] != '>'); ++position) {
        if (quote ? xml[position] == quote : (xml[position] == '"' || xml[position] == '\'')) {
            quote = quote ? 0 : xml[position];
        }
    }
    ++position;
    while (position < xml.size()) {
        const std::size_t open = xml.find('<', position);
        if (open == std::string_view::npos) {
            break;
        }
        if (open > position) {
            content.add({xml.substr(position, open - position), false});
        }
        const std::string_view markup = xml.substr(open);
        if (markup.substr(0, 4) == "<!--") {
            content.noteComment();
            position = xml.find("-->", open + 4) + 3;
        } else if (markup.substr(0, 9) == "<![CDATA[") {
            const std::size_t end = xml.find("]]>", open + 9);
            content.add({xml.substr(open + 9, end - open - 9), true});
            position = end + 3;
        } else if (markup.substr(0, 2) == "</") {
            return content;
        } else {
            break;
        }
    }
    return refused(element, fmt::format("markup inside <{}>", element.name()));
}

// The text of a <string> or <key>: character data with references decoded, CDATA as it stands; made
// well-formed UTF-8.
Result<std::string> stringText(const pugi::xml_node& element, std::string_view xml)
{
    auto content = contentOf(element, xml);
    if (!content) {
        return content.error();
    }
    if (content.value().count() == 1) {
        std::string_view single;
        bool isCDATA = false;
        content.value().forEach([&](const Piece& piece) { single = piece.text, isCDATA = piece.isCDATA; });
        if (isCDATA || single.find('&') == std::string_view::npos) {
            return TextSanitizer::validUTF8(single);
        }
    }
    std::string text;
    bool decoded = true;
    content.value().forEach([&](const Piece& piece) {
        if (piece.isCDATA) {
            text.append(piece.text);
        } else {
            decoded = decoded && appendDecoded(text, piece.text);
        }
    });
    if (!decoded) {
        return refused(element, "unknown or malformed entity reference");
    }
    return TextSanitizer::validUTF8(text);
}

// The text of a number: character data and CDATA joined as written.
Result<std::string> numberText(const pugi::xml_node& element, std::string_view xml)
{
    auto content = contentOf(element, xml);
    if (!content) {
        return content.error();
    }
    std::string text;
    content.value().forEach([&](const Piece& piece) { text.append(piece.text); });
    return text;
}

// The text of a <date> or <data>: one run of character data or CDATA, nothing else.
Result<std::string_view> singleText(const pugi::xml_node& element, std::string_view xml)
{
    auto content = contentOf(element, xml);
    if (!content) {
        return content.error();
    }
    if (content.value().count() > 1 || content.value().hasComment()) {
        return refused(element, fmt::format("markup inside <{}>", element.name()));
    }
    std::string_view text;
    content.value().forEach([&](const Piece& piece) { text = piece.text; });
    return text;
}

// ---- Scalars.

// The value of digits of the base; nothing when it does not fit 64 bits.
std::optional<std::uint64_t> magnitudeOf(std::string_view digits, int base)
{
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = digitValue(c, base);
        if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<std::uint64_t>(digit)) /
                        static_cast<std::uint64_t>(base)) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return value;
}

Result<id> integerValue(const pugi::xml_node& element, std::string_view xml)
{
    auto text = numberText(element, xml);
    if (!text) {
        return text.error();
    }
    std::string_view digits = trimmed(text.value());
    if (digits.empty()) {
        return id(NSNumber::numberWithInteger(0));
    }
    const bool negative = digits[0] == '-';
    if (digits[0] == '-' || digits[0] == '+') {
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.size() > 1 && digits[0] == '0') {
        return refused(element, "not an integer (leading zeros)");
    }
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [base](char c) { return digitValue(c, base) >= 0; })) {
        return refused(element, fmt::format("not an integer: '{}'", text.value()));
    }
    const auto magnitude = magnitudeOf(digits, base);
    if (!magnitude) {
        return refused(element, fmt::format("integer out of range: '{}'", text.value()));
    }
    constexpr auto kSignedMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (negative) {
        if (*magnitude > kSignedMax + 1) {
            return refused(element, fmt::format("integer out of range: '{}'", text.value()));
        }
        return id(NSNumber::numberWithInteger(static_cast<std::int64_t>(0 - *magnitude)));
    }
    if (*magnitude > kSignedMax) {
        return id(NSNumber::numberWithUnsignedInteger(*magnitude));
    }
    return id(NSNumber::numberWithInteger(static_cast<std::int64_t>(*magnitude)));
}

Result<id> realValue(const pugi::xml_node& element, std::string_view xml)
{
    auto text = numberText(element, xml);
    if (!text) {
        return text.error();
    }
    const std::string number(trimmed(text.value()));
    if (number.empty()) {
        return id(NSNumber::numberWithDouble(0));
    }
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size()) {
        return refused(element, fmt::format("not a real number: '{}'", number));
    }
    return id(NSNumber::numberWithDouble(value));
}

Result<id> booleanValue(const pugi::xml_node& element, bool value, std::string_view xml)
{
    auto content = contentOf(element, xml);
    if (!content) {
        return content.error();
    }
    bool blank = true;
    content.value().forEach([&](const Piece& piece) { blank = blank && isAllSpace(piece.text); });
    if (!blank) {
        return refused(element, fmt::format("content inside <{}/>", element.name()));
    }
    return id(NSNumber::numberWithBool(value));
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

unsigned daysInMonth(unsigned year, unsigned month)
{
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "YYYY-MM-DDTHH:MM:SSZ" as seconds since 1970, or nothing.
std::optional<std::int64_t> secondsSince1970(std::string_view text)
{
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kShape.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digitWanted = kShape[i] == 'd';
        const bool isDigit = text[i] >= '0' && text[i] <= '9';
        if (digitWanted ? !isDigit : text[i] != kShape[i]) {
            return std::nullopt;
        }
    }
    const auto field = [&](std::size_t at, std::size_t length) {
        unsigned value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
        }
        return value;
    };
    const unsigned year = field(0, 4), month = field(5, 2), day = field(8, 2);
    const unsigned hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 59) {
        return std::nullopt;
    }
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

Result<id> dateValue(const pugi::xml_node& element, std::string_view xml)
{
    auto text = singleText(element, xml);
    if (!text) {
        return text.error();
    }
    const auto seconds = secondsSince1970(text.value());
    if (!seconds) {
        return refused(element, fmt::format("not a date of the form YYYY-MM-DDTHH:MM:SSZ: '{}'", text.value()));
    }
    return id(NSDate::dateWithTimeIntervalSince1970(static_cast<double>(*seconds)));
}

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    return c == '/' ? 63 : -1;
}

std::optional<std::string> base64Decoded(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int sextets = 0;
    int padding = 0;
    for (const char c : text) {
        if (isSpace(c)) {
            continue;
        }
        if (c == '=') {
            // Padding completes the last group: after two or three characters of it.
            if (sextets + padding < 2 || ++padding > 2) {
                return std::nullopt;
            }
            continue;
        }
        const int value = base64Value(c);
        if (value < 0 || padding > 0) {
            return std::nullopt;
        }
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (++sextets == 4) {
            bytes += static_cast<char>(group >> 16);
            bytes += static_cast<char>(group >> 8);
            bytes += static_cast<char>(group);
            group = 0;
            sextets = 0;
        }
    }
    if (padding > 0 && sextets + padding != 4) {
        return std::nullopt;
    }
    if (padding == 0 && sextets != 0) {
        return std::nullopt;
    }
    if (sextets == 2) {
        bytes += static_cast<char>(group >> 4);
    } else if (sextets == 3) {
        bytes += static_cast<char>(group >> 10);
        bytes += static_cast<char>(group >> 2);
    }
    return bytes;
}

Result<id> dataValue(const pugi::xml_node& element, std::string_view xml)
{
    auto text = singleText(element, xml);
    if (!text) {
        return text.error();
    }
    auto bytes = base64Decoded(text.value());
    if (!bytes) {
        return refused(element, "not base64 data");
    }
    return id(NSData::dataWithBytes(*bytes));
}

Result<id> scalarValue(const pugi::xml_node& element, Kind kind, std::string_view xml)
{
    switch (kind) {
    case Kind::String: {
        auto text = stringText(element, xml);
        if (!text) {
            return text.error();
        }
        return id(NSString::stringWithString(std::move(text).value()));
    }
    case Kind::Integer:
        return integerValue(element, xml);
    case Kind::Real:
        return realValue(element, xml);
    case Kind::True:
        return booleanValue(element, true, xml);
    case Kind::False:
        return booleanValue(element, false, xml);
    case Kind::Date:
        return dateValue(element, xml);
    case Kind::Data:
        return dataValue(element, xml);
    case Kind::Key:
        return refused(element, "<key> where a value belongs");
    default:
        return refused(element, fmt::format("unknown element <{}>", element.name()));
    }
}

// libplist ends a tag at the first '>' outside double quotes; a value holding a quote or an angle bracket
// would let the two readers see different tags.
std::optional<NSError> checkAttributes(const pugi::xml_node& element)
{
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        if (std::strpbrk(attribute.value(), "<>\"'")) {
            return refused(element, "quote or angle bracket in an attribute value");
        }
    }
    return std::nullopt;
}

// ---- Containers, walked with an explicit stack.

struct Container {
    pugi::xml_node element;
    pugi::xml_node next; // the next child to look at
    bool isDictionary;
    std::vector<id> items;
    NSDictionary::Entries entries;
    std::optional<std::string> key; // read, waiting for its value

    id finish()
    {
        if (isDictionary) {
            return NSDictionary::dictionaryWithEntries(std::move(entries));
        }
        return NSArray::arrayWithObjects(std::move(items));
    }

    void add(id value)
    {
        if (isDictionary) {
            entries.insert_or_assign(std::move(*key), std::move(value));
            key.reset();
        } else {
            items.push_back(std::move(value));
        }
    }
};

// The next element among a container's children, or a null node at its end. Whitespace and comments
// between elements are skipped; anything else is refused.
Result<pugi::xml_node> nextElement(Container& container)
{
    for (pugi::xml_node child = container.next; child; child = child.next_sibling()) {
        switch (child.type()) {
        case pugi::node_element:
            container.next = child.next_sibling();
            return child;
        case pugi::node_comment:
            break;
        case pugi::node_pcdata:
            if (!isAllSpace(valueOf(child))) {
                return refused(child, fmt::format("text inside <{}>", container.element.name()));
            }
            break;
        default:
            return refused(child, fmt::format("markup inside <{}>", container.element.name()));
        }
    }
    container.next = pugi::xml_node();
    return pugi::xml_node();
}

Container open(const pugi::xml_node& element, Kind kind)
{
    return Container{element, element.first_child(), kind == Kind::Dictionary, {}, {}, std::nullopt};
}

Result<id> treeValue(const pugi::xml_node& root, std::string_view xml)
{
    if (auto error = checkAttributes(root)) {
        return *error;
    }
    const Kind rootKind = kindOf(root);
    if (rootKind != Kind::Dictionary && rootKind != Kind::Array) {
        return scalarValue(root, rootKind, xml);
    }
    std::vector<Container> stack;
    stack.push_back(open(root, rootKind));
    while (true) {
        Container& container = stack.back();
        auto next = nextElement(container);
        if (!next) {
            return next.error();
        }
        const pugi::xml_node element = next.value();
        if (!element) {
            if (container.key) {
                return refused(container.element, fmt::format("key \"{}\" without a value", *container.key));
            }
            id finished = container.finish();
            stack.pop_back();
            if (stack.empty()) {
                return finished;
            }
            stack.back().add(std::move(finished));
            continue;
        }
        if (auto error = checkAttributes(element)) {
            return *error;
        }
        const Kind kind = kindOf(element);
        if (container.isDictionary && !container.key) {
            if (kind != Kind::Key) {
                return refused(element, fmt::format("<{}> where a <key> belongs", element.name()));
            }
            auto key = stringText(element, xml);
            if (!key) {
                return key.error();
            }
            container.key = std::move(key).value();
            continue;
        }
        if (kind == Kind::Dictionary || kind == Kind::Array) {
            stack.push_back(open(element, kind));
            continue;
        }
        auto value = scalarValue(element, kind, xml);
        if (!value) {
            return value.error();
        }
        container.add(std::move(value).value());
    }
}

// ---- The document around the value.

// libplist ends a processing instruction or a document type at the first '>' outside double quotes; an
// odd number of them, or single quotes, would make it end elsewhere than XML says.
std::optional<NSError> checkPrologNode(const pugi::xml_node& node)
{
    switch (node.type()) {
    case pugi::node_declaration:
    case pugi::node_comment:
        return std::nullopt;
    case pugi::node_pi: {
        const std::string_view text = valueOf(node);
        if (std::count(text.begin(), text.end(), '"') % 2 != 0) {
            return refused(node, "unbalanced quote in a processing instruction");
        }
        return std::nullopt;
    }
    case pugi::node_doctype:
        if (std::strpbrk(node.value(), "'[")) {
            return refused(node, "document type with single quotes or an internal subset");
        }
        return std::nullopt;
    case pugi::node_pcdata:
        if (isAllSpace(valueOf(node))) {
            return std::nullopt;
        }
        return refused(node, "text outside the property list");
    default:
        return refused(node, "markup outside the property list");
    }
}

// The one element of the document, after checking what stands around it.
Result<pugi::xml_node> documentElement(const pugi::xml_document& document)
{
    pugi::xml_node element;
    for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) {
            if (auto error = checkPrologNode(child)) {
                return *error;
            }
        } else if (element) {
            return refused(child, "a second element after the property list");
        } else {
            element = child;
        }
    }
    if (!element) {
        return NSError("no property list in the document");
    }
    return element;
}

// The value element: the document element itself, or the one value inside <plist>.
Result<pugi::xml_node> rootValueElement(const pugi::xml_node& documentElement)
{
    if (std::strcmp(documentElement.name(), "plist") != 0) {
        if (kindOf(documentElement) == Kind::Key) {
            return refused(documentElement, "<key> outside a dictionary");
        }
        return documentElement;
    }
    if (auto error = checkAttributes(documentElement)) {
        return *error;
    }
    Container plist = open(documentElement, Kind::Array);
    auto value = nextElement(plist);
    if (!value) {
        return value.error();
    }
    if (!value.value()) {
        return refused(documentElement, "empty <plist>");
    }
    auto extra = nextElement(plist);
    if (!extra) {
        return extra.error();
    }
    if (extra.value()) {
        return refused(extra.value(), "a second value in <plist>");
    }
    if (kindOf(value.value()) == Kind::Key) {
        return refused(value.value(), "<key> outside a dictionary");
    }
    return value.value();
}

} // namespace

Result<id> XMLPropertyListReader::read(std::string_view xml)
{
    // pugixml would skip a byte-order mark; libplist never has, and nothing here writes one.
    if (xml.substr(0, 3) == "\xEF\xBB\xBF") {
        return NSError("byte-order mark before the XML");
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(xml.data(), xml.size(), kParseOptions, pugi::encoding_utf8);
    if (!parsed) {
        return NSError(fmt::format("not well-formed XML: {} at byte {}", parsed.description(), parsed.offset));
    }
    auto element = documentElement(document);
    if (!element) {
        return element.error();
    }
    auto valueElement = rootValueElement(element.value());
    if (!valueElement) {
        return valueElement.error();
    }
    return treeValue(valueElement.value(), xml);
}
