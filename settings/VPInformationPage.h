#pragma once

#include "VPTablePage.h"

#include <optional>
#include <string>
#include <vector>

// A read-only page of fixed rows in a grouped table: the About, More Info and Help pages. A row is either a
// text with a detail of as many lines as it needs (no selection highlight) or a link that opens its web
// page; a tap first deselects the row. Images come from the bundle's folder. Main thread only.
class VPInformationPage : public VPTablePage {
public:
    struct Row {
        enum class Kind { Text, Link };
        Kind kind;
        std::string reuseIdentifier;
        std::string text;
        std::string detail;   // Text rows
        std::string image;    // a file of the bundle's folder, or none
        double height = 0;    // 0: the table's default
        std::string url;      // Link rows
    };
    struct Section {
        std::optional<std::string> header;
        std::optional<std::string> footer;
        std::vector<Row> rows;
    };

    static constexpr const char* kTagline = "Notifications the way Apple should have done it.";

    VPInformationPage(std::string title, std::vector<Section> sections);

    const std::vector<Section>& sections() const { return sections_; }

    void viewDidLoad() override;

    int numberOfSectionsInTableView(UITableView& table) override;
    int numberOfRowsInSection(UITableView& table, int section) override;
    std::optional<std::string> titleForHeaderInSection(UITableView& table, int section) override;
    std::optional<std::string> titleForFooterInSection(UITableView& table, int section) override;
    double heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    // The product's top row: its icon, its name and its tagline.
    static Row productRow();

private:
    const Row& rowAt(const NSIndexPath& path) const;

    std::string pageTitle_;
    std::vector<Section> sections_;
};
