#include "PSSpecifierFile.h"

#include "NSArray.h"
#include "NSData.h"
#include "NSDate.h"
#include "NSFileManager.h"
#include "NSNumber.h"
#include "NSString.h"
#include "UIImage.h"
#include "UIScreen.h"

#include <cstdio>
#include <filesystem>

namespace {

// A choice's value is stored in a preference file as it is: a string, a number, a date or data, never a
// container.
bool isPlainValue(const id& value)
{
    return as<NSString>(value) || as<NSNumber>(value) || as<NSDate>(value) || as<NSData>(value);
}

} // namespace

PropertyListLimits PSSpecifierFile::limits()
{
    PropertyListLimits limits;
    limits.maxBytes = 1024 * 1024;
    limits.maxDepth = 16;
    limits.maxObjects = 100'000;
    return limits;
}

PSSpecifierFile::Page PSSpecifierFile::load(
    const std::string& devicePath, PSListController* target, const NSFileManager& files)
{
    const PropertyListRead read = files.readPropertyListAtPath(devicePath, limits());
    if (read.isUnreadable()) {
        std::fprintf(stderr, "Preferences: %s: %s; the page stays empty\n", devicePath.c_str(), read.reason().c_str());
    }
    return fromPropertyList(read.value(), target);
}

PSSpecifierFile::Page PSSpecifierFile::fromPropertyList(const id& plist, PSListController* target)
{
    Page page;
    const auto file = as<NSDictionary>(plist);
    if (!file) {
        return page;
    }
    page.title = file->stringForKey("title");
    const auto items = file->objectForKey<NSArray>("items");
    if (!items) {
        return page;
    }
    for (const id& item : items->objects()) {
        if (page.specifiers.size() == kMaxItems) {
            break;
        }
        if (auto specifier = specifierFromItem(item, target)) {
            page.specifiers.push_back(std::move(specifier));
        }
    }
    return page;
}

std::shared_ptr<PSSpecifier> PSSpecifierFile::specifierFromItem(const id& item, PSListController* target)
{
    const auto dictionary = as<NSDictionary>(item);
    if (!dictionary) {
        return nullptr;
    }
    const auto cellName = dictionary->stringForKey(PSSpecifier::kCell);
    const auto cellType = cellName ? PSSpecifier::cellTypeNamed(*cellName) : std::nullopt;
    if (!cellType) {
        return nullptr;
    }
    auto specifier
        = std::make_shared<PSSpecifier>(dictionary->stringForKey(PSSpecifier::kLabel).value_or(""), *cellType, target);
    for (const auto& [key, value] : dictionary->entries()) {
        specifier->setPropertyForKey(value, key);
    }
    if (*cellType == PSCellType::LinkList && !readChoices(*dictionary, *specifier)) {
        return nullptr;
    }
    return specifier;
}

bool PSSpecifierFile::readChoices(const NSDictionary& item, PSSpecifier& specifier)
{
    const auto titles = item.objectForKey<NSArray>(PSSpecifier::kValidTitles);
    const auto values = item.objectForKey<NSArray>(PSSpecifier::kValidValues);
    if (!titles || !values || titles->count() != values->count()) {
        return false;
    }
    std::vector<std::string> titleTexts;
    for (std::size_t index = 0; index < titles->count(); ++index) {
        const auto title = titles->objectAtIndex<NSString>(index);
        if (!title || !isPlainValue(values->objectAtIndex(index))) {
            return false;
        }
        titleTexts.push_back(title->string());
    }
    specifier.setValuesTitles(values->objects(), std::move(titleTexts));
    return true;
}

void PSSpecifierFile::attachIcon(PSSpecifier& specifier, const std::string& folder, const NSFileManager& files)
{
    const auto name = specifier.stringPropertyForKey(PSSpecifier::kIcon);
    if (!name || name->empty() || name->front() == '.' || name->find('/') != std::string::npos) {
        return;
    }
    const std::string path = folder + "/" + *name;
    // On a double-resolution screen the "@2x" picture beside the named one, when there is one.
    const std::filesystem::path named(path);
    const std::string doubled
        = (named.parent_path() / (named.stem().string() + "@2x" + named.extension().string())).string();
    const bool useDoubled = UIScreen::mainScreen()->scale() >= 2 && files.fileExistsAtPath(doubled);
    if (useDoubled || files.fileExistsAtPath(path)) {
        specifier.setPropertyForKey(
            UIImage::imageWithContentsOfFile(useDoubled ? doubled : path), PSSpecifier::kIconImage);
    }
}
