#pragma once

#include "AppListViewControllerDelegate.h"
#include "NSFileManager.h"
#include "RXAppInfo.h"
#include "VPTablePage.h"

#include <memory>
#include <string>
#include <vector>

// The application picker: every installed application, system ("/Applications/<Name>.app") and user
// ("/var/mobile/Applications/<container>/<Name>.app"), sorted by name without regard to case, each row with
// the application's icon. A tap reports the application to the listDelegate. The installed applications are
// scanned once, when the picker is made; the pages share one picker (sharedListController) until the
// bundle's root page goes away and disposes of it, so coming back to the bundle scans again.
//
// An application folder whose Info.plist does not read as a dictionary, or that yields no name or no
// identifier, is left out with a line in the system log; the scan never stops early. Main thread only.
class AppListViewController : public VPTablePage {
public:
    static constexpr CGFloat kRowHeight = 65;

    explicit AppListViewController(NSFileManager& files = NSFileManager::defaultManager());
    ~AppListViewController() override;

    static std::shared_ptr<AppListViewController> sharedListController();
    static void disposeSharedListController();

    AppListViewControllerDelegate* listDelegate() const { return listDelegate_; }
    void setListDelegate(AppListViewControllerDelegate* delegate) { listDelegate_ = delegate; }
    const std::vector<std::shared_ptr<RXAppInfo>>& apps() const { return apps_; }

    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    double heightForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    std::string className() const override { return "AppListViewController"; }

private:
    static std::vector<std::shared_ptr<RXAppInfo>> scanInstalledApplications(const NSFileManager& files);
    static void addSystemApplications(const NSFileManager& files, std::vector<std::shared_ptr<RXAppInfo>>& apps);
    static void addUserApplications(const NSFileManager& files, std::vector<std::shared_ptr<RXAppInfo>>& apps);

    AppListViewControllerDelegate* listDelegate_ = nullptr;
    std::vector<std::shared_ptr<RXAppInfo>> apps_;
};
