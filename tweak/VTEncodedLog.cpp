#include "VTEncodedLog.h"

#include "NSArray.h"
#include "NSDictionary-Vantle.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"

#include <algorithm>
#include <iterator>

namespace {

// What the writer puts before a non-empty list's elements and after them, the same for every list.
struct Frame {
    std::string head;
    std::string tail;
};

const Frame& frame()
{
    static const Frame known = [] {
        const auto xml = NSPropertyListSerialization::dataWithPropertyList(
            NSArray::arrayWithObjects({NSString::stringWithString("")}));
        constexpr std::string_view kOpen = "<array>\n";
        constexpr std::string_view kClose = "</array>\n";
        if (!xml) {
            return Frame{};
        }
        const std::string& bytes = xml.value();
        const std::size_t open = bytes.find(kOpen);
        const std::size_t close = bytes.rfind(kClose);
        if (open == std::string::npos || close == std::string::npos || close < open) {
            return Frame{};
        }
        return Frame{bytes.substr(0, open + kOpen.size()), bytes.substr(close)};
    }();
    return known;
}

std::optional<std::string> bundleIdentifierOf(const id& record)
{
    const auto dictionary = as<NSDictionary>(record);
    const auto identifier = dictionary ? as<NSString>(NSDictionaryVantle::bundleIdentifier(*dictionary)) : nullptr;
    return identifier ? std::optional<std::string>(identifier->string()) : std::nullopt;
}

// Each element of a list starts on a line of its own, indented by one tab; whatever is nested inside is
// indented further, and text never holds a '<' (the writer escapes it), so a line that starts with one tab
// and an opening tag starts the next element.
std::vector<std::string_view> elementsIn(std::string_view elements)
{
    std::vector<std::string_view> found;
    std::size_t start = 0;
    for (std::size_t at = elements.find("\n\t<"); at != std::string_view::npos; at = elements.find("\n\t<", at + 1)) {
        if (at + 3 < elements.size() && elements[at + 3] != '/') {
            found.push_back(elements.substr(start, at + 1 - start));
            start = at + 1;
        }
    }
    if (start < elements.size()) {
        found.push_back(elements.substr(start));
    }
    return found;
}

// Whether the piece is laid out as the writer lays out this record: a dictionary opens and closes on
// lines of their own at the list's indentation.
bool pieceFits(std::string_view piece, const id& record)
{
    if (!piece.starts_with("\t<")) {
        return false;
    }
    if (!as<NSDictionary>(record)) {
        return !piece.starts_with("\t<dict");
    }
    return piece == "\t<dict/>\n" || (piece.starts_with("\t<dict>\n") && piece.ends_with("\t</dict>\n"));
}

} // namespace

std::optional<std::vector<VTEncodedLog::Piece>> VTEncodedLog::piecesOf(const std::vector<std::string_view>& found,
                                                                        const std::vector<id>& records)
{
    if (found.size() != records.size()) {
        return std::nullopt;
    }
    std::vector<Piece> pieces;
    pieces.reserve(found.size());
    // Newest first in the file, oldest first in memory.
    for (std::size_t index = found.size(); index-- > 0;) {
        if (!pieceFits(found[index], records[index])) {
            return std::nullopt;
        }
        pieces.push_back(Piece{std::string(found[index]), bundleIdentifierOf(records[index]),
                               as<NSDictionary>(records[index]) != nullptr});
    }
    return pieces;
}

std::optional<std::vector<std::string_view>> VTEncodedLog::elementsOf(std::string_view bytes)
{
    const Frame& known = frame();
    if (known.head.empty() || bytes.size() < known.head.size() + known.tail.size() || !bytes.starts_with(known.head) ||
        !bytes.ends_with(known.tail)) {
        return std::nullopt;
    }
    return elementsIn(bytes.substr(known.head.size(), bytes.size() - known.head.size() - known.tail.size()));
}

std::optional<VTEncodedLog> VTEncodedLog::split(std::string_view bytes, const std::vector<id>& records)
{
    const auto elements = records.empty() ? std::nullopt : elementsOf(bytes);
    auto pieces = elements ? piecesOf(*elements, records) : std::nullopt;
    if (!pieces) {
        return std::nullopt;
    }
    VTEncodedLog log;
    log.oldestFirst_ = std::move(*pieces);
    return log;
}

Result<VTEncodedLog> VTEncodedLog::encode(const std::vector<id>& records)
{
    if (records.empty()) {
        return VTEncodedLog();
    }
    const auto xml = NSPropertyListSerialization::dataWithPropertyList(NSArray::arrayWithObjects(records));
    if (!xml) {
        return xml.error();
    }
    auto log = split(xml.value(), records);
    if (!log) {
        return NSError("the property-list writer laid the list out in an unexpected way");
    }
    return std::move(*log);
}

void VTEncodedLog::prepend(VTEncodedLog&& newer)
{
    auto& pieces = newer.oldestFirst_;
    oldestFirst_.insert(oldestFirst_.end(), std::make_move_iterator(pieces.begin()), std::make_move_iterator(pieces.end()));
    pieces.clear();
}

std::size_t VTEncodedLog::removeRecordsOf(const std::string& bundleIdentifier)
{
    return std::erase_if(oldestFirst_, [&](const Piece& piece) { return piece.bundleIdentifier == bundleIdentifier; });
}

bool VTEncodedLog::removeNewestRecordLike(const VTEncodedLog& record)
{
    if (record.oldestFirst_.size() != 1) {
        return false;
    }
    const std::string& wanted = record.oldestFirst_.front().xml;
    const auto found = std::find_if(oldestFirst_.rbegin(), oldestFirst_.rend(),
                                    [&](const Piece& piece) { return piece.xml == wanted; });
    if (found == oldestFirst_.rend()) {
        return false;
    }
    oldestFirst_.erase(std::next(found).base());
    return true;
}

std::size_t VTEncodedLog::keepNewest(std::size_t count)
{
    const std::size_t dropped = oldestFirst_.size() > count ? oldestFirst_.size() - count : 0;
    oldestFirst_.erase(oldestFirst_.begin(), oldestFirst_.begin() + static_cast<std::ptrdiff_t>(dropped));
    return dropped;
}

bool VTEncodedLog::othersAmongOldest(std::size_t count) const
{
    const auto end = oldestFirst_.begin() + static_cast<std::ptrdiff_t>(std::min(count, oldestFirst_.size()));
    return std::any_of(oldestFirst_.begin(), end, [](const Piece& piece) { return !piece.isRecord; });
}

std::vector<std::string_view> VTEncodedLog::pieces() const
{
    const Frame& known = frame();
    std::vector<std::string_view> inOrder;
    inOrder.reserve(oldestFirst_.size() + 2);
    inOrder.push_back(known.head);
    for (auto piece = oldestFirst_.rbegin(); piece != oldestFirst_.rend(); ++piece) {
        inOrder.push_back(piece->xml);
    }
    inOrder.push_back(known.tail);
    return inOrder;
}
