#pragma once

#include "LAActivator.h"
#include "UITableView.h"
#include "UIViewController.h"

#include <memory>
#include <string>
#include <vector>

// Activator's page for one listener: every event the shell sends, in sections by group ("Status Bar",
// "Home Button", ...) in the library's order, each row titled with the event's title and checked when the
// event is assigned to the listener. Tapping a row assigns the event to the listener (taking it from any
// other) or, when it is checked, removes the assignment; the file is written and announced by LAActivator.
// A failed write leaves the row as it was, with a line on stderr. The rows are read afresh each time the
// page appears. Main thread only.
class LAListenerSettingsViewController : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    explicit LAListenerSettingsViewController(LAActivator& activator = LAActivator::sharedInstance());
    ~LAListenerSettingsViewController() override;

    const std::string& listenerName() const { return listenerName_; }
    void setListenerName(std::string name);

    UITableView* table();

    void loadView() override;
    void viewWillAppear(bool animated) override;

    int numberOfSectionsInTableView(UITableView& table) override;
    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::optional<std::string> titleForHeaderInSection(UITableView& table, int section) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    std::string className() const override { return "LAListenerSettingsViewController"; }

private:
    struct Group {
        std::string title;
        std::vector<std::string> events;
    };

    void readGroups();
    const std::string* eventAt(const NSIndexPath& path) const;

    LAActivator& activator_;
    std::string listenerName_;
    std::vector<Group> groups_;
    std::shared_ptr<UITableView> table_;
};
