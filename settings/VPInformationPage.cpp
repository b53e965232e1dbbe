#include "VPInformationPage.h"

#include "NSURL.h"
#include "UIApplication.h"
#include "UIImage-Retina.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UITableViewCell.h"

VPInformationPage::VPInformationPage(std::string title, std::vector<Section> sections)
    : VPTablePage(UITableViewStyle::Grouped)
    , pageTitle_(std::move(title))
    , sections_(std::move(sections))
{
}

VPInformationPage::Row VPInformationPage::productRow()
{
    return { Row::Kind::Text, "Top Cell", "Vantle", kTagline, "IconBig.png", 70, {} };
}

void VPInformationPage::viewDidLoad()
{
    setTitle(pageTitle_);
    VPTablePage::viewDidLoad();
}

int VPInformationPage::numberOfSectionsInTableView(UITableView&) { return static_cast<int>(sections_.size()); }

int VPInformationPage::numberOfRowsInSection(UITableView&, int section)
{
    return section >= 0 && section < static_cast<int>(sections_.size())
        ? static_cast<int>(sections_[static_cast<std::size_t>(section)].rows.size())
        : 0;
}

std::optional<std::string> VPInformationPage::titleForHeaderInSection(UITableView&, int section)
{
    return sections_.at(static_cast<std::size_t>(section)).header;
}

std::optional<std::string> VPInformationPage::titleForFooterInSection(UITableView&, int section)
{
    return sections_.at(static_cast<std::size_t>(section)).footer;
}

double VPInformationPage::heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    const double height = rowAt(path).height;
    return height > 0 ? height : table.rowHeight();
}

std::shared_ptr<UITableViewCell> VPInformationPage::cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    const Row& row = rowAt(path);
    auto cell = table.dequeueReusableCellWithIdentifier(row.reuseIdentifier);
    if (!cell && row.kind == Row::Kind::Text) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Subtitle, row.reuseIdentifier);
        cell->detailTextLabel()->setNumberOfLines(0);
        cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
    } else if (!cell) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Default, row.reuseIdentifier);
        cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
        cell->setSelectionStyle(UITableViewCellSelectionStyle::Blue);
    }
    cell->textLabel()->setText(row.text);
    if (cell->detailTextLabel()) {
        cell->detailTextLabel()->setText(row.detail);
    }
    cell->imageView()->setImage(row.image.empty() ? nullptr : UIImageRetina::imageInBundleNamed(row.image));
    return cell;
}

void VPInformationPage::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    const Row& row = rowAt(path);
    if (row.kind == Row::Kind::Link) {
        (void)UIApplication::sharedApplication()->openURL(NSURL::URLWithString(row.url)); // the outcome is not checked
    }
}

const VPInformationPage::Row& VPInformationPage::rowAt(const NSIndexPath& path) const
{
    return sections_.at(static_cast<std::size_t>(path.section())).rows.at(static_cast<std::size_t>(path.row()));
}
