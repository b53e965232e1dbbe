// The files that other packages install and the settings read: the first byte chooses the file, the rest
// of the input is its bytes.
//   0  an application's "Info.plist", in a system and in a user application folder, read by the settings'
//      application picker and by the shell's application list;
//   1  a specifier file, loaded by a list page that then makes every row's cell;
//   2  a plug-in description in "Plugins Info", listed by the plug-in catalogue with every row's cell.
// Beyond "no crash, no sanitizer report" it checks that an application is listed exactly when its
// Info.plist is a dictionary with a "CFBundleIdentifier" text, under that identifier, and that each
// description is listed once, with a price tag that is "FREE" or dollars.
#include "AppListViewController.h"
#include "ExtrasList.h"
#include "FuzzDeviceRoot.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSRunLoop.h"
#include "PSListController.h"
#include "SBApplication.h"
#include "SBApplicationController.h"
#include "UITableView.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr const char* kSystemBundle = "/Applications/Fuzz.app";
constexpr const char* kUserBundle = "/var/mobile/Applications/0F0F0F0F-FUZZ/Fuzz.app";
constexpr const char* kPreferenceBundle = "/System/Library/PreferenceBundles/Fuzz.bundle";
constexpr const char* kDescription = "/var/mobile/Library/Vantle/Plugins Info/Fuzz.plist";

[[noreturn]] void broken(const char* promise)
{
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

// Asks the page for every section's titles and every row's cell, as the table does when it shows them.
void showEveryRow(UITableViewDataSource& source, UITableView& table)
{
    const int sections = source.numberOfSectionsInTableView(table);
    for (int section = 0; section < sections; ++section) {
        (void)source.titleForHeaderInSection(table, section);
        (void)source.titleForFooterInSection(table, section);
        const int rows = source.numberOfRowsInSection(table, section);
        for (int row = 0; row < rows; ++row) {
            if (!source.cellForRowAtIndexPath(table, NSIndexPath::indexPathForRowInSection(row, section))) {
                broken("every row has a cell");
            }
        }
    }
}

void readApplicationInfo(const FuzzDeviceRoot& root, std::string_view bytes)
{
    root.writeFile(std::string(kSystemBundle) + "/Info.plist", bytes);
    root.writeFile(std::string(kUserBundle) + "/Info.plist", bytes);

    const auto info = NSFileManager::defaultManager().readPropertyListAtPath(std::string(kSystemBundle) + "/Info.plist").valueAs<NSDictionary>();
    const auto identifier = info ? info->stringForKey("CFBundleIdentifier") : std::nullopt;

    const AppListViewController picker;
    if (picker.apps().size() != (identifier ? 2u : 0u)) {
        broken("the picker lists an application exactly when its Info.plist names its identifier");
    }
    for (const auto& app : picker.apps()) {
        if (app->bundleId() != *identifier) {
            broken("the picker lists an application under its identifier");
        }
    }
    for (const char* bundle : {kSystemBundle, kUserBundle}) {
        const auto application = SBApplicationController::applicationInBundle(bundle);
        if (application && (application->bundleIdentifier() != identifier || application->displayName().empty())) {
            broken("the shell names an application and lists it under its identifier");
        }
        if (!application && identifier && !identifier->empty()) {
            broken("the shell lists every application that has an identifier");
        }
    }
}

void loadSpecifierFile(const FuzzDeviceRoot& root, std::string_view bytes)
{
    root.writeFile(std::string(kPreferenceBundle) + "/Page.plist", bytes);
    PSListController page;
    page.setBundlePath(kPreferenceBundle);
    page.setSpecifierFileName("Page");
    (void)page.view();
    showEveryRow(page, *page.table());
}

void listPluginDescription(const FuzzDeviceRoot& root, std::string_view bytes)
{
    root.writeFile(kDescription, bytes);
    const auto description = NSFileManager::defaultManager().readPropertyListAtPath(kDescription).valueAs<NSDictionary>();

    ExtrasList page;
    (void)page.view();
    page.viewWillAppear(false);
    if (page.firstParty().size() + page.thirdParty().size() != (description ? 1u : 0u)) {
        broken("a description is listed exactly when it reads as a dictionary");
    }
    if (description) {
        const std::string tag = ExtrasList::priceTag(*description);
        if (tag != "FREE" && (tag.size() < 5 || tag.front() != '$' || tag[tag.size() - 3] != '.')) {
            broken("a price shows as \"FREE\" or in dollars and cents");
        }
    }
    showEveryRow(page, *page.table());
}

struct Environment {
    Environment()
    {
        root.createDirectory(kSystemBundle);
        root.createDirectory(kUserBundle);
        root.createDirectory(kPreferenceBundle);
        root.createDirectory(ExtrasList::kFolder);
    }
    FuzzDeviceRoot root;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Environment environment;
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
        readApplicationInfo(environment.root, bytes);
        break;
    case 1:
        loadSpecifierFile(environment.root, bytes);
        break;
    default:
        listPluginDescription(environment.root, bytes);
        break;
    }
    // What the pages left for the main loop (the views' noted changes) goes with the input.
    while (NSRunLoop::mainRunLoop().runOnce()) {
    }
    return 0;
}
