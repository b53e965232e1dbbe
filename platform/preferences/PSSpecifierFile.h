#pragma once

#include "NSDictionary.h"
#include "PSSpecifier.h"
#include "PropertyListLimits.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class NSFileManager;

// Reads a specifier file: a property-list dictionary with an optional "title" (the page's title) and "items",
// an array of dictionaries, each one row or group (see PSSpecifier). The file is read through the guarded
// reader with the limits below; what does not fit the shape is skipped item by item, never trusted: a missing
// or unreadable file, or one that is not a dictionary, gives an empty page; an "items" that is not an array
// gives no rows; an item that is not a dictionary, has no "cell" string or names a cell this framework does
// not know is skipped; a "label" that is not a string leaves the row unlabelled; a list cell whose
// "validTitles" and "validValues" are not arrays of strings and plain values of the same length is skipped.
// Items past kMaxItems are ignored.
class PSSpecifierFile {
public:
    static constexpr std::size_t kMaxItems = 1000;

    struct Page {
        std::optional<std::string> title;
        std::vector<std::shared_ptr<PSSpecifier>> specifiers;
    };

    // A specifier file is a few kilobytes and nests four levels; anything far beyond is not one.
    static PropertyListLimits limits();

    static Page load(const std::string& devicePath, PSListController* target, const NSFileManager& files);
    static Page fromPropertyList(const id& plist, PSListController* target);
    // The specifier an item describes, or null when it is skipped.
    static std::shared_ptr<PSSpecifier> specifierFromItem(const id& item, PSListController* target);

    // Gives the specifier the image its "icon" names, read from the device folder (its "@2x" variant on a
    // double-resolution screen, when there is one), as "iconImage". A name holding "/" or beginning with "."
    // names nothing; a missing or unreadable image leaves the row without.
    static void attachIcon(PSSpecifier& specifier, const std::string& folder, const NSFileManager& files);

private:
    static bool readChoices(const NSDictionary& item, PSSpecifier& specifier);
};
