#include "TableWriter.h"

#include "DateText.h"
#include "DisplayText.h"
#include "LogFile.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSString.h"
#include "ValueDescription.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>

namespace {

constexpr const char* kApplication = "Application";
constexpr const char* kBody = "Body";
constexpr const char* kBundleIdentifier = "Bundle Identifier";
constexpr const char* kDate = "Date";
constexpr const char* kMissing = "<missing>";
constexpr std::array<const char*, 4> kRecordKeys{kDate, kApplication, kBundleIdentifier, kBody};

std::string dateCell(const NSDictionary& record)
{
    const id value = record.objectForKey(kDate);
    if (!value) {
        return kMissing;
    }
    if (auto date = as<NSDate>(value)) {
        if (auto iso = DateText::iso8601(*date)) {
            return *iso;
        }
    }
    return ValueDescription::describe(value);
}

std::string textCell(const NSDictionary& record, const char* key, bool optional)
{
    const id value = record.objectForKey(key);
    if (!value) {
        return optional ? "" : kMissing;
    }
    if (auto string = as<NSString>(value)) {
        return DisplayText::escaped(string->string());
    }
    return ValueDescription::describe(value);
}

std::string otherKeysCell(const NSDictionary& record)
{
    std::string cell;
    for (const auto& [key, value] : record.entries()) {
        if (std::find(kRecordKeys.begin(), kRecordKeys.end(), key) != kRecordKeys.end()) {
            continue;
        }
        cell += (cell.empty() ? "" : ", ") + DisplayText::escaped(key) + ": " + ValueDescription::describe(value);
    }
    return cell;
}

std::vector<std::string> rowOf(const id& element)
{
    const auto record = as<NSDictionary>(element);
    if (!record) {
        return {"", "", "", "", "not a record: " + ValueDescription::describe(element)};
    }
    return {dateCell(*record), textCell(*record, kApplication, false), textCell(*record, kBundleIdentifier, true),
            textCell(*record, kBody, false), otherKeysCell(*record)};
}

std::string heading(std::string_view title, const LogFile& file)
{
    if (file.isUnreadable()) {
        return fmt::format("{} (unreadable: {})", title, DisplayText::escaped(file.reason()));
    }
    return fmt::format("{} ({})", title, file.elements().size());
}

} // namespace

std::vector<std::vector<std::string>> TableWriter::rows(const LogFile& file)
{
    std::vector<std::vector<std::string>> rows{{kDate, kApplication, kBundleIdentifier, kBody, "Other"}};
    for (const id& element : file.elements()) {
        rows.push_back(rowOf(element));
    }
    const bool anyOther = std::any_of(rows.begin() + 1, rows.end(), [](const auto& row) { return !row.back().empty(); });
    if (!anyOther) {
        for (auto& row : rows) {
            row.pop_back();
        }
    }
    return rows;
}

std::string TableWriter::aligned(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], DisplayText::width(row[column]));
        }
    }
    std::string out;
    for (const auto& row : rows) {
        // Padding only up to the last cell with text, so a row never ends in spaces of its own making.
        std::size_t last = row.size();
        while (last > 0 && row[last - 1].empty()) {
            --last;
        }
        for (std::size_t column = 0; column < last; ++column) {
            out += row[column];
            if (column + 1 < last) {
                out.append(widths[column] - DisplayText::width(row[column]) + 2, ' ');
            }
        }
        out += "\n";
    }
    return out;
}

std::string TableWriter::table(std::string_view title, const LogFile& file)
{
    const std::string head = heading(title, file) + "\n";
    if (file.elements().empty()) {
        return head;
    }
    return head + aligned(rows(file));
}
