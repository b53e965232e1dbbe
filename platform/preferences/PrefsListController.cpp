#include "PrefsListController.h"

#include "PSPreferenceBundle.h"
#include "PSSpecifierFile.h"

#include <cstdio>

PrefsListController::PrefsListController(NSFileManager& files) : PSListController(files)
{
    setTitle("Settings");
}

std::vector<std::shared_ptr<PSSpecifier>> PrefsListController::specifiers()
{
    if (specifiers_) {
        return *specifiers_;
    }
    std::vector<std::shared_ptr<PSSpecifier>> rows{PSSpecifier::emptyGroupSpecifier()};
    const auto names = files_.contentsOfDirectoryAtPath(kEntriesPath);
    for (const std::string& name : names ? names.value() : std::vector<std::string>()) { // sorted
        if (name.size() > 6 && name.ends_with(".plist")) {
            if (auto row = specifierForEntryFile(name)) {
                rows.push_back(std::move(row));
            }
        }
    }
    specifiers_ = std::move(rows);
    return *specifiers_;
}

void PrefsListController::viewWillAppear(bool animated)
{
    specifiers_.reset();
    PSListController::viewWillAppear(animated);
}

std::shared_ptr<PSSpecifier> PrefsListController::specifierForEntryFile(const std::string& fileName)
{
    const std::string path = std::string(kEntriesPath) + fileName;
    const PropertyListRead read = files_.readPropertyListAtPath(path, PSSpecifierFile::limits());
    const auto file = read.valueAs<NSDictionary>();
    const id entry = file ? file->objectForKey("entry") : nullptr;
    auto row = PSSpecifierFile::specifierFromItem(entry, this);
    const auto bundle = row ? row->stringPropertyForKey(PSSpecifier::kBundle) : std::nullopt;
    const auto bundlePath = bundle ? PSPreferenceBundle::bundlePathForName(*bundle) : std::nullopt;
    if (!bundlePath || row->cellType() != PSCellType::Link) {
        std::fprintf(stderr, "Preferences: %s: %s; skipped\n", path.c_str(),
                     read.isOk() ? "not an entry with a PSLinkCell of a bundle" : read.reason().c_str());
        return nullptr;
    }
    if (row->name().empty()) {
        row->setName(*bundle);
    }
    PSSpecifierFile::attachIcon(*row, *bundlePath, files_);
    return row;
}
