#include "IgnoredViewController.h"

#include "NSArray.h"
#include "NSDictionary.h"
#include "NSLog.h"
#include "PSControllerRegistry.h"
#include "UIAlertView.h"
#include "UIBarButtonItem.h"
#include "UIImage-Retina.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UINavigationController.h"
#include "UINavigationItem.h"
#include "UITableViewCell.h"

PS_REGISTER_CONTROLLER_CLASS(IgnoredViewController);

namespace {

std::string stringOf(const id& element, const std::string& key)
{
    const auto dictionary = as<NSDictionary>(element);
    return dictionary ? dictionary->stringForKey(key).value_or("") : "";
}

} // namespace

IgnoredViewController::IgnoredViewController(NSFileManager& files)
    : VPTablePage(UITableViewStyle::Grouped)
    , preferences_(files)
{
    navigationItem()->setTitle("Ignored Apps");
    navigationItem()->setRightBarButtonItem(
        std::make_shared<UIBarButtonItem>(UIBarButtonSystemItemAdd, this, [this] { addNewApplication(); }));
    if (const auto stored = as<NSArray>(preferences_.valueForKey(kKey))) {
        ignoredApplications_ = stored->objects();
    }
}

IgnoredViewController::~IgnoredViewController()
{
    if (const auto picker = picker_.lock(); picker && picker->listDelegate() == this) {
        picker->setListDelegate(nullptr);
    }
}

void IgnoredViewController::addNewApplication()
{
    const auto picker = AppListViewController::sharedListController();
    picker->setListDelegate(this);
    picker_ = picker;
    pushController(picker);
}

void IgnoredViewController::configureTable(UITableView& table)
{
    table.setEditing(true);
    table.setAllowsSelectionDuringEditing(true);
}

int IgnoredViewController::numberOfRowsInSection(UITableView&, int)
{
    return static_cast<int>(ignoredApplications_.size());
}

std::shared_ptr<UITableViewCell> IgnoredViewController::cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    auto cell = table.dequeueReusableCellWithIdentifier("Cell");
    if (!cell) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Default, "Cell");
    }
    const auto& element = ignoredApplications_.at(static_cast<std::size_t>(path.row()));
    cell->textLabel()->setText(stringOf(element, "Application"));
    cell->imageView()->setImage(
        UIImageRetina::imageWithContentsOfResolutionIndependentFile(stringOf(element, "Icon Path")));
    return cell;
}

std::optional<std::string> IgnoredViewController::titleForFooterInSection(UITableView&, int)
{
    return "Applications in this list will be ignored by Vantle. Their notifications won't be logged, blocked, or "
           "sent to plugins.";
}

void IgnoredViewController::commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle style,
                                                                const NSIndexPath& path)
{
    if (style != UITableViewCellEditingStyle::Delete) {
        return;
    }
    ignoredApplications_.erase(ignoredApplications_.begin() + path.row());
    table.deleteRowsAtIndexPaths({ path }, UITableViewRowAnimation::Right);
    save();
    VPPreferences::announceChange();
}

double IgnoredViewController::heightForRowAtIndexPath(UITableView&, const NSIndexPath&) { return kRowHeight; }

std::string IgnoredViewController::titleForDeleteConfirmationButtonForRowAtIndexPath(UITableView&, const NSIndexPath&)
{
    return "Remove";
}

void IgnoredViewController::didSelectApplicationWithInfo(AppListViewController& picker,
                                                         const std::shared_ptr<RXAppInfo>& info)
{
    if (isIgnored(info->bundleId())) {
        std::make_shared<UIAlertView>("Error", "That application is already being ignored! You can't ignore it twice!",
                                      nullptr, "Okay", std::vector<std::string> {})
            ->show();
        return;
    }
    ignoredApplications_.push_back(info->dictionary());
    save();
    NSLog("Posting a notification");
    VPPreferences::announceChange();
    if (table()) {
        table()->reloadData();
    }
    if (picker.navigationController()) {
        picker.navigationController()->popViewControllerAnimated(true);
    }
}

bool IgnoredViewController::isIgnored(const std::string& bundleId) const
{
    return std::any_of(ignoredApplications_.begin(), ignoredApplications_.end(),
                       [&](const id& element) { return stringOf(element, "Bundle Id") == bundleId; });
}

void IgnoredViewController::save()
{
    (void)preferences_.saveValueForKey(NSArray::arrayWithObjects(ignoredApplications_), kKey);
}
