#include "AppListViewController.h"

#include "NSLog.h"
#include "UIImage-Retina.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UITableViewCell.h"

#include <algorithm>
#include <optional>

namespace {

constexpr const char* kSystemApplications = "/Applications";
constexpr const char* kUserApplications = "/var/mobile/Applications/";

std::shared_ptr<AppListViewController>& sharedPicker()
{
    static std::shared_ptr<AppListViewController> picker;
    return picker;
}

bool endsWithApp(const std::string& name) { return name.size() >= 3 && name.compare(name.size() - 3, 3, "app") == 0; }

// The folder name less its last four characters (".app"), the name of last resort.
std::optional<std::string> folderName(const std::string& folder)
{
    if (folder.size() < 4) {
        return std::nullopt;
    }
    return folder.substr(0, folder.size() - 4);
}

std::shared_ptr<NSDictionary> readInfo(const NSFileManager& files, const std::string& bundleFolder)
{
    return files.readPropertyListAtPath(bundleFolder + "/Info.plist").valueAs<NSDictionary>();
}

// The application described by a bundle folder's Info.plist, or none (with its log line) when it has no name
// or no identifier.
std::shared_ptr<RXAppInfo> applicationInFolder(const NSDictionary& info, const std::string& bundleFolder,
                                               const std::optional<std::string>& fallbackName,
                                               const char* defaultIconFile)
{
    auto name = info.stringForKey("CFBundleDisplayName");
    if (!name) {
        name = info.stringForKey("CFBundleName");
    }
    if (!name) {
        name = fallbackName;
    }
    if (!name) {
        NSLog("No name for {}", bundleFolder);
        return nullptr;
    }
    const auto identifier = info.stringForKey("CFBundleIdentifier");
    if (!identifier) {
        NSLog("No id for {}", bundleFolder);
        return nullptr;
    }
    const auto iconFile = info.stringForKey("CFBundleIconFile").value_or(defaultIconFile);
    return std::make_shared<RXAppInfo>(*name, *identifier, bundleFolder + "/" + iconFile);
}

std::vector<std::string> folderContents(const NSFileManager& files, const std::string& path)
{
    auto contents = files.contentsOfDirectoryAtPath(path);
    return contents ? std::move(contents).value() : std::vector<std::string> {};
}

} // namespace

AppListViewController::AppListViewController(NSFileManager& files)
    : VPTablePage(UITableViewStyle::Grouped)
    , apps_(scanInstalledApplications(files))
{
    setTitle("Applications");
}

AppListViewController::~AppListViewController() = default;

std::shared_ptr<AppListViewController> AppListViewController::sharedListController()
{
    auto& picker = sharedPicker();
    if (!picker) {
        picker = std::make_shared<AppListViewController>();
    }
    return picker;
}

void AppListViewController::disposeSharedListController() { sharedPicker().reset(); }

std::vector<std::shared_ptr<RXAppInfo>> AppListViewController::scanInstalledApplications(const NSFileManager& files)
{
    std::vector<std::shared_ptr<RXAppInfo>> apps;
    addSystemApplications(files, apps);
    addUserApplications(files, apps);
    std::stable_sort(apps.begin(), apps.end(), [](const auto& a, const auto& b) {
        return a->compareTo(*b) == NSComparisonResult::OrderedAscending;
    });
    return apps;
}

void AppListViewController::addSystemApplications(const NSFileManager& files,
                                                  std::vector<std::shared_ptr<RXAppInfo>>& apps)
{
    for (const auto& entry : folderContents(files, kSystemApplications)) {
        const auto folder = std::string(kSystemApplications) + "/" + entry;
        const auto info = readInfo(files, folder);
        if (!info) {
            NSLog("No plist for {}", folder);
            continue;
        }
        const auto fallback = endsWithApp(entry) ? folderName(entry) : std::nullopt;
        if (auto app = applicationInFolder(*info, folder, fallback, "icon.png")) {
            apps.push_back(std::move(app));
        }
    }
}

void AppListViewController::addUserApplications(const NSFileManager& files,
                                                std::vector<std::shared_ptr<RXAppInfo>>& apps)
{
    for (const auto& container : folderContents(files, kUserApplications)) {
        const auto containerPath = std::string(kUserApplications) + container;
        const auto entries = folderContents(files, containerPath);
        const auto bundle = std::find_if(entries.begin(), entries.end(), endsWithApp);
        if (bundle == entries.end()) {
            NSLog("No folder for {}", containerPath);
            continue;
        }
        const auto folder = containerPath + "/" + *bundle;
        const auto info = readInfo(files, folder);
        if (!info) {
            continue;
        }
        if (auto app = applicationInFolder(*info, folder, folderName(*bundle), "Icon.png")) {
            apps.push_back(std::move(app));
        }
    }
}

int AppListViewController::numberOfRowsInSection(UITableView&, int) { return static_cast<int>(apps_.size()); }

std::shared_ptr<UITableViewCell> AppListViewController::cellForRowAtIndexPath(UITableView& table,
                                                                              const NSIndexPath& path)
{
    auto cell = table.dequeueReusableCellWithIdentifier("Cell");
    if (!cell) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Default, "Cell");
    }
    const auto& app = apps_.at(static_cast<std::size_t>(path.row()));
    cell->textLabel()->setText(app->appName());
    cell->imageView()->setImage(UIImageRetina::imageWithContentsOfResolutionIndependentFile(app->iconPath()));
    return cell;
}

double AppListViewController::heightForRowAtIndexPath(UITableView&, const NSIndexPath&) { return kRowHeight; }

void AppListViewController::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    if (listDelegate_) {
        listDelegate_->didSelectApplicationWithInfo(*this, apps_.at(static_cast<std::size_t>(path.row())));
    }
}
