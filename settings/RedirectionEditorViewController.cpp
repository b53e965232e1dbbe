#include "RedirectionEditorViewController.h"

#include "UIAlertView.h"
#include "UIBarButtonItem.h"
#include "UILabel.h"
#include "UINavigationController.h"
#include "UINavigationItem.h"
#include "UITableViewCell.h"
#include "VPPreferences.h"

namespace {

enum AlertButton : int { Cancel = 0, List = 1, Custom = 2 };

void showAlert(const std::string& title, const std::string& message)
{
    std::make_shared<UIAlertView>(title, message, nullptr, "Okay", std::vector<std::string> {})->show();
}

} // namespace

RedirectionEditorViewController::RedirectionEditorViewController(std::optional<Redirection> redirection)
    : VPTablePage(UITableViewStyle::Grouped)
    , redirection_(redirection.value_or(Redirection {}))
{
    setTitle("Edit Redirection");
    navigationItem()->setRightBarButtonItem(
        std::make_shared<UIBarButtonItem>(UIBarButtonSystemItemDone, this, [this] { done(); }));
}

RedirectionEditorViewController::~RedirectionEditorViewController()
{
    if (const auto picker = picker_.lock(); picker && picker->listDelegate() == this) {
        picker->setListDelegate(nullptr);
    }
    for (const auto& alert : UIAlertView::visibleAlerts()) {
        if (alert->delegate() == this) {
            alert->setDelegate(nullptr);
        }
    }
}

void RedirectionEditorViewController::done()
{
    if (!redirection_.isComplete()) {
        showAlert("Incomplete Info", "Please fill both fields.");
        return;
    }
    if (editorDelegate_) {
        editorDelegate_->endedEditingRedirection(*this, redirection_);
    }
}

int RedirectionEditorViewController::numberOfSectionsInTableView(UITableView&) { return 2; }

int RedirectionEditorViewController::numberOfRowsInSection(UITableView&, int) { return 1; }

std::shared_ptr<UITableViewCell> RedirectionEditorViewController::cellForRowAtIndexPath(UITableView& table,
                                                                                        const NSIndexPath& path)
{
    auto cell = table.dequeueReusableCellWithIdentifier("Cell");
    if (!cell) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Default, "Cell");
        cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
    }
    const auto& value = path.section() == 0 ? redirection_.from : redirection_.to;
    cell->textLabel()->setText(value.value_or(""));
    return cell;
}

std::optional<std::string> RedirectionEditorViewController::titleForHeaderInSection(UITableView&, int section)
{
    return section == 0 ? "From:" : "To:";
}

void RedirectionEditorViewController::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    if (path.section() == 0) {
        askForSource();
    } else {
        showPickerFor(To);
    }
}

void RedirectionEditorViewController::askForSource()
{
    auto alert = std::make_shared<UIAlertView>("Edit Redirection",
                                               "Choose either from a list of apps or enter the app name/bundle id.",
                                               this, "Cancel", std::vector<std::string> { "List", "Custom" });
    alert->setSubtitle("Hello!");
    alert->show();
}

void RedirectionEditorViewController::askForCustomSource()
{
    auto alert = std::make_shared<UIAlertView>("", "", this, "Cancel", std::vector<std::string> { "Okay" });
    alert->addTextFieldWithValueLabel("", "Name or Bundle ID");
    alert->show();
}

void RedirectionEditorViewController::showPickerFor(Field field)
{
    const auto picker = AppListViewController::sharedListController();
    picker->setListDelegate(this);
    picker_ = picker;
    pushController(picker);
    edit_ = field;
}

void RedirectionEditorViewController::didDismissWithButtonIndex(UIAlertView& alert, int index)
{
    if (alert.textFieldCount() > 0) {
        if (index != alert.cancelButtonIndex()) {
            redirection_.from = alert.textFieldAtIndex(0)->text();
        }
        reloadRow(0);
        VPPreferences::announceChange();
    } else if (index == List) {
        showPickerFor(From);
    } else if (index == Custom) {
        askForCustomSource();
    }
}

void RedirectionEditorViewController::didSelectApplicationWithInfo(AppListViewController& picker,
                                                                   const std::shared_ptr<RXAppInfo>& info)
{
    if (picker.navigationController()) {
        picker.navigationController()->popViewControllerAnimated(true);
    }
    const auto field = edit_;
    edit_ = None;
    if (field == From) {
        redirection_.from = info->bundleId();
        reloadRow(0);
    } else if (field == To) {
        redirection_.to = info->bundleId();
        reloadRow(1);
    }
}

void RedirectionEditorViewController::reloadRow(int section)
{
    if (table()) {
        table()->reloadRowsAtIndexPaths({ NSIndexPath::indexPathForRowInSection(0, section) },
                                       UITableViewRowAnimation::None);
    }
}
