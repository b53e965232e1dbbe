#pragma once

#include "NSDictionary.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The log files' bytes as the panel's load read them, holding the store's lock, and the records in them.
// Reading the bytes is quick; parsing a long log into records is not, so the bytes are read under the lock
// and parsed after it is released, and a load can read the newest records (enough for a screen) before it
// parses the whole.
class VTLogSnapshot {
public:
    using Records = std::vector<std::shared_ptr<NSDictionary>>;

    // Reads the new-notifications file and, with `withOldNotifications`, the old one. REQUIRES: the caller
    // holds PLWriter::storeLock(), so the files are as one moment of the store left them.
    static VTLogSnapshot read(bool withOldNotifications);

    // Every record, the new-notifications file's first, each file's in file order; elements that are not
    // dictionaries are skipped, and a file that is missing or does not read as a list gives none.
    // `newRecords` is set to how many came from the new-notifications file.
    Records records(unsigned& newRecords) const;

    // The records as found by the store's own layout (VTEncodedLog::elementsOf), before any is parsed.
    class Outline {
    public:
        // How many records the files hold, and how many of them the new-notifications file.
        std::size_t count() const { return elements_.size(); }
        unsigned newRecords() const { return newRecords_; }
        // The record at the position, parsed on its own; null when it does not parse as a dictionary (then
        // the outline was wrong, and only records() tells what the files hold).
        std::shared_ptr<NSDictionary> recordAt(std::size_t position) const;
        // What the writer's layout of a record (its keys at two tabs, each value on the line after its key)
        // says of its "Application", found without parsing the record: its text as written, XML references
        // unresolved (see unescaped), or none when the record has no "Application" that is text; not
        // understood when the key is laid out otherwise. Only a parse tells for sure.
        struct LaidOutName {
            bool understood = false;
            std::optional<std::string_view> escaped;
        };
        LaidOutName applicationAt(std::size_t position) const;
        // Text as written in a string element, its references resolved; absent when XML does not allow it.
        static std::optional<std::string> unescaped(std::string_view escaped);

    private:
        friend class VTLogSnapshot;
        std::vector<std::string_view> elements_; // the dictionaries only, into the snapshot's bytes
        unsigned newRecords_ = 0;
    };
    // Absent when a file that exists is not laid out as the store writes (another writer's, the binary
    // form, unreadable): then only records() can tell. Views into this snapshot, which must outlive it.
    std::optional<Outline> outline() const;

private:
    // A file as read: missing, unreadable, or its bytes.
    struct File {
        bool exists = false;
        std::optional<std::string> bytes;
    };
    static File readFile(const char* path);
    static void appendRecords(const File& file, Records& records);

    File new_;
    File old_;
};
