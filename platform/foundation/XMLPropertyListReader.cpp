#include "XMLPropertyListReader.h"

#include "NSArray.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"
#include "XMLPropertyListArena.h"
#include "XMLPropertyListText.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

enum class Kind { Plist, Dictionary, Array, String, Key, Integer, Real, True, False, Date, Data, Unknown };

// Whether the text is the literal; unrolled, as it runs for every tag.
template <std::size_t N>
bool is(std::string_view text, const char (&literal)[N])
{
    if (text.size() != N - 1) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (text[i] != literal[i]) {
            return false;
        }
    }
    return true;
}

Kind kindOf(std::string_view name)
{
    switch (name.size()) {
    case 3:
        return is(name, "key") ? Kind::Key : Kind::Unknown;
    case 4:
        return is(name, "dict")   ? Kind::Dictionary
               : is(name, "date") ? Kind::Date
               : is(name, "data") ? Kind::Data
               : is(name, "real") ? Kind::Real
               : is(name, "true") ? Kind::True
                                : Kind::Unknown;
    case 5:
        return is(name, "array") ? Kind::Array : is(name, "false") ? Kind::False : is(name, "plist") ? Kind::Plist : Kind::Unknown;
    case 6:
        return is(name, "string") ? Kind::String : Kind::Unknown;
    case 7:
        return is(name, "integer") ? Kind::Integer : Kind::Unknown;
    default:
        return Kind::Unknown;
    }
}

// Byte classes, looked up once per byte: XML's whitespace (space, tab, line feed, carriage return), and
// name characters as far as these files need them: ASCII letters, '_', ':' and every byte of a
// multi-byte character may start a name; digits, '-' and '.' may follow. And the bytes where plain text
// stops: '<' and '&'.
enum : unsigned char { kSpace = 1, kNameStart = 2, kNameChar = 4, kTextStop = 8 };

constexpr std::array<unsigned char, 256> kByteClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (unsigned c = 0; c < 256; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool nameStart = letter || c == '_' || c == ':' || c >= 0x80;
        classes[c] = static_cast<unsigned char>((c == ' ' || c == '\t' || c == '\n' || c == '\r' ? kSpace : 0) |
                                                (nameStart ? kNameStart | kNameChar : 0) |
                                                ((c >= '0' && c <= '9') || c == '-' || c == '.' ? kNameChar : 0) |
                                                (c == '<' || c == '&' ? kTextStop : 0));
    }
    return classes;
}();

bool hasClass(char c, unsigned char byteClass)
{
    return (kByteClasses[static_cast<unsigned char>(c)] & byteClass) != 0;
}

bool isSpace(char c)
{
    return hasClass(c, kSpace);
}

bool isNameStart(char c)
{
    return hasClass(c, kNameStart);
}

bool isNameChar(char c)
{
    return hasClass(c, kNameChar);
}

// Where the byte first stands in the text from `at`. Most texts here are short (keys, names, numbers,
// dates): looking at them byte by byte is cheaper than a library call; longer ones go to memchr.
std::size_t find(std::string_view text, char byte, std::size_t at = 0)
{
    const std::size_t end = std::min(text.size(), at + 32);
    for (; at < end; ++at) {
        if (text[at] == byte) {
            return at;
        }
    }
    return text.find(byte, at);
}

// The high bit of each of the word's bytes that equals the byte, and no other bit: adding 0x7F to a
// byte's low seven bits never carries into the next byte.
std::uint64_t bytesEqualTo(std::uint64_t word, char byte)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t matched = word ^ (kOnes * static_cast<unsigned char>(byte));
    return ~(((matched & kLows) + kLows) | matched | kLows);
}

// How many of the word's bytes, in memory order, come before the first marked one.
int firstMarkedByte(std::uint64_t marks)
{
    if constexpr (std::endian::native == std::endian::little) {
        return std::countr_zero(marks) / 8;
    } else {
        return std::countl_zero(marks) / 8;
    }
}

// The bits of the word's first `count` bytes in memory order (count from 1 to 7).
std::uint64_t lowBytesMask(int count)
{
    if constexpr (std::endian::native == std::endian::little) {
        return (std::uint64_t{1} << (8 * count)) - 1;
    } else {
        return ~((std::uint64_t{1} << (64 - 8 * count)) - 1);
    }
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

// A start tag as its first bytes after the '<', in the order memcpy loads them into a word, to be
// recognised with one comparison.
struct KnownTag {
    std::uint64_t bytes = 0;
    std::uint64_t mask = 0;
    std::size_t nameLength = 0;
    Kind kind = Kind::Unknown;
};

constexpr KnownTag knownTag(std::string_view tag, Kind kind)
{
    KnownTag known;
    known.kind = kind;
    for (std::size_t i = 0; i < tag.size(); ++i) {
        const std::size_t shift = std::endian::native == std::endian::little ? 8 * i : 56 - 8 * i;
        known.bytes |= std::uint64_t{static_cast<unsigned char>(tag[i])} << shift;
        known.mask |= std::uint64_t{0xFF} << shift;
    }
    known.nameLength = tag.find_first_of("/>");
    return known;
}

constexpr KnownTag kKeyTag = knownTag("key>", Kind::Key), kStringTag = knownTag("string>", Kind::String),
                   kDateTag = knownTag("date>", Kind::Date), kDictionaryTag = knownTag("dict>", Kind::Dictionary),
                   kDataTag = knownTag("data>", Kind::Data), kIntegerTag = knownTag("integer>", Kind::Integer),
                   kRealTag = knownTag("real>", Kind::Real), kArrayTag = knownTag("array>", Kind::Array),
                   kTrueTag = knownTag("true/>", Kind::True), kFalseTag = knownTag("false/>", Kind::False);

// What stands between a scalar's tags, without comments: runs of character data and CDATA sections.
struct Piece {
    std::string_view text;
    bool isCDATA;
};

// Records repeat their short strings (application names, bundle identifiers): equal short texts read
// from one document share one immutable NSString rather than making one each. A small table that never
// grows: once a neighbourhood is full, the latest string takes a slot over.
class StringCache {
public:
    std::shared_ptr<NSString> string(std::string_view text, XMLPropertyListArena& arena)
    {
        if (text.size() > kLongest) {
            return arena.make<NSString>(std::string(text));
        }
        // The text is looked for in a window of slots from its hash; a new one takes the window's first
        // free slot, or when there is none, the one the text hashes to.
        const std::size_t first = slotOf(text);
        for (std::size_t i = 0; i < kWindow; ++i) {
            std::shared_ptr<NSString>& slot = slots_[(first + i) % slots_.size()];
            if (!slot) {
                return slot = arena.make<NSString>(std::string(text));
            }
            if (isSameText(slot->string(), text)) {
                return slot;
            }
        }
        return slots_[first] = arena.make<NSString>(std::string(text));
    }

private:
    // Short texts compared a word at a time, inline: most comparisons here find the texts equal.
    static bool isSameText(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size()) {
            return false;
        }
        std::size_t at = 0;
        for (; at + 8 <= a.size(); at += 8) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a.data() + at, 8);
            std::memcpy(&y, b.data() + at, 8);
            if (x != y) {
                return false;
            }
        }
        for (; at < a.size(); ++at) {
            if (a[at] != b[at]) {
                return false;
            }
        }
        return true;
    }

    // A quick hash of the length and the first and last eight bytes, which is where a log's repeated
    // texts differ ("Application 3", "com.example.app3"), mixed so that every input bit reaches the slot.
    std::size_t slotOf(std::string_view text) const
    {
        std::uint64_t head = 0;
        std::uint64_t tail = 0;
        if (text.size() >= 8) {
            std::memcpy(&head, text.data(), 8);
            std::memcpy(&tail, text.data() + text.size() - 8, 8);
        } else {
            for (const char c : text) {
                head = head << 8 | static_cast<unsigned char>(c);
            }
        }
        std::uint64_t mixed = head ^ std::rotl(tail, 31) ^ (text.size() * 0x9E3779B97F4A7C15ULL);
        mixed ^= mixed >> 33;
        mixed *= 0xFF51AFD7ED558CCDULL;
        mixed ^= mixed >> 33;
        return static_cast<std::size_t>(mixed % slots_.size());
    }

    static constexpr std::size_t kLongest = 32;
    static constexpr std::size_t kWindow = 4;
    std::array<std::shared_ptr<NSString>, 128> slots_;
};

struct Tag {
    std::string_view name;
    Kind kind;
    std::size_t at; // of its '<', for messages
    bool selfClosing;
};

// An open <dict>, <array> or <plist>. Its values (and a dictionary's keys) wait on the reader's shared
// stacks from `firstValue` and `firstKey` on, so a container costs no allocation until it is made.
struct Frame {
    Tag tag;
    std::size_t firstValue;
    std::size_t firstKey;
};

// One pass over the bytes that checks the XML and builds the values as it goes, with an explicit stack
// of open containers (no recursion, whatever the depth).
class Parser {
public:
    Parser(std::string_view xml, const PropertyListLimits& limits)
        : xml_(xml), maxDepth_(limits.effectiveMaxDepth()), maxObjects_(limits.maxObjects)
    {
    }

    // Whether the refusal is for a cap or a NUL byte rather than for what the XML says.
    bool isOverLimits() const { return isOverLimits_; }

    Result<id> document()
    {
        // XML forbids NUL; libplist would cut names and keys at it.
        if (xml_.find('\0') != std::string_view::npos) {
            isOverLimits_ = true;
            return NSError("NUL byte in XML");
        }
        // Some parsers skip a byte-order mark; libplist never has, and nothing here writes one.
        if (xml_.substr(0, 3) == "\xEF\xBB\xBF") {
            return NSError("byte-order mark before the XML");
        }
        id root;
        while (true) {
            const std::size_t open = xml_.find('<', at_);
            if (!isAllSpace(xml_.substr(at_, open - at_))) {
                return refused("text outside the property list", at_);
            }
            if (open == std::string_view::npos) {
                break;
            }
            at_ = open;
            if (!topLevelMarkup(root)) {
                return std::move(*error_);
            }
        }
        if (!root) {
            return NSError("no property list in the document");
        }
        return root;
    }

private:
    // ---- Refusals. Each sets error_ and answers false, so callers write `return fail(...)`.

    bool fail(std::string what, std::size_t at)
    {
        error_ = refused(what, at);
        return false;
    }
    bool malformed(std::string_view what, std::size_t at)
    {
        return fail(fmt::format("not well-formed XML: {}", what), at);
    }
    bool overLimits(std::string what)
    {
        isOverLimits_ = true;
        error_ = NSError(std::move(what));
        return false;
    }
    static NSError refused(std::string_view what, std::size_t at)
    {
        return NSError(fmt::format("{} at byte {}", what, at));
    }

    template <std::size_t N>
    bool startsWith(const char (&prefix)[N], std::size_t at) const
    {
        return at + N - 1 <= xml_.size() && is(xml_.substr(at, N - 1), prefix);
    }
    // The byte at `at`, or NUL past the end: NUL is in no class and matches no markup (and the bytes
    // hold none).
    char byteAt(std::size_t at) const { return at < xml_.size() ? xml_[at] : '\0'; }
    std::size_t skipSpace(std::size_t at) const
    {
        while (at < xml_.size() && isSpace(xml_[at])) {
            ++at;
        }
        return at;
    }
    std::size_t skipName(std::size_t at) const
    {
        while (at < xml_.size() && isNameChar(xml_[at])) {
            ++at;
        }
        return at;
    }

    std::size_t nextMarkup(std::size_t at) const { return find(xml_, '<', at); }

    // ---- Markup that may stand anywhere.

    // Moves past the terminator of the markup opened at at_, which starts with `opener`.
    bool skipPast(std::string_view opener, std::string_view terminator, const char* what)
    {
        const std::size_t end = xml_.find(terminator, at_ + opener.size());
        if (end == std::string_view::npos) {
            return malformed(fmt::format("unterminated {}", what), at_);
        }
        at_ = end + terminator.size();
        return true;
    }
    bool comment() { return skipPast("<!--", "-->", "comment"); }

    // Attributes up to the end of a tag: '>' or "/>", or for a declaration its "?>" (at `declarationEnd`).
    // libplist ends a tag at the first '>' outside double quotes; a value holding a quote or an angle
    // bracket would let the two readers see different tags.
    bool attributes(Tag& tag, std::size_t declarationEnd = std::string_view::npos)
    {
        while (true) {
            at_ = skipSpace(at_);
            const char c = byteAt(at_);
            if (at_ == declarationEnd) {
                at_ += 2;
                return true;
            }
            if (isNameStart(c)) {
                std::size_t at = skipSpace(skipName(at_));
                if (byteAt(at) != '=') {
                    return malformed("attribute without a value", at);
                }
                at = skipSpace(at + 1);
                const char quote = byteAt(at);
                if (quote != '"' && quote != '\'') {
                    return malformed("unquoted attribute value", at);
                }
                const std::size_t close = xml_.find(quote, at + 1);
                if (close == std::string_view::npos || close > declarationEnd) {
                    return malformed("unterminated attribute value", at);
                }
                const std::string_view value = xml_.substr(at + 1, close - at - 1);
                if (value.find_first_of("<>\"'") != std::string_view::npos) {
                    return fail("quote or angle bracket in an attribute value", tag.at);
                }
                at_ = close + 1;
                if (isNameStart(byteAt(at_))) {
                    return malformed("attributes not separated by whitespace", at_);
                }
            } else if (c == '/' && byteAt(at_ + 1) == '>' && declarationEnd == std::string_view::npos) {
                at_ += 2;
                tag.selfClosing = true;
                return true;
            } else if (c == '>' && declarationEnd == std::string_view::npos) {
                ++at_;
                return true;
            } else {
                return malformed("malformed tag", at_);
            }
        }
    }

    // A value's start tag written without attributes ("<key>", "<string>", "<true/>"), recognised from
    // the eight bytes after its '<': sets the tag's name and kind, or answers false for any other tag.
    bool isKnownTag(Tag& tag) const
    {
        if (xml_.size() - at_ < 9) {
            return false;
        }
        std::uint64_t word = 0;
        std::memcpy(&word, xml_.data() + at_ + 1, 8);
        const auto matches = [&](std::initializer_list<KnownTag> tags) {
            for (const KnownTag& known : tags) {
                if ((word & known.mask) == known.bytes) {
                    tag.name = xml_.substr(at_ + 1, known.nameLength);
                    tag.kind = known.kind;
                    return true;
                }
            }
            return false;
        };
        switch (xml_[at_ + 1]) {
        case 'k':
            return matches({kKeyTag});
        case 's':
            return matches({kStringTag});
        case 'd':
            return matches({kDateTag, kDictionaryTag, kDataTag});
        case 'i':
            return matches({kIntegerTag});
        case 'r':
            return matches({kRealTag});
        case 'a':
            return matches({kArrayTag});
        case 't':
            return matches({kTrueTag});
        case 'f':
            return matches({kFalseTag});
        default:
            return false;
        }
    }

    // A start tag at at_ (whose next byte starts a name), up to and past its end.
    bool startTag(Tag& tag)
    {
        tag.at = at_;
        if (!isKnownTag(tag)) {
            tag.name = xml_.substr(at_ + 1, skipName(at_ + 1) - at_ - 1);
            tag.kind = kindOf(tag.name);
        }
        const std::size_t nameEnd = at_ + 1 + tag.name.size();
        // The caps count values; a <plist> around them takes one element and one level more.
        const std::size_t wrapper = (frames_.empty() ? tag.kind : frames_.front().tag.kind) == Kind::Plist ? 1 : 0;
        if (++elements_ > maxObjects_ + wrapper) {
            return overLimits(fmt::format("more than {} values", maxObjects_));
        }
        if (frames_.size() + 1 > maxDepth_ + wrapper) {
            return overLimits(fmt::format("nested deeper than {} levels", maxDepth_));
        }
        tag.selfClosing = false;
        const char c = byteAt(nameEnd);
        at_ = nameEnd;
        if (c == '>') {
            ++at_;
            return true;
        }
        if (c == '/' && byteAt(nameEnd + 1) == '>') {
            at_ += 2;
            tag.selfClosing = true;
            return true;
        }
        if (!isSpace(c)) {
            return malformed("malformed tag", nameEnd);
        }
        return attributes(tag);
    }

    // The end tag of `tag` at at_ ("</" seen), up to and past its '>'.
    bool endTag(const Tag& tag)
    {
        const std::size_t nameEnd = at_ + 2 + tag.name.size();
        bool matches = nameEnd <= xml_.size() && !isNameChar(byteAt(nameEnd));
        for (std::size_t i = 0; matches && i < tag.name.size(); ++i) {
            matches = xml_[at_ + 2 + i] == tag.name[i];
        }
        if (!matches) {
            return malformed(fmt::format("end tag does not match <{}>", tag.name), at_);
        }
        const std::size_t close = skipSpace(nameEnd);
        if (byteAt(close) != '>') {
            return malformed("malformed end tag", at_);
        }
        at_ = close + 1;
        return true;
    }

    // ---- The document around the value.

    bool topLevelMarkup(id& root)
    {
        if (startsWith("<!--", at_)) {
            return comment();
        }
        if (startsWith("<?", at_)) {
            return processingInstruction();
        }
        if (startsWith("<!DOCTYPE", at_)) {
            return documentType();
        }
        if (isNameStart(byteAt(at_ + 1))) {
            if (root) {
                return fail("a second element after the property list", at_);
            }
            return rootElement(root);
        }
        if (startsWith("<!", at_) || startsWith("</", at_)) {
            return fail("markup outside the property list", at_);
        }
        return malformed("'<' that starts no markup", at_);
    }

    // "<?target value?>", or the XML declaration "<?xml attributes?>". libplist ends a processing
    // instruction at the first '>' outside double quotes; an odd number of them would make it end
    // elsewhere than XML says.
    bool processingInstruction()
    {
        const std::size_t start = at_;
        if (!isNameStart(byteAt(start + 2))) {
            return malformed("processing instruction without a target", start);
        }
        const std::size_t targetEnd = skipName(start + 2);
        const std::string_view target = xml_.substr(start + 2, targetEnd - start - 2);
        const bool isDeclaration = target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
                                   (target[2] | 0x20) == 'l';
        if (byteAt(targetEnd) == '?' && byteAt(targetEnd + 1) == '>') {
            at_ = targetEnd + 2;
            return true;
        }
        if (!isSpace(byteAt(targetEnd))) {
            return malformed("malformed processing instruction", start);
        }
        const std::size_t value = skipSpace(targetEnd);
        const std::size_t end = xml_.find("?>", value);
        if (end == std::string_view::npos) {
            return malformed("unterminated processing instruction", start);
        }
        if (isDeclaration) {
            Tag tag{target, Kind::Unknown, start, false};
            at_ = value;
            return attributes(tag, end);
        }
        const std::string_view text = xml_.substr(value, end - value);
        if (std::count(text.begin(), text.end(), '"') % 2 != 0) {
            return fail("unbalanced quote in a processing instruction", start);
        }
        at_ = end + 2;
        return true;
    }

    // "<!DOCTYPE ...>": double-quoted literals may hold a '>'. Single quotes, an internal subset and
    // markup inside are refused, as libplist would end the declaration elsewhere.
    bool documentType()
    {
        const std::size_t start = at_;
        for (std::size_t at = start + 9; at < xml_.size(); ++at) {
            const char c = xml_[at];
            if (c == '"') {
                const std::size_t close = xml_.find('"', at + 1);
                if (close == std::string_view::npos) {
                    break;
                }
                if (xml_.substr(at, close - at).find_first_of("'[") != std::string_view::npos) {
                    return fail("document type with single quotes or an internal subset", start);
                }
                at = close;
            } else if (c == '\'' || c == '[') {
                return fail("document type with single quotes or an internal subset", start);
            } else if (c == '<') {
                return malformed("markup inside a document type", at);
            } else if (c == '>') {
                at_ = at + 1;
                return true;
            }
        }
        return malformed("unterminated document type", start);
    }

    // The document's one element: <plist> holding one value, or a value itself.
    bool rootElement(id& root)
    {
        Tag tag{};
        if (!startTag(tag)) {
            return false;
        }
        if (tag.kind == Kind::Key) {
            return fail("<key> outside a dictionary", tag.at);
        }
        if (tag.kind == Kind::Plist) {
            if (tag.selfClosing) {
                return fail("empty <plist>", tag.at);
            }
            return tree(tag, root);
        }
        return value(tag, root);
    }

    // ---- Values.

    // A value whose start tag has just been read, up to and past its end tag.
    bool value(const Tag& tag, id& out)
    {
        if (tag.kind == Kind::Dictionary || tag.kind == Kind::Array) {
            if (tag.selfClosing) {
                out = tag.kind == Kind::Dictionary ? id(arena_.make<NSDictionary>(NSDictionary::Entries()))
                                                 : id(arena_.make<NSArray>(std::vector<id>()));
                return true;
            }
            return tree(tag, out);
        }
        return scalar(tag, out);
    }

    // A container and everything in it, with the explicit stack.
    bool tree(const Tag& rootTag, id& out)
    {
        const std::size_t bottom = frames_.size();
        frames_.push_back({rootTag, values_.size(), keys_.size()});
        while (true) {
            Frame& frame = frames_.back();
            const std::size_t open = skipSpace(at_);
            if (open == xml_.size()) {
                return malformed(fmt::format("<{}> not closed", frame.tag.name), frame.tag.at);
            }
            if (xml_[open] != '<') {
                return fail(fmt::format("text inside <{}>", frame.tag.name), at_);
            }
            at_ = open;
            if (byteAt(at_ + 1) == '/') {
                if (!endTag(frame.tag)) {
                    return false;
                }
                id finished;
                if (!close(finished)) {
                    return false;
                }
                if (frames_.size() == bottom) {
                    out = std::move(finished);
                    return true;
                }
                if (!add(std::move(finished))) {
                    return false;
                }
                continue;
            }
            if (startsWith("<!--", at_)) {
                if (!comment()) {
                    return false;
                }
                continue;
            }
            if (!isNameStart(byteAt(at_ + 1))) {
                return fail(fmt::format("markup inside <{}>", frame.tag.name), at_);
            }
            Tag tag{};
            if (!startTag(tag) || !child(tag)) {
                return false;
            }
        }
    }

    // An element inside the innermost open container.
    bool child(const Tag& tag)
    {
        const Frame& frame = frames_.back();
        if (frame.tag.kind == Kind::Dictionary && !awaitingValue(frame)) {
            if (tag.kind != Kind::Key) {
                return fail(fmt::format("<{}> where a <key> belongs", tag.name), tag.at);
            }
            if (const auto plain = plainText(tag)) {
                keys_.emplace_back(*plain);
                return true;
            }
            std::string key;
            if (!stringText(tag, key)) {
                return false;
            }
            keys_.push_back(std::move(key));
            return true;
        }
        if (tag.kind == Kind::Key) {
            if (frame.tag.kind == Kind::Plist) {
                return fail("<key> outside a dictionary", tag.at);
            }
            return fail("<key> where a value belongs", tag.at);
        }
        if ((tag.kind == Kind::Dictionary || tag.kind == Kind::Array) && !tag.selfClosing) {
            frames_.push_back({tag, values_.size(), keys_.size()});
            return true;
        }
        id made;
        return value(tag, made) && add(std::move(made));
    }

    bool awaitingValue(const Frame& frame) const
    {
        return keys_.size() - frame.firstKey > values_.size() - frame.firstValue;
    }

    bool add(id made)
    {
        const Frame& frame = frames_.back();
        if (frame.tag.kind == Kind::Plist && values_.size() > frame.firstValue) {
            return fail("a second value in <plist>", frame.tag.at);
        }
        values_.push_back(std::move(made));
        return true;
    }

    // Makes the innermost container from its waiting values and pops it.
    bool close(id& out)
    {
        const Frame frame = frames_.back();
        frames_.pop_back();
        const auto first = values_.begin() + static_cast<std::ptrdiff_t>(frame.firstValue);
        switch (frame.tag.kind) {
        case Kind::Plist:
            if (first == values_.end()) {
                return fail("empty <plist>", frame.tag.at);
            }
            out = std::move(*first);
            break;
        case Kind::Array:
            out = arena_.make<NSArray>(std::vector<id>(std::make_move_iterator(first), std::make_move_iterator(values_.end())));
            break;
        default: {
            if (awaitingValue(frame)) {
                return fail(fmt::format("key \"{}\" without a value", keys_.back()), frame.tag.at);
            }
            // A repeated key keeps its last value.
            auto entries = NSDictionary::Entries::fromKeysAndValues(std::span(keys_).subspan(frame.firstKey),
                                                                    std::span(values_).subspan(frame.firstValue), &arena_);
            keys_.resize(frame.firstKey);
            out = arena_.make<NSDictionary>(std::move(entries));
        }
        }
        values_.resize(frame.firstValue);
        return true;
    }

    // ---- Scalars.

    // The content of a scalar up to and past its end tag: text and CDATA into pieces_, comments noted.
    bool content(const Tag& tag)
    {
        pieces_.clear();
        hasComment_ = false;
        if (tag.selfClosing) {
            return true;
        }
        while (true) {
            const std::size_t open = nextMarkup(at_);
            if (open == std::string_view::npos) {
                return malformed(fmt::format("<{}> not closed", tag.name), tag.at);
            }
            if (open > at_) {
                pieces_.push_back({xml_.substr(at_, open - at_), false});
            }
            at_ = open;
            if (startsWith("</", at_)) {
                return endTag(tag);
            }
            if (startsWith("<!--", at_)) {
                hasComment_ = true;
                if (!comment()) {
                    return false;
                }
            } else if (startsWith("<![CDATA[", at_)) {
                const std::size_t end = xml_.find("]]>", at_ + 9);
                if (end == std::string_view::npos) {
                    return malformed("unterminated CDATA section", at_);
                }
                pieces_.push_back({xml_.substr(at_ + 9, end - at_ - 9), true});
                at_ = end + 3;
            } else {
                return fail(fmt::format("markup inside <{}>", tag.name), at_);
            }
        }
    }

    // The text of a scalar written the plain way, as a log's are: character data without references or
    // markup, well-formed UTF-8, straight up to its end tag "</name>", which it moves past. Anything else
    // answers nothing and moves nowhere, for content() to read. One pass over the bytes, for the texts
    // that make up most of a file.
    std::optional<std::string_view> plainText(const Tag& tag)
    {
        if (tag.selfClosing) {
            return std::nullopt;
        }
        const char* const begin = xml_.data() + at_;
        const char* const end = xml_.data() + xml_.size();
        const char* at = begin;
        std::uint64_t bytesOr = 0;
        // Eight bytes at a time up to the word holding the first '<' or '&', which is then cut there;
        // byte by byte only near the end of the document.
        for (std::uint64_t word = 0; end - at >= 8;) {
            std::memcpy(&word, at, 8);
            const std::uint64_t stops = bytesEqualTo(word, '<') | bytesEqualTo(word, '&');
            if (stops == 0) {
                bytesOr |= word;
                at += 8;
                continue;
            }
            const int before = firstMarkedByte(stops);
            bytesOr |= before == 0 ? 0 : word & lowBytesMask(before);
            at += before;
            break;
        }
        while (at != end && !hasClass(*at, kTextStop)) {
            bytesOr |= static_cast<unsigned char>(*at);
            ++at;
        }
        const std::size_t open = static_cast<std::size_t>(at - xml_.data());
        if (at == end || *at != '<' || !isEndTagAt(tag, open)) {
            return std::nullopt;
        }
        const std::string_view text(begin, static_cast<std::size_t>(at - begin));
        if ((bytesOr & 0x8080808080808080ULL) != 0 && !TextSanitizer::isValidUTF8(text)) {
            return std::nullopt;
        }
        at_ = open + 3 + tag.name.size();
        return text;
    }

    // Whether "</name>" of the tag stands at `at`, written without whitespace.
    bool isEndTagAt(const Tag& tag, std::size_t at) const
    {
        const std::size_t size = tag.name.size();
        if (at + 3 + size > xml_.size() || xml_[at + 1] != '/' || xml_[at + 2 + size] != '>') {
            return false;
        }
        // Names are a few bytes: compared inline rather than by a library call.
        for (std::size_t i = 0; i < size; ++i) {
            if (xml_[at + 2 + i] != tag.name[i]) {
                return false;
            }
        }
        return true;
    }

    // The text of a <string> or <key> when it is one run of character data without references, or one
    // CDATA section, already well-formed UTF-8: then it is taken as it stands.
    std::optional<std::string_view> verbatimText() const
    {
        if (pieces_.empty()) {
            return std::string_view();
        }
        if (pieces_.size() == 1 && (pieces_[0].isCDATA || find(pieces_[0].text, '&') == std::string_view::npos) &&
            TextSanitizer::isValidUTF8(pieces_[0].text)) {
            return pieces_[0].text;
        }
        return std::nullopt;
    }

    // Otherwise: character data with references decoded, CDATA as it stands; made well-formed UTF-8.
    bool decodedText(const Tag& tag, std::string& out)
    {
        std::string text;
        for (const Piece& piece : pieces_) {
            if (piece.isCDATA) {
                text.append(piece.text);
            } else if (!XMLPropertyListText::appendDecoded(text, piece.text)) {
                return fail("unknown or malformed entity reference", tag.at);
            }
        }
        out = TextSanitizer::validUTF8(text);
        return true;
    }

    bool stringText(const Tag& tag, std::string& out)
    {
        if (!content(tag)) {
            return false;
        }
        if (const auto verbatim = verbatimText()) {
            out.assign(*verbatim);
            return true;
        }
        return decodedText(tag, out);
    }

    // A scalar's value from its text, read by XMLPropertyListText; a refusal carries the element's place.
    bool parsed(const Tag& tag, std::string_view text, Result<id> (*parse)(std::string_view), id& out)
    {
        auto value = parse(text);
        if (!value) {
            return fail(value.error().reason(), tag.at);
        }
        out = std::move(value).value();
        return true;
    }

    bool scalar(const Tag& tag, id& out)
    {
        switch (tag.kind) {
        case Kind::String: {
            if (const auto plain = plainText(tag)) {
                out = strings_.string(*plain, arena_);
                return true;
            }
            if (!content(tag)) {
                return false;
            }
            if (const auto verbatim = verbatimText()) {
                out = strings_.string(*verbatim, arena_);
                return true;
            }
            std::string text;
            if (!decodedText(tag, text)) {
                return false;
            }
            out = arena_.make<NSString>(std::move(text));
            return true;
        }
        case Kind::Integer:
        case Kind::Real: {
            // Character data and CDATA joined as written.
            const auto parse = tag.kind == Kind::Integer ? &XMLPropertyListText::integer : &XMLPropertyListText::real;
            if (const auto plain = plainText(tag)) {
                return parsed(tag, *plain, parse, out);
            }
            if (!content(tag)) {
                return false;
            }
            if (pieces_.size() == 1) {
                return parsed(tag, pieces_[0].text, parse, out);
            }
            std::string text;
            for (const Piece& piece : pieces_) {
                text.append(piece.text);
            }
            return parsed(tag, text, parse, out);
        }
        case Kind::True:
        case Kind::False:
            if (!content(tag)) {
                return false;
            }
            for (const Piece& piece : pieces_) {
                if (!isAllSpace(piece.text)) {
                    return fail(fmt::format("content inside <{}/>", tag.name), tag.at);
                }
            }
            out = NSNumber::numberWithBool(tag.kind == Kind::True);
            return true;
        case Kind::Date:
        case Kind::Data: {
            // One run of character data or CDATA, nothing else.
            std::string_view text;
            if (const auto plain = plainText(tag)) {
                text = *plain;
            } else {
                if (!content(tag)) {
                    return false;
                }
                if (pieces_.size() > 1 || hasComment_) {
                    return fail(fmt::format("markup inside <{}>", tag.name), tag.at);
                }
                text = pieces_.empty() ? std::string_view() : pieces_[0].text;
            }
            if (tag.kind == Kind::Data) {
                return parsed(tag, text, &XMLPropertyListText::data, out);
            }
            const auto seconds = XMLPropertyListText::date(text);
            if (!seconds) {
                return fail(seconds.error().reason(), tag.at);
            }
            out = arena_.make<NSDate>(seconds.value());
            return true;
        }
        case Kind::Key:
            return fail("<key> where a value belongs", tag.at);
        default:
            return fail(fmt::format("unknown element <{}>", tag.name), tag.at);
        }
    }

    const std::string_view xml_;
    const std::size_t maxDepth_;
    const std::size_t maxObjects_;
    std::size_t elements_ = 0;
    bool isOverLimits_ = false;
    std::size_t at_ = 0;
    std::optional<NSError> error_;
    std::vector<Frame> frames_;
    std::vector<id> values_;
    std::vector<std::string> keys_;
    std::vector<Piece> pieces_;
    bool hasComment_ = false;
    XMLPropertyListArena arena_;
    StringCache strings_;
};

} // namespace

Result<id> XMLPropertyListReader::read(std::string_view xml, const PropertyListLimits& limits)
{
    return Parser(xml, limits).document();
}

Result<id> XMLPropertyListReader::propertyList(std::string_view xml, const PropertyListLimits& limits)
{
    Parser parser(xml, limits);
    auto value = parser.document();
    if (!value && !parser.isOverLimits()) {
        return NSError("not a valid XML property list: " + value.error().reason());
    }
    return value;
}
