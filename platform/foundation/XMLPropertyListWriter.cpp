#include "XMLPropertyListWriter.h"

#include "CivilDateTime.h"
#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <typeinfo>
#include <vector>

namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";
constexpr std::string_view kFooter = "</plist>\n";

// The seconds since 2001 of the first and the last second that the date text can show.
const double kFirstWritableDate =
    static_cast<double>(CivilDateTime{1, 1, 1, 0, 0, 0}.secondsSince1970()) - NSDate::kReferenceDateFromUnixEpoch;
const double kLastWritableDate =
    static_cast<double>(CivilDateTime{9999, 12, 31, 23, 59, 59}.secondsSince1970()) - NSDate::kReferenceDateFromUnixEpoch;

// Dates are written as whole seconds cut toward 2001, as the system counts whole seconds everywhere.
double writtenSeconds(double seconds)
{
    return std::trunc(seconds);
}

bool isWritableDate(double seconds)
{
    const double whole = writtenSeconds(seconds);
    return whole >= kFirstWritableDate && whole <= kLastWritableDate;
}

// The value classes, told apart by their dynamic type in one look-up (they are final, so the type is
// exact): far cheaper than a dynamic_cast per class on a tree of a hundred thousand values.
enum class Type { String, Number, Date, Data, Array, Dictionary, Other };

Type typeOf(const NSObject* value)
{
    struct Known {
        const std::type_info& type;
        Type is;
    };
    static const Known kKnown[] = {{typeid(NSString), Type::String},         {typeid(NSNumber), Type::Number},
                                   {typeid(NSDate), Type::Date},             {typeid(NSDictionary), Type::Dictionary},
                                   {typeid(NSArray), Type::Array},           {typeid(NSData), Type::Data}};
    if (!value) {
        return Type::Other;
    }
    const std::type_info& type = typeid(*value);
    // The same class has the same type_info object; comparing names is only needed where a library
    // carries a copy of its own.
    for (const Known& known : kKnown) {
        if (&known.type == &type) {
            return known.is;
        }
    }
    for (const Known& known : kKnown) {
        if (known.type == type) {
            return known.is;
        }
    }
    return Type::Other;
}

// Why a value cannot be written, looking at it alone (not at what a container holds); empty when it can.
std::optional<NSError> refusalForValue(const NSObject* value)
{
    if (!value) {
        return NSError("a null value cannot be written");
    }
    switch (typeOf(value)) {
    case Type::Date: {
        const auto& date = static_cast<const NSDate&>(*value);
        if (isWritableDate(date.timeIntervalSinceReferenceDate())) {
            return std::nullopt;
        }
        return NSError(fmt::format("date {} is outside the years 0001 to 9999 that XML can hold", date.description()));
    }
    case Type::Other:
        return NSError(fmt::format("a {} is not a property-list value", value->className()));
    default:
        return std::nullopt;
    }
}

// What each byte of text needs: nothing, an escape, or (a control character XML forbids, or a byte of a
// character beyond ASCII) a look at the whole text before it is written as it is.
enum ByteClass : std::uint8_t { kPlain = 0, kEscaped = 1, kForbidden = 2, kBeyondASCII = 4 };

constexpr std::array<std::uint8_t, 256> kByteClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (unsigned c = 0; c < 0x20; ++c) {
        classes[c] = kForbidden;
    }
    classes['\t'] = classes['\n'] = kPlain;
    classes['\r'] = classes['&'] = classes['<'] = classes['>'] = kEscaped;
    for (unsigned c = 0x80; c < 0x100; ++c) {
        classes[c] = kBeyondASCII;
    }
    return classes;
}();

std::uint8_t classesIn(std::string_view text)
{
    std::uint8_t seen = 0;
    for (const char c : text) {
        seen |= kByteClasses[static_cast<unsigned char>(c)];
    }
    return seen;
}

// Whether text that holds `seen` needs nothing removed: well-formed UTF-8 without controls other than tab,
// line feed and carriage return, and without U+FFFE and U+FFFF.
bool isXMLSafe(std::string_view text, std::uint8_t seen)
{
    if (seen & kForbidden) {
        return false;
    }
    return !(seen & kBeyondASCII) ||
           (TextSanitizer::isValidUTF8(text) && text.find("\xEF\xBF\xBE") == std::string_view::npos &&
            text.find("\xEF\xBF\xBF") == std::string_view::npos);
}

// The entries with their keys as they are written: the dictionary's own, or, when a key needs cleaning,
// a copy with clean keys kept in `storage`. Keys that become one once cleaned keep the value of the last,
// as a reader keeps the last of repeated keys, so that no key is written twice.
const NSDictionary::Entries& writtenEntries(const NSDictionary& dictionary, NSDictionary::Entries& storage)
{
    const auto& entries = dictionary.entries();
    const bool keysSafe = std::all_of(entries.begin(), entries.end(), [](const auto& entry) {
        return isXMLSafe(entry.first, classesIn(entry.first));
    });
    if (keysSafe) {
        return entries;
    }
    for (const auto& [key, item] : entries) {
        storage.insert_or_assign(TextSanitizer::sanitizedForXML(key), item);
    }
    return storage;
}

// Depth counts a scalar as 1 and a container as one more than its deepest child; a value at `level` (the
// root at 0) stands at depth level + 1.
std::optional<NSError> refusalForDepth(std::size_t level, std::size_t maxDepth)
{
    if (level + 1 > maxDepth) {
        return NSError(fmt::format("nested deeper than {} levels", maxDepth));
    }
    return std::nullopt;
}

// Writes values in one recursive pass; it refuses a value deeper than the cap before it goes down to it,
// so it recurses at most that many levels.
class Writer {
public:
    Writer(std::string& out, std::size_t maxDepth) : out_(out), maxDepth_(maxDepth) {}

    std::optional<NSError> value(const NSObject* object, std::size_t level)
    {
        if (auto tooDeep = refusalForDepth(level, maxDepth_)) {
            return tooDeep;
        }
        switch (typeOf(object)) {
        case Type::String:
            indent(level);
            out_ += "<string>";
            appendText(static_cast<const NSString&>(*object).string());
            out_ += "</string>\n";
            return std::nullopt;
        case Type::Number:
            writeNumber(static_cast<const NSNumber&>(*object), level);
            return std::nullopt;
        case Type::Date: {
            const double seconds = static_cast<const NSDate&>(*object).timeIntervalSinceReferenceDate();
            if (!isWritableDate(seconds)) {
                return refusalForValue(object);
            }
            writeDate(seconds, level);
            return std::nullopt;
        }
        case Type::Data:
            writeData(static_cast<const NSData&>(*object).view(), level);
            return std::nullopt;
        case Type::Array:
            return writeArray(static_cast<const NSArray&>(*object), level);
        case Type::Dictionary:
            return writeDictionary(static_cast<const NSDictionary&>(*object), level);
        case Type::Other:
            break;
        }
        return refusalForValue(object);
    }

private:
    void indent(std::size_t level) { out_.append(level, '\t'); }

    // Text as written: cleaned first when it needs it, then escaped.
    void appendText(std::string_view text)
    {
        const std::uint8_t seen = classesIn(text);
        if (isXMLSafe(text, seen)) {
            appendEscaped(text, seen);
            return;
        }
        const std::string clean = TextSanitizer::sanitizedForXML(text);
        appendEscaped(clean, classesIn(clean));
    }

    void appendEscaped(std::string_view text, std::uint8_t seen)
    {
        if (!(seen & kEscaped)) {
            out_ += text;
            return;
        }
        std::size_t plain = 0;
        for (std::size_t at = 0; at < text.size(); ++at) {
            std::string_view entity;
            switch (text[at]) {
            case '&': entity = "&amp;"; break;
            case '<': entity = "&lt;"; break;
            case '>': entity = "&gt;"; break;
            // XML readers turn a bare carriage return into a line feed.
            case '\r': entity = "&#13;"; break;
            default: continue;
            }
            out_.append(text.substr(plain, at - plain));
            out_ += entity;
            plain = at + 1;
        }
        out_.append(text.substr(plain));
    }

    template <class T>
    void appendNumber(T number)
    {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        out_.append(digits, end);
    }

    void writeNumber(const NSNumber& number, std::size_t level)
    {
        indent(level);
        switch (number.kind()) {
        case NSNumber::Kind::Boolean:
            out_ += number.boolValue() ? "<true/>\n" : "<false/>\n";
            return;
        case NSNumber::Kind::Integer:
            out_ += "<integer>";
            appendNumber(number.integerValue());
            out_ += "</integer>\n";
            return;
        case NSNumber::Kind::Unsigned:
            out_ += "<integer>";
            appendNumber(number.unsignedIntegerValue());
            out_ += "</integer>\n";
            return;
        case NSNumber::Kind::Real:
            out_ += "<real>";
            appendReal(number.doubleValue());
            out_ += "</real>\n";
            return;
        }
    }

    void appendReal(double real)
    {
        if (std::isnan(real)) {
            out_ += "nan";
        } else if (std::isinf(real)) {
            out_ += real < 0 ? "-inf" : "inf";
        } else {
            appendNumber(real);
        }
    }

    // REQUIRES: isWritableDate(secondsSinceReference), so the year has four digits.
    void writeDate(double secondsSinceReference, std::size_t level)
    {
        const auto c =
            CivilDateTime::fromSecondsSince1970(writtenSeconds(secondsSinceReference) + NSDate::kReferenceDateFromUnixEpoch);
        indent(level);
        char text[] = "<date>YYYY-MM-DDTHH:MM:SSZ</date>\n";
        const auto put = [&](std::size_t at, unsigned value, std::size_t width) {
            for (std::size_t i = width; i-- > 0; value /= 10) {
                text[at + i] = static_cast<char>('0' + value % 10);
            }
        };
        put(6, static_cast<unsigned>(c->year), 4);
        put(11, c->month, 2);
        put(14, c->day, 2);
        put(17, c->hour, 2);
        put(20, c->minute, 2);
        put(23, c->second, 2);
        out_.append(text, sizeof text - 1);
    }

    void writeData(std::string_view bytes, std::size_t level)
    {
        static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const std::size_t lineChars = level < 8 ? 76 - 8 * level : 12;
        const std::size_t lineBytes = lineChars / 4 * 3;
        indent(level);
        out_ += "<data>\n";
        for (std::size_t line = 0; line < bytes.size(); line += lineBytes) {
            indent(level);
            const std::size_t end = std::min(bytes.size(), line + lineBytes);
            for (std::size_t at = line; at < end; at += 3) {
                const std::size_t left = end - at;
                const auto byte = [&](std::size_t i) { return i < left ? static_cast<unsigned char>(bytes[at + i]) : 0u; };
                const unsigned group = byte(0) << 16 | byte(1) << 8 | byte(2);
                out_ += kAlphabet[group >> 18];
                out_ += kAlphabet[(group >> 12) & 0x3F];
                out_ += left > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=';
                out_ += left > 2 ? kAlphabet[group & 0x3F] : '=';
            }
            out_ += '\n';
        }
        indent(level);
        out_ += "</data>\n";
    }

    std::optional<NSError> writeArray(const NSArray& array, std::size_t level)
    {
        indent(level);
        if (array.count() == 0) {
            out_ += "<array/>\n";
            return std::nullopt;
        }
        out_ += "<array>\n";
        for (const id& item : array.objects()) {
            if (auto refused = value(item.get(), level + 1)) {
                return refused;
            }
        }
        indent(level);
        out_ += "</array>\n";
        return std::nullopt;
    }

    std::optional<NSError> writeDictionary(const NSDictionary& dictionary, std::size_t level)
    {
        indent(level);
        if (dictionary.count() == 0) {
            out_ += "<dict/>\n";
            return std::nullopt;
        }
        out_ += "<dict>\n";
        NSDictionary::Entries storage;
        for (const auto& [key, item] : writtenEntries(dictionary, storage)) {
            // Keys are clean by now.
            indent(level + 1);
            out_ += "<key>";
            appendEscaped(key, classesIn(key));
            out_ += "</key>\n";
            if (auto refused = value(item.get(), level + 1)) {
                return refused;
            }
        }
        indent(level);
        out_ += "</dict>\n";
        return std::nullopt;
    }

    std::string& out_;
    const std::size_t maxDepth_;
};

// The values a container holds, in the order they are written; none for any other value. Of keys that
// become one, only the value written (the last).
template <class Visit>
void forEachWrittenChild(const NSObject* object, Visit visit)
{
    if (typeOf(object) == Type::Array) {
        for (const id& item : static_cast<const NSArray&>(*object).objects()) {
            visit(item.get());
        }
    } else if (typeOf(object) == Type::Dictionary) {
        const auto& dictionary = static_cast<const NSDictionary&>(*object);
        NSDictionary::Entries storage;
        for (const auto& entry : writtenEntries(dictionary, storage)) {
            visit(entry.second.get());
        }
    }
}

// The writer's first refusal, found without writing: the tree walked without recursion (an in-memory
// tree may be of any depth) in the order the writer meets its values.
std::optional<NSError> refusalInTree(const id& root, std::size_t maxDepth)
{
    std::vector<std::pair<const NSObject*, std::size_t>> stack{{root.get(), 0}};
    std::vector<const NSObject*> children;
    while (!stack.empty()) {
        const auto [object, level] = stack.back();
        stack.pop_back();
        if (auto refused = refusalForDepth(level, maxDepth)) {
            return refused;
        }
        if (auto refused = refusalForValue(object)) {
            return refused;
        }
        children.clear();
        forEachWrittenChild(object, [&](const NSObject* child) { children.push_back(child); });
        // Last first, so that the first child is met next.
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            stack.emplace_back(*child, level + 1);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<NSError> XMLPropertyListWriter::refusalFor(const id& plist, const PropertyListLimits& limits)
{
    return refusalInTree(plist, limits.effectiveMaxDepth());
}

Result<std::string> XMLPropertyListWriter::write(const id& plist, const PropertyListLimits& limits)
{
    std::string xml;
    xml.reserve(4096);
    xml += kHeader;
    if (auto refused = Writer(xml, limits.effectiveMaxDepth()).value(plist.get(), 0)) {
        return *refused;
    }
    xml += kFooter;
    // A file the reader would refuse is not worth writing: what is written must read back.
    if (xml.size() > limits.maxBytes) {
        return NSError(fmt::format("larger than {} bytes", limits.maxBytes));
    }
    return xml;
}
