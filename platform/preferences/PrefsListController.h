#pragma once

#include "PSListController.h"

// The root page of the Settings application, titled "Settings": one link row per installed preference
// bundle, in the order of the entry files' names. An entry file is a property list in kEntriesPath holding
// an "entry" dictionary, a specifier of the bundle's row: "bundle" (the bundle's name, required), "label"
// (the row's title; the bundle's name without one), "icon" (an image in the bundle's folder) and "cell"
// (PSLinkCell, the only kind an entry may be). An entry file that does not read or lacks any of that is
// skipped with a line on stderr. The folder is read each time the page is shown, so a bundle installed
// meanwhile appears when the user comes back to the root.
class PrefsListController : public PSListController {
public:
    static constexpr const char* kEntriesPath = "/Library/PreferenceLoader/Preferences/";

    explicit PrefsListController(NSFileManager& files = NSFileManager::defaultManager());

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override;
    void viewWillAppear(bool animated) override;

    std::string className() const override { return "PrefsListController"; }

private:
    std::shared_ptr<PSSpecifier> specifierForEntryFile(const std::string& fileName);
};
