#pragma once

#include "UITableView.h"
#include "UITableViewCell.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A table's data source and delegate over a list of sections of row texts, counting every question the
// table asks and recording every event it reports. Deleting through the confirmation button removes the
// row from the lists and tells the table, as a real data source does.
class RecordingTableSource : public UITableViewDataSource, public UITableViewDelegate {
public:
    struct Counts {
        int sections = 0;
        int rows = 0;
        int heights = 0;
        int cells = 0;
        int cellsMade = 0;
        int titles = 0;
    };

    std::vector<std::vector<std::string>> sections;
    std::vector<std::optional<std::string>> headers;
    std::vector<std::optional<std::string>> footers;
    std::function<double(const NSIndexPath&)> height;
    std::function<bool(const NSIndexPath&)> editable = [](const NSIndexPath&) { return true; };
    UITableViewCellEditingStyle editingStyle = UITableViewCellEditingStyle::Delete;
    std::string deleteTitle = "Delete";
    UITableViewCellStyle cellStyle = UITableViewCellStyle::Default;
    bool deleteOnCommit = true;

    Counts asked;
    std::vector<NSIndexPath> selections;
    std::vector<std::pair<UITableViewCellEditingStyle, NSIndexPath>> commits;
    std::function<void(UITableView&, const NSIndexPath&)> onSelect;

    static RecordingTableSource withRows(int count, int sectionCount = 1)
    {
        RecordingTableSource source;
        for (int s = 0; s < sectionCount; ++s) {
            std::vector<std::string> rows;
            for (int r = 0; r < count; ++r) {
                rows.push_back("Row " + std::to_string(s) + "." + std::to_string(r));
            }
            source.sections.push_back(std::move(rows));
        }
        return source;
    }

    void resetCounts() { asked = {}; }

    int numberOfSectionsInTableView(UITableView&) override
    {
        ++asked.sections;
        return static_cast<int>(sections.size());
    }
    int numberOfRowsInSection(UITableView&, int section) override
    {
        ++asked.rows;
        return static_cast<int>(sections.at(static_cast<std::size_t>(section)).size());
    }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override
    {
        ++asked.cells;
        auto cell = table.dequeueReusableCellWithIdentifier("Cell");
        if (!cell) {
            ++asked.cellsMade;
            cell = std::make_shared<UITableViewCell>(cellStyle, "Cell");
        }
        cell->textLabel()->setText(textAt(path));
        return cell;
    }
    std::optional<std::string> titleForHeaderInSection(UITableView&, int section) override
    {
        ++asked.titles;
        return static_cast<std::size_t>(section) < headers.size() ? headers[section] : std::nullopt;
    }
    std::optional<std::string> titleForFooterInSection(UITableView&, int section) override
    {
        return static_cast<std::size_t>(section) < footers.size() ? footers[section] : std::nullopt;
    }
    bool canEditRowAtIndexPath(UITableView&, const NSIndexPath& path) override { return editable(path); }
    void commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle style,
                                             const NSIndexPath& path) override
    {
        commits.emplace_back(style, path);
        if (deleteOnCommit && style == UITableViewCellEditingStyle::Delete) {
            auto& rows = sections.at(static_cast<std::size_t>(path.section()));
            rows.erase(rows.begin() + path.row());
            table.deleteRowsAtIndexPaths({path}, UITableViewRowAnimation::Right);
        }
    }

    double heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override
    {
        ++asked.heights;
        return height ? height(path) : table.rowHeight();
    }
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override
    {
        selections.push_back(path);
        if (onSelect) {
            onSelect(table, path);
        }
    }
    UITableViewCellEditingStyle editingStyleForRowAtIndexPath(UITableView&, const NSIndexPath&) override
    {
        return editingStyle;
    }
    std::string titleForDeleteConfirmationButtonForRowAtIndexPath(UITableView&, const NSIndexPath&) override
    {
        return deleteTitle;
    }

    std::string textAt(const NSIndexPath& path) const
    {
        return sections.at(static_cast<std::size_t>(path.section())).at(static_cast<std::size_t>(path.row()));
    }
};
