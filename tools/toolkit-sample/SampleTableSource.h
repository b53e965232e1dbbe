#pragma once

#include "UITableViewConstants.h"
#include "UITableViewDataSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIImage;

// The rows of the sample table: one section per cell style (default, title and detail, subtitle), each
// with a header and a footer title, some rows with an image and one with a disclosure indicator.
class SampleTableSource : public UITableViewDataSource {
public:
    struct Row {
        std::string text;
        std::string detail;
        std::shared_ptr<UIImage> image;
        bool disclosure = false;
    };
    struct Section {
        UITableViewCellStyle style;
        std::string header;
        std::string footer;
        std::vector<Row> rows;
    };

    // The images by artwork name ("Messages.png", say); a null answer leaves the row without one.
    using ImageLoader = std::function<std::shared_ptr<UIImage>(const std::string& name)>;
    explicit SampleTableSource(const ImageLoader& loadImage);

    int numberOfSectionsInTableView(UITableView& table) override;
    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::optional<std::string> titleForHeaderInSection(UITableView& table, int section) override;
    std::optional<std::string> titleForFooterInSection(UITableView& table, int section) override;

private:
    static std::string reuseIdentifierFor(UITableViewCellStyle style);

    std::vector<Section> sections_;
};
