#pragma once

#include "NSFileManager.h"
#include "PSSpecifier.h"
#include "PSViewController.h"
#include "UITableView.h"
#include "UITextField.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class PSTableCell;

// A settings page made of specifiers: a grouped table whose sections begin at each group specifier (its
// label the header, its "footerText" the footer; rows before the first group form a section without
// either) and whose rows are the other specifiers, drawn as their cell type says.
//
// Where the specifiers come from: a subclass overrides specifiers(), typically loading them once from a
// specifier file of its bundle into specifiers_:
//
//     std::vector<std::shared_ptr<PSSpecifier>> VPSettingsController::specifiers()
//     {
//         if (!specifiers_) {
//             specifiers_ = loadSpecifiersFromPlistName("VantlePro", this);
//         }
//         return *specifiers_;
//     }
//
// Without an override, the page shows specifiers_, loaded on first use from specifierFileName() when one is
// set (the pages that a link's "pane" names are made that way).
//
// Values: a row bound to a preference (PSSpecifier::isBoundToPreference) shows what readPreferenceValue
// answers (the file's value, else the specifier's "default"); a change goes through setPreferenceValue,
// which stores it with PSPreferenceFile and then, only when the file was written, posts the specifier's
// "PostNotification" to the Darwin centre. A failed write is reported on stderr and the page shows the
// stored value again. Both may be overridden, for rows whose value lives elsewhere.
//
// Taps: a link opens its page (pushController): the "bundle"'s principal class, else the "detail" class from
// PSControllerRegistry, else a list page of the "pane" specifier file of this bundle; the new page gets the
// specifier (so the row's label becomes its title). A choice list opens a PSListItemsController; a button
// runs its specifier's action, else the action registered here under its "action" name; a text row gives
// its field the focus, and what is typed is stored as text (or, with "isNumeric", as an integer once the
// whole text reads as one). The table is reloaded each time the page appears, so values changed on a page above
// show when the user comes back. Main thread only.
class PSListController : public PSViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    using Action = std::function<void(PSSpecifier&)>;

    explicit PSListController(NSFileManager& files = NSFileManager::defaultManager());
    ~PSListController() override;

    virtual std::vector<std::shared_ptr<PSSpecifier>> specifiers();
    // Replaces the page's specifiers and reloads the table.
    void setSpecifiers(std::vector<std::shared_ptr<PSSpecifier>> specifiers);
    // Forgets the specifiers so that the next request loads them again, and reloads the table.
    void reloadSpecifiers();
    std::shared_ptr<PSSpecifier> specifierForID(const std::string& identifier);

    // The specifiers of "<name>.plist" in the bundle folder (see PSSpecifierFile), with `target` as their
    // target. When the file has a "title" and the page none yet, it becomes the page's title.
    std::vector<std::shared_ptr<PSSpecifier>> loadSpecifiersFromPlistName(
        const std::string& name, PSListController* target);
    const std::string& specifierFileName() const { return specifierFileName_; }
    void setSpecifierFileName(std::string name) { specifierFileName_ = std::move(name); }

    virtual id readPreferenceValue(const PSSpecifier& specifier);
    virtual void setPreferenceValue(const id& value, PSSpecifier& specifier);

    // A button's action by the name its "action" property gives.
    void setActionForName(const std::string& name, Action action);

    // The page's table (its view), made with the view.
    UITableView* table();
    // The text field that has the focus on this page, or null.
    UITextField* focusedTextField() const;

    void loadView() override;
    void viewWillAppear(bool animated) override;

    int numberOfSectionsInTableView(UITableView& table) override;
    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::optional<std::string> titleForHeaderInSection(UITableView& table, int section) override;
    std::optional<std::string> titleForFooterInSection(UITableView& table, int section) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    std::string className() const override { return "PSListController"; }

protected:
    // The specifier shown at the row; null outside the table.
    std::shared_ptr<PSSpecifier> specifierAtIndexPath(const NSIndexPath& path) const;
    // Makes and fills the row's cell; subclasses adjust what it shows.
    virtual std::shared_ptr<PSTableCell> cellForSpecifier(
        UITableView& table, const std::shared_ptr<PSSpecifier>& specifier);
    // The controller that stores the specifier's value: its target, or this page.
    PSListController& valueOwner(const PSSpecifier& specifier);

    std::optional<std::vector<std::shared_ptr<PSSpecifier>>> specifiers_;
    NSFileManager& files_;

private:
    struct Section {
        std::shared_ptr<PSSpecifier> group;
        std::vector<std::shared_ptr<PSSpecifier>> rows;
    };

    void rebuildSections();
    void openLink(const std::shared_ptr<PSSpecifier>& specifier);
    std::shared_ptr<UIViewController> pageForLink(const PSSpecifier& specifier);
    void runButton(PSSpecifier& specifier);
    void focus(const std::shared_ptr<UITextField>& field);

    std::string specifierFileName_;
    std::shared_ptr<UITableView> table_;
    std::vector<Section> sections_;
    std::map<std::string, Action> actions_;
    std::weak_ptr<UIView> focusedField_;
};
