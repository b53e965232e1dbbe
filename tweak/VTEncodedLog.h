#pragma once

#include "NSError.h"
#include "NSObject.h"
#include "Result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The XML form of a log file (a list of plain records, newest first) kept in pieces: the text before the
// list's elements, one piece per record, and the text after them. The property-list writer lays out each
// element of a list the same way whatever surrounds it, so a record encoded on its own, as the only element
// of a list, gives exactly the piece a full encode of the whole list gives it. Records are therefore added
// in front and removed by joining pieces, without encoding or parsing the others again, and the joined
// bytes are the very bytes a full encode of the same list would give.
//
// Not thread-safe; the log store uses it under its lock.
class VTEncodedLog {
public:
    VTEncodedLog() = default;

    // The records (newest first) encoded as one list.
    static Result<VTEncodedLog> encode(const std::vector<id>& records);
    // The pieces of `bytes`, a file that read as `records`, if the file is laid out exactly as the writer
    // lays out that list (as every file this system writes is); absent otherwise (another writer's XML, the
    // binary form), when only encode() gives the pieces.
    static std::optional<VTEncodedLog> split(std::string_view bytes, const std::vector<id>& records);
    // The elements of `bytes`, newest first, each as the writer lays out an element of a list (its own lines,
    // opened at the list's indentation), found by that layout alone without parsing anything: so cheap that
    // a reader can count a long log's records, or read its newest ones, before it parses the whole. Absent
    // when the bytes do not open and close as the writer's non-empty list does. A file of another writer can
    // still be cut wrongly; only a parse of the whole tells for sure.
    static std::optional<std::vector<std::string_view>> elementsOf(std::string_view bytes);
    // Whether an element found by elementsOf is a dictionary (so a record, if it parses).
    static bool isDictionaryElement(std::string_view element) { return element.starts_with("\t<dict"); }

    // Puts the records of `newer` in front of the ones held.
    void prepend(VTEncodedLog&& newer);
    // Removes every record whose "Bundle Identifier" equals `bundleIdentifier` exactly; the others keep
    // their order. Answers how many went.
    std::size_t removeRecordsOf(const std::string& bundleIdentifier);
    // Removes the newest record that encodes exactly as the one record of `record` does; the others keep
    // their order. Answers whether one went.
    bool removeNewestRecordLike(const VTEncodedLog& record);
    // Keeps only the newest `count` records. Answers how many went.
    std::size_t keepNewest(std::size_t count);

    // Whether any element is not a dictionary (so not a record the list shows), among all of them or among
    // those keepNewest(count) would drop.
    bool holdsOtherElements() const { return othersAmongOldest(oldestFirst_.size()); }
    bool othersAmongOldest(std::size_t count) const;

    std::size_t count() const { return oldestFirst_.size(); }
    bool empty() const { return oldestFirst_.empty(); }
    // The whole file, as pieces in file order (the writer's frame around the records, newest first), for
    // the file manager to write one after another without joining them. Views into this log. REQUIRES:
    // !empty() (the store removes a log file that holds no record).
    std::vector<std::string_view> pieces() const;

private:
    struct Piece {
        std::string xml;
        std::optional<std::string> bundleIdentifier;
        bool isRecord = true;
    };

    static std::optional<std::vector<Piece>> piecesOf(const std::vector<std::string_view>& elements,
                                                      const std::vector<id>& records);

    // Kept oldest first, so adding the newest records appends.
    std::vector<Piece> oldestFirst_;
};
