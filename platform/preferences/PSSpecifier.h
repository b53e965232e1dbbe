#pragma once

#include "NSDictionary.h"
#include "NSObject.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class PSListController;

// The kinds of row a specifier describes (the platform's numbers).
enum class PSCellType : int {
    Group = 0, // PSGroupCell: starts a section; its label is the header, "footerText" the footer
    Link = 1, // PSLinkCell: opens a page ("detail" class, "pane" specifier file, or "bundle")
    LinkList = 2, // PSLinkListCell: a choice among "validTitles" / "validValues", on a page of its own
    ListItem = 3, // PSListItemCell: one choice on that page
    TitleValue = 4, // PSTitleValueCell: a label and the stored value, read only
    Switch = 6, // PSSwitchCell: a boolean
    StaticText = 7, // PSStaticTextCell: a label only
    EditText = 8, // PSEditTextCell: a text field
    Button = 13, // PSButtonCell: runs the target's action named by "action"
};

// One row (or group) of a settings page, as a specifier file or code describes it: its kind, its label, and
// the properties the file gave (kept as they were read, under their own keys). A cell bound to a preference
// has "key" and "defaults" (the preference domain, so "net.torvask.VantlePro" stands for
// "/var/mobile/Library/Preferences/net.torvask.VantlePro.plist"), optionally "default" (the value shown while
// the file has none) and "PostNotification" (a Darwin notification posted after each change).
//
// The target is the list controller that reads and writes the values; it is not retained. Main thread only.
class PSSpecifier final : public NSObject {
public:
    // The property keys the framework reads.
    static constexpr const char* kCell = "cell";
    static constexpr const char* kLabel = "label";
    static constexpr const char* kKey = "key";
    static constexpr const char* kDefault = "default";
    static constexpr const char* kDefaults = "defaults";
    static constexpr const char* kPostNotification = "PostNotification";
    static constexpr const char* kFooterText = "footerText";
    static constexpr const char* kIdentifier = "id";
    static constexpr const char* kDetail = "detail";
    static constexpr const char* kIsController = "isController";
    static constexpr const char* kPane = "pane";
    static constexpr const char* kBundle = "bundle";
    static constexpr const char* kIcon = "icon";
    static constexpr const char* kAction = "action";
    static constexpr const char* kValidTitles = "validTitles";
    static constexpr const char* kValidValues = "validValues";
    static constexpr const char* kPlaceholder = "placeholder";
    // A text row whose value is an integer: what is typed is stored as a number once it reads as one.
    static constexpr const char* kIsNumeric = "isNumeric";
    static constexpr const char* kValue = "value";
    // Set in code rather than in files: the row's image (a UIImage).
    static constexpr const char* kIconImage = "iconImage";

    using Action = std::function<void(PSSpecifier&)>;

    PSSpecifier(std::string name, PSCellType cellType, PSListController* target);
    static std::shared_ptr<PSSpecifier> preferenceSpecifierNamed(
        std::string name, PSListController* target, PSCellType cellType);
    static std::shared_ptr<PSSpecifier> groupSpecifierWithName(std::string name);
    static std::shared_ptr<PSSpecifier> emptyGroupSpecifier();

    // The cell type named in a specifier file ("PSSwitchCell"), or none for a name this framework lacks.
    static std::optional<PSCellType> cellTypeNamed(const std::string& name);

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    PSCellType cellType() const { return cellType_; }
    PSListController* target() const { return target_; }
    void setTarget(PSListController* target) { target_ = target; }
    // "id", or the label when the file gave none.
    std::string identifier() const;

    id propertyForKey(const std::string& key) const;
    // The property as a string; none when absent or of another type.
    std::optional<std::string> stringPropertyForKey(const std::string& key) const;
    bool boolPropertyForKey(const std::string& key) const;
    void setPropertyForKey(id value, const std::string& key);
    void removePropertyForKey(const std::string& key);
    const NSDictionary::Entries& properties() const { return properties_; }

    // The choices of a list cell, in order; titles and values have the same count.
    const std::vector<id>& values() const { return values_; }
    const std::vector<std::string>& titles() const { return titles_; }
    void setValuesTitles(std::vector<id> values, std::vector<std::string> titles);
    // The title of the choice whose value equals `value`; none when no choice has it.
    std::optional<std::string> titleForValue(const id& value) const;

    // Whether the specifier stores a value: it has a key and a preference domain.
    bool isBoundToPreference() const;

    // What a button cell runs when tapped, set in code; without one the target's action named by "action" runs.
    const Action& buttonAction() const { return buttonAction_; }
    void setButtonAction(Action action) { buttonAction_ = std::move(action); }

    std::string className() const override { return "PSSpecifier"; }

private:
    std::string name_;
    PSCellType cellType_;
    PSListController* target_;
    NSDictionary::Entries properties_;
    std::vector<id> values_;
    std::vector<std::string> titles_;
    Action buttonAction_;
};
