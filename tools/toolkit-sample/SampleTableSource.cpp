#include "SampleTableSource.h"

#include "UIImageView.h"
#include "UILabel.h"
#include "UITableView.h"
#include "UITableViewCell.h"

SampleTableSource::SampleTableSource(const ImageLoader& loadImage)
{
    sections_ = {
        {UITableViewCellStyle::Default,
         "Default style",
         "Text and an image.",
         {{"Messages", "", loadImage("Messages.png")}}},
        {UITableViewCellStyle::Value1,
         "Title and detail",
         "Detail at the right, a disclosure indicator.",
         {{"Group by", "Application", nullptr, true}, {"Visible rows", "3", nullptr}}},
        {UITableViewCellStyle::Subtitle,
         "Subtitle",
         "",
         {{"Missed call", "Anna Berg, 2 minutes ago", loadImage("Phone.png")}}},
    };
}

int SampleTableSource::numberOfSectionsInTableView(UITableView&)
{
    return static_cast<int>(sections_.size());
}

int SampleTableSource::numberOfRowsInSection(UITableView&, int section)
{
    return static_cast<int>(sections_.at(static_cast<std::size_t>(section)).rows.size());
}

std::string SampleTableSource::reuseIdentifierFor(UITableViewCellStyle style)
{
    return "SampleCell" + std::to_string(static_cast<int>(style));
}

std::shared_ptr<UITableViewCell> SampleTableSource::cellForRowAtIndexPath(UITableView& table,
                                                                          const NSIndexPath& path)
{
    const Section& section = sections_.at(static_cast<std::size_t>(path.section()));
    const Row& row = section.rows.at(static_cast<std::size_t>(path.row()));
    const std::string identifier = reuseIdentifierFor(section.style);
    auto cell = table.dequeueReusableCellWithIdentifier(identifier);
    if (!cell) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(section.style, identifier);
    }
    cell->textLabel()->setText(row.text);
    if (UILabel* detail = cell->detailTextLabel()) {
        detail->setText(row.detail);
    }
    cell->imageView()->setImage(row.image);
    cell->setAccessoryType(row.disclosure ? UITableViewCellAccessoryType::DisclosureIndicator
                                          : UITableViewCellAccessoryType::None);
    return cell;
}

std::optional<std::string> SampleTableSource::titleForHeaderInSection(UITableView&, int section)
{
    return sections_.at(static_cast<std::size_t>(section)).header;
}

std::optional<std::string> SampleTableSource::titleForFooterInSection(UITableView&, int section)
{
    const std::string& footer = sections_.at(static_cast<std::size_t>(section)).footer;
    if (footer.empty()) {
        return std::nullopt;
    }
    return footer;
}
