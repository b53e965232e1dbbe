#include "XMLPropertyListReader.h"

#include "NSArray.h"
#include "NSDictionary.h"
#include "NSNumber.h"
#include "NSString.h"
#include "TextSanitizer.h"
#include "XMLPropertyListText.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Text is kept as written (no end-of-line normalisation, entities decoded here), and every node that can
// change what a value holds is kept so it can be checked: comments, CDATA, processing instructions, the
// document type, an element's lone run of whitespace and, as a fragment, text outside the document
// element. Whitespace between elements is dropped (keeping it costs more than the rest of the parse). An
// element's first run of text is its value rather than a node of its own, which halves the nodes.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype | pugi::parse_ws_pcdata_single |
                                   pugi::parse_fragment | pugi::parse_embed_pcdata;

enum class Kind { Dictionary, Array, String, Key, Integer, Real, True, False, Date, Data, Unknown };

// Whether a NUL-terminated name is the literal; inline, as this runs for every element.
template <std::size_t N>
bool isNamed(const char* name, const char (&literal)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (name[i] != literal[i]) {
            return false;
        }
    }
    return true;
}

Kind kindOf(const pugi::xml_node& element)
{
    const char* name = element.name();
    switch (name[0]) {
    case 'd':
        return isNamed(name, "dict") ? Kind::Dictionary
               : isNamed(name, "date") ? Kind::Date
               : isNamed(name, "data") ? Kind::Data
                                       : Kind::Unknown;
    case 'a':
        return isNamed(name, "array") ? Kind::Array : Kind::Unknown;
    case 's':
        return isNamed(name, "string") ? Kind::String : Kind::Unknown;
    case 'k':
        return isNamed(name, "key") ? Kind::Key : Kind::Unknown;
    case 'i':
        return isNamed(name, "integer") ? Kind::Integer : Kind::Unknown;
    case 'r':
        return isNamed(name, "real") ? Kind::Real : Kind::Unknown;
    case 't':
        return isNamed(name, "true") ? Kind::True : Kind::Unknown;
    case 'f':
        return isNamed(name, "false") ? Kind::False : Kind::Unknown;
    default:
        return Kind::Unknown;
    }
}

bool isAllSpace(std::string_view text)
{
    for (const char c : text) {
        if (!XMLPropertyListText::isWhitespace(c)) {
            return false;
        }
    }
    return true;
}

std::string_view valueOf(const pugi::xml_node& node)
{
    return node.value();
}

NSError refused(const pugi::xml_node& node, std::string_view what)
{
    return NSError(fmt::format("{} at byte {}", what, node.offset_debug()));
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

// The DOM keeps a lone run of text (whitespace too) as the element's value. Anything else (text beside
// comments or CDATA, whose whitespace-only runs the DOM drops, even after a lone CDATA section) is read
// again from the source, which pugixml has already found well-formed.
Result<Content> contentOf(const pugi::xml_node& element, std::string_view xml)
{
    Content content;
    const std::string_view text = valueOf(element);
    const pugi::xml_node child = element.first_child();
    if (!child) {
        if (!text.empty()) {
            content.add({text, false});
        }
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
            const std::size_t end = xml.find("-->", open + 4);
            if (end == std::string_view::npos) {
                break;
            }
            content.noteComment();
            position = end + 3;
        } else if (markup.substr(0, 9) == "<![CDATA[") {
            const std::size_t end = xml.find("]]>", open + 9);
            if (end == std::string_view::npos) {
                break;
            }
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
            decoded = decoded && XMLPropertyListText::appendDecoded(text, piece.text);
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

// A scalar's text read by XMLPropertyListText; its refusal carries the element's place.
template <class Parse>
Result<id> scalarFromText(const pugi::xml_node& element, Result<std::string_view> text, Parse parse)
{
    if (!text) {
        return text.error();
    }
    auto value = parse(text.value());
    if (!value) {
        return refused(element, value.error().reason());
    }
    return value;
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
    case Kind::Real: {
        const auto text = numberText(element, xml);
        if (!text) {
            return text.error();
        }
        const auto parse = kind == Kind::Integer ? &XMLPropertyListText::integer : &XMLPropertyListText::real;
        return scalarFromText(element, std::string_view(text.value()), parse);
    }
    case Kind::True:
        return booleanValue(element, true, xml);
    case Kind::False:
        return booleanValue(element, false, xml);
    case Kind::Date:
        return scalarFromText(element, singleText(element, xml), &XMLPropertyListText::date);
    case Kind::Data:
        return scalarFromText(element, singleText(element, xml), &XMLPropertyListText::data);
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
            // Keys usually come sorted (libplist writes them so): the end is the likely place.
            entries.insert_or_assign(entries.end(), std::move(*key), std::move(value));
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

// A container, its first run of text (its value in the DOM) checked to be whitespace.
Result<Container> open(const pugi::xml_node& element, Kind kind)
{
    if (!isAllSpace(valueOf(element))) {
        return refused(element, fmt::format("text inside <{}>", element.name()));
    }
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
    auto rootContainer = open(root, rootKind);
    if (!rootContainer) {
        return rootContainer.error();
    }
    stack.push_back(std::move(rootContainer).value());
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
            auto opened = open(element, kind);
            if (!opened) {
                return opened.error();
            }
            stack.push_back(std::move(opened).value());
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
        return checkAttributes(node);
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
    if (!isNamed(documentElement.name(), "plist")) {
        if (kindOf(documentElement) == Kind::Key) {
            return refused(documentElement, "<key> outside a dictionary");
        }
        return documentElement;
    }
    if (auto error = checkAttributes(documentElement)) {
        return *error;
    }
    auto plist = open(documentElement, Kind::Array);
    if (!plist) {
        return plist.error();
    }
    auto value = nextElement(plist.value());
    if (!value) {
        return value.error();
    }
    if (!value.value()) {
        return refused(documentElement, "empty <plist>");
    }
    auto extra = nextElement(plist.value());
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
