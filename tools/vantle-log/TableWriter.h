#pragma once

#include <string>
#include <string_view>
#include <vector>

class LogFile;

// One log file as a readable table under a heading ("New notifications (3)"): a row per element, newest
// first, in aligned columns Date (ISO 8601, UTC), Application, Bundle Identifier and Body, each row on one
// line (texts escaped, see DisplayText). A value of another type than its column expects is shown marked
// with its type (see ValueDescription), a missing one as `<missing>`; keys beyond the four and elements
// that are not records go to a last column, "Other", shown only when some row needs it.
class TableWriter {
public:
    static std::string table(std::string_view title, const LogFile& file);
    // The rows of a file's elements, cell by cell, before alignment: the header row first.
    static std::vector<std::vector<std::string>> rows(const LogFile& file);
    // The rows with every column but the last padded to its widest cell, two spaces apart, one per line.
    static std::string aligned(const std::vector<std::vector<std::string>>& rows);
};
