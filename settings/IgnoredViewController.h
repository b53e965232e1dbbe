#pragma once

#include "AppListViewController.h"
#include "NSFileManager.h"
#include "VPPreferences.h"
#include "VPTablePage.h"

#include <memory>
#include <vector>

// "Ignored Apps": the applications whose alerts the tweak does not capture, as stored under "Ignored
// Applications" (dictionaries of "Application", "Bundle Id", "Icon Path", in the order they were added).
// "+" opens the shared application picker; the chosen application is appended, unless its bundle
// identifier is already in the list ("Error" alert, nothing saved). A swipe removes one. After each change
// the whole list is saved and the tweak told to reload. The file is read once, when the page is made.
// Main thread only.
class IgnoredViewController : public VPTablePage, public AppListViewControllerDelegate {
public:
    static constexpr const char* kKey = "Ignored Applications";
    static constexpr CGFloat kRowHeight = 65;

    explicit IgnoredViewController(NSFileManager& files = NSFileManager::defaultManager());
    ~IgnoredViewController() override;

    const std::vector<id>& ignoredApplications() const { return ignoredApplications_; }

    // The "+" button: shows the application picker with this page as its delegate.
    void addNewApplication();

    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::optional<std::string> titleForFooterInSection(UITableView& table, int section) override;
    bool canEditRowAtIndexPath(UITableView&, const NSIndexPath&) override { return true; }
    void commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle style,
                                             const NSIndexPath& path) override;
    double heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::string titleForDeleteConfirmationButtonForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    void didSelectApplicationWithInfo(AppListViewController& picker, const std::shared_ptr<RXAppInfo>& info) override;

    std::string className() const override { return "IgnoredViewController"; }

protected:
    void configureTable(UITableView& table) override;

private:
    bool isIgnored(const std::string& bundleId) const;
    void save();

    VPPreferences preferences_;
    std::vector<id> ignoredApplications_;
    std::weak_ptr<AppListViewController> picker_;
};
