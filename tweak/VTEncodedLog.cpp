#include "VTEncodedLog.h"

#include "NSArray.h"
#include "NSDictionary-Vantle.h"
#include "NSDictionary.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"

#include <cstdint>
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

std::optional<std::vector<std::string_view>> VTEncodedLog::elementsOf(std::string_view bytes)
{
    const Frame& known = frame();
    if (known.head.empty() || bytes.size() < known.head.size() + known.tail.size() || !bytes.starts_with(known.head) ||
        !bytes.ends_with(known.tail)) {
        return std::nullopt;
    }
    return elementsIn(bytes.substr(known.head.size(), bytes.size() - known.head.size() - known.tail.size()));
}

std::optional<VTEncodedLog> VTEncodedLog::split(std::string_view bytes, const std::vector<id>& records, Source source)
{
    const auto found = records.empty() ? std::nullopt : elementsOf(bytes);
    if (!found || found->size() != records.size()) {
        return std::nullopt;
    }
    VTEncodedLog log;
    log.sources_.push_back(std::move(source));
    log.oldestFirst_.reserve(found->size());
    // Newest first in the file, oldest first in memory.
    for (std::size_t index = found->size(); index-- > 0;) {
        const std::string_view element = (*found)[index];
        if (!pieceFits(element, records[index]) || element.size() > UINT32_MAX) {
            return std::nullopt;
        }
        const auto identifier = bundleIdentifierOf(records[index]);
        log.oldestFirst_.push_back(Piece{static_cast<std::uint64_t>(element.data() - bytes.data()),
                                         static_cast<std::uint32_t>(element.size()), 0,
                                         identifier ? log.bundleIdentifierNumber(*identifier) : kNoBundleIdentifier,
                                         as<NSDictionary>(records[index]) != nullptr});
    }
    return log;
}

std::optional<VTEncodedLog> VTEncodedLog::split(std::string_view bytes, const std::vector<id>& records,
                                                std::shared_ptr<NSFileHandle> file)
{
    return split(bytes, records, Source{nullptr, std::move(file)});
}

Result<VTEncodedLog> VTEncodedLog::encode(const std::vector<id>& records)
{
    if (records.empty()) {
        return VTEncodedLog();
    }
    auto xml = NSPropertyListSerialization::dataWithPropertyList(NSArray::arrayWithObjects(records));
    if (!xml) {
        return xml.error();
    }
    const auto bytes = std::make_shared<const std::string>(std::move(xml).value());
    auto log = split(*bytes, records, Source{bytes, nullptr});
    if (!log) {
        return NSError("the property-list writer laid the list out in an unexpected way");
    }
    return std::move(*log);
}

std::uint32_t VTEncodedLog::bundleIdentifierNumber(const std::string& bundleIdentifier)
{
    const auto number = static_cast<std::uint32_t>(bundleIdentifierNumbers_.size());
    return bundleIdentifierNumbers_.try_emplace(bundleIdentifier, number).first->second;
}

void VTEncodedLog::prepend(VTEncodedLog&& newer)
{
    const auto firstSource = static_cast<std::uint32_t>(sources_.size());
    sources_.insert(sources_.end(), std::make_move_iterator(newer.sources_.begin()),
                    std::make_move_iterator(newer.sources_.end()));
    std::vector<std::uint32_t> numbers(newer.bundleIdentifierNumbers_.size());
    for (const auto& [identifier, number] : newer.bundleIdentifierNumbers_) {
        numbers[number] = bundleIdentifierNumber(identifier);
    }
    for (Piece piece : newer.oldestFirst_) {
        piece.source += firstSource;
        if (piece.bundleIdentifier != kNoBundleIdentifier) {
            piece.bundleIdentifier = numbers[piece.bundleIdentifier];
        }
        oldestFirst_.push_back(piece);
    }
    newer = VTEncodedLog();
}

std::size_t VTEncodedLog::removeRecordsOf(const std::string& bundleIdentifier)
{
    const auto number = bundleIdentifierNumbers_.find(bundleIdentifier);
    if (number == bundleIdentifierNumbers_.end()) {
        return 0;
    }
    return std::erase_if(oldestFirst_, [&](const Piece& piece) { return piece.bundleIdentifier == number->second; });
}

std::optional<std::string> VTEncodedLog::bytesOf(const Piece& piece) const
{
    const Source& source = sources_[piece.source];
    if (source.bytes) {
        return source.bytes->substr(piece.offset, piece.length);
    }
    std::string bytes(piece.length, '\0');
    if (source.file->readAtOffset(piece.offset, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

bool VTEncodedLog::removeNewestRecordLike(const VTEncodedLog& record)
{
    if (record.oldestFirst_.size() != 1) {
        return false;
    }
    const auto wanted = record.bytesOf(record.oldestFirst_.front());
    if (!wanted) {
        return false;
    }
    const auto found = std::find_if(oldestFirst_.rbegin(), oldestFirst_.rend(), [&](const Piece& piece) {
        return piece.length == wanted->size() && bytesOf(piece) == wanted;
    });
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

std::vector<NSFileManager::Piece> VTEncodedLog::pieces() const
{
    const Frame& known = frame();
    std::vector<NSFileManager::Piece> inOrder;
    inOrder.push_back(NSFileManager::Piece::inMemory(known.head));
    const Piece* last = nullptr;
    for (auto piece = oldestFirst_.rbegin(); piece != oldestFirst_.rend(); ++piece) {
        const Source& source = sources_[piece->source];
        if (last && last->source == piece->source && last->offset + last->length == piece->offset) {
            // Side by side in the same place: one piece (a long run of unchanged records is one copy).
            auto& joined = inOrder.back();
            if (joined.file) {
                joined.length += piece->length;
            } else {
                joined.bytes = std::string_view(joined.bytes.data(), joined.bytes.size() + piece->length);
            }
        } else if (source.bytes) {
            inOrder.push_back(NSFileManager::Piece::inMemory(std::string_view(*source.bytes).substr(piece->offset, piece->length)));
        } else {
            inOrder.push_back(NSFileManager::Piece::inFile(*source.file, piece->offset, piece->length));
        }
        last = &*piece;
    }
    inOrder.push_back(NSFileManager::Piece::inMemory(known.tail));
    return inOrder;
}

void VTEncodedLog::nowIn(std::shared_ptr<NSFileHandle> file)
{
    std::uint64_t offset = frame().head.size();
    for (auto piece = oldestFirst_.rbegin(); piece != oldestFirst_.rend(); ++piece) {
        piece->offset = offset;
        piece->source = 0;
        offset += piece->length;
    }
    sources_.assign(1, Source{nullptr, std::move(file)});
}
