// A preference bundle for the Settings application's tests, installed into a device root by
// TestPreferenceBundle. Its principal class shows the specifier file "TestBundle.plist" of its folder; its
// detail class is a page with a table of its own, a "+" button that asks for a name in an alert with a text
// field and rows that are deleted by a swipe, as the bundles' hand-written pages are.
#include "PSControllerRegistry.h"
#include "PSListController.h"
#include "UIAlertView.h"
#include "UIBarButtonItem.h"
#include "UINavigationItem.h"
#include "UIScreen.h"

namespace {

class TestBundleController final : public PSListController {
public:
    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override
    {
        if (!specifiers_) {
            specifiers_ = loadSpecifiersFromPlistName("TestBundle", this);
        }
        return *specifiers_;
    }
};

class TestNamesController final : public PSViewController,
                                  public UITableViewDataSource,
                                  public UITableViewDelegate,
                                  public UIAlertViewDelegate {
public:
    TestNamesController()
    {
        setTitle("Names");
        navigationItem()->setRightBarButtonItem(
            UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemAdd, this, [this] { askForName(); }));
    }
    ~TestNamesController() override
    {
        if (table_) {
            table_->setDataSource(nullptr);
            table_->setDelegate(nullptr);
        }
    }

    void loadView() override
    {
        table_ = UITableView::initWithFrameStyle(UIScreen::mainScreen()->applicationFrame(), UITableViewStyle::Grouped);
        table_->setDataSource(this);
        table_->setDelegate(this);
        setView(table_);
    }

    int numberOfRowsInSection(UITableView&, int) override { return static_cast<int>(names_.size()); }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView&, const NSIndexPath& path) override
    {
        auto cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Default, "Name");
        cell->textLabel()->setText(names_.at(static_cast<std::size_t>(path.row())));
        return cell;
    }
    std::optional<std::string> titleForFooterInSection(UITableView&, int) override { return "Swipe to delete."; }
    bool canEditRowAtIndexPath(UITableView&, const NSIndexPath&) override { return true; }
    void commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle,
                                             const NSIndexPath& path) override
    {
        names_.erase(names_.begin() + path.row());
        table.deleteRowsAtIndexPaths({path}, UITableViewRowAnimation::Right);
    }

    void didDismissWithButtonIndex(UIAlertView& alert, int index) override
    {
        if (index != alert.cancelButtonIndex() && alert.textFieldAtIndex(0)) {
            names_.push_back(alert.textFieldAtIndex(0)->text());
            table_->reloadData();
        }
    }

private:
    void askForName()
    {
        auto alert = std::make_shared<UIAlertView>("New Name", "Type a name.", this, "Cancel",
                                                   std::vector<std::string>{"Okay"});
        alert->addTextFieldWithValueLabel("", "Name");
        alert->show();
    }

    std::shared_ptr<UITableView> table_;
    std::vector<std::string> names_;
};

} // namespace

PS_REGISTER_CONTROLLER_CLASS(TestBundleController);
PS_REGISTER_CONTROLLER_CLASS(TestNamesController);
