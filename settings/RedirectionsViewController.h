#pragma once

#include "NSFileManager.h"
#include "RedirectionEditorDelegate.h"
#include "VPPreferences.h"
#include "VPTablePage.h"

#include <map>
#include <memory>
#include <string>

class NSTimer;

// "Redirections": the stored redirections (source to target bundle identifier), one row each in the order
// of their sources, with "+" to add one and a tap to edit one in RedirectionEditorViewController, a swipe to
// delete. After each change the whole table is saved under "Redirections" (a missing file is created) and,
// once written, the tweak told to reload. A source is unique: a new or edited redirection whose source
// another already has is refused with "Duplicate Redirection", leaving table and rows as they were. The file
// is read once, when the page is made. Main thread only.
class RedirectionsViewController : public VPTablePage, public RedirectionEditorDelegate {
public:
    static constexpr const char* kKey = "Redirections";
    static constexpr double kEmptyReloadDelay = 0.3;

    explicit RedirectionsViewController(NSFileManager& files = NSFileManager::defaultManager());
    ~RedirectionsViewController() override;

    const std::map<std::string, std::string>& redirections() const { return redirections_; }

    // The "+" button: opens an editor for a new redirection.
    void addRedirection();
    // Writes the table under "Redirections"; on success posts the reload notification, on failure shows
    // the error alert.
    void saveToDisk();

    void viewDidLoad() override;

    int numberOfRowsInSection(UITableView& table, int section) override;
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;
    std::optional<std::string> titleForFooterInSection(UITableView& table, int section) override;
    bool canEditRowAtIndexPath(UITableView&, const NSIndexPath&) override { return true; }
    void commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle style,
                                             const NSIndexPath& path) override;
    void didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path) override;

    void redirectionEditorDidCancel(RedirectionEditorViewController& editor) override;
    void endedEditingRedirection(RedirectionEditorViewController& editor, const Redirection& redirection) override;

    std::string className() const override { return "RedirectionsViewController"; }

private:
    using Table = std::map<std::string, std::string>;

    Table::const_iterator redirectionAtRow(int row) const;
    int rowOf(const std::string& source) const;
    void openEditor(std::optional<Redirection> value, const std::string& title, int tag);
    void addNew(const Redirection& redirection, int tag);
    void replaceRow(int row, const Redirection& redirection);
    void reloadSoon();

    VPPreferences preferences_;
    Table redirections_;
    std::shared_ptr<NSTimer> reloadTimer_;
};
