#pragma once

#include "NSError.h"
#include "NSFileHandle.h"
#include "NSFileManager.h"
#include "NSObject.h"
#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The XML form of a log file (a list of plain records, newest first) kept as pieces: the text before the
// list's elements, one piece per record, and the text after them. The property-list writer lays out each
// element of a list the same way whatever surrounds it, so a record encoded on its own, as the only element
// of a list, gives exactly the piece a full encode of the whole list gives it. Records are therefore added
// in front and removed by joining pieces, without encoding or parsing the others again, and the joined
// bytes are the very bytes a full encode of the same list would give.
//
// Memory. A piece is only where its bytes lie and the record's bundle identifier (shared by all records of
// an application): in the output of an encode, which the log holds until it is written, or in a file, held
// open (see NSFileHandle), which the log was read from or last written to. So a log of 100,000 records
// costs a few megabytes while it sits between writes; its bytes are in the file, and a write copies them
// from there.
//
// Not thread-safe; the log store uses it under its lock.
class VTEncodedLog {
public:
    VTEncodedLog() = default;

    // The records (newest first) encoded as one list.
    static Result<VTEncodedLog> encode(const std::vector<id>& records);
    // The pieces of `bytes`, the contents of `file` that read as `records`, if the file is laid out exactly
    // as the writer lays out that list (as every file this system writes is); absent otherwise (another
    // writer's XML, the binary form), when only encode() gives the pieces. The log refers to the file, not to
    // `bytes`.
    static std::optional<VTEncodedLog> split(std::string_view bytes, const std::vector<id>& records,
                                             std::shared_ptr<NSFileHandle> file);
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
    // their order. Answers whether one went (not when the file holding the pieces cannot be read).
    bool removeNewestRecordLike(const VTEncodedLog& record);
    // Keeps only the newest `count` records. Answers how many went.
    std::size_t keepNewest(std::size_t count);

    // Whether any element is not a dictionary (so not a record the list shows), among all of them or among
    // those keepNewest(count) would drop.
    bool holdsOtherElements() const { return othersAmongOldest(oldestFirst_.size()); }
    bool othersAmongOldest(std::size_t count) const;

    std::size_t count() const { return oldestFirst_.size(); }
    bool empty() const { return oldestFirst_.empty(); }
    // The whole file, as pieces in file order (the writer's frame around the records, newest first, with
    // neighbours that lie side by side joined), for the file manager to write one after another. They refer
    // to this log. REQUIRES: !empty() (the store removes a log file that holds no record).
    std::vector<NSFileManager::Piece> pieces() const;
    // After pieces() were written as `file`: the log refers to that file, where its records now lie, and lets
    // go of whatever else it held.
    void nowIn(std::shared_ptr<NSFileHandle> file);

private:
    static constexpr std::uint32_t kNoBundleIdentifier = UINT32_MAX;

    // Where a piece's bytes lie: at `offset` in sources_[source].
    struct Piece {
        std::uint64_t offset = 0;
        std::uint32_t length = 0;
        std::uint32_t source = 0;
        std::uint32_t bundleIdentifier = kNoBundleIdentifier; // its number in bundleIdentifierNumbers_
        bool isRecord = true;
    };
    // An encode's output, or a file.
    struct Source {
        std::shared_ptr<const std::string> bytes;
        std::shared_ptr<NSFileHandle> file;
    };

    static std::optional<VTEncodedLog> split(std::string_view bytes, const std::vector<id>& records, Source source);
    std::uint32_t bundleIdentifierNumber(const std::string& bundleIdentifier);
    // The piece's bytes; absent when its file cannot be read.
    std::optional<std::string> bytesOf(const Piece& piece) const;

    // Kept oldest first, so adding the newest records appends.
    std::vector<Piece> oldestFirst_;
    std::vector<Source> sources_;
    std::unordered_map<std::string, std::uint32_t> bundleIdentifierNumbers_;
};
