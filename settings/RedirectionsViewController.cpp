#include "RedirectionsViewController.h"

#include "NSDictionary.h"
#include "NSLog.h"
#include "NSRunLoop.h"
#include "NSString.h"
#include "NSTimer.h"
#include "PSControllerRegistry.h"
#include "RedirectionEditorViewController.h"
#include "UIAlertView.h"
#include "UIBarButtonItem.h"
#include "UILabel.h"
#include "UINavigationController.h"
#include "UINavigationItem.h"
#include "UITableViewCell.h"

#include <iterator>

PS_REGISTER_CONTROLLER_CLASS(RedirectionsViewController);

namespace {

// Answers the popped editor, so that a caller inside the editor's own call can keep it alive.
std::shared_ptr<UIViewController> popEditor(RedirectionEditorViewController& editor)
{
    return editor.navigationController() ? editor.navigationController()->popViewControllerAnimated(true) : nullptr;
}

void showDuplicateAlert()
{
    std::make_shared<UIAlertView>("Duplicate Redirection", "There's already a redirection for that app.", nullptr,
                                  "Okay", std::vector<std::string> {})
        ->show();
}

} // namespace

RedirectionsViewController::RedirectionsViewController(NSFileManager& files)
    : VPTablePage(UITableViewStyle::Grouped)
    , preferences_(files)
{
    navigationItem()->setRightBarButtonItem(
        std::make_shared<UIBarButtonItem>(UIBarButtonSystemItemAdd, this, [this] { addRedirection(); }));
    if (const auto stored = as<NSDictionary>(preferences_.valueForKey(kKey))) {
        for (const auto& [source, target] : stored->entries()) {
            if (const auto text = as<NSString>(target)) {
                redirections_.emplace(source, text->string());
            }
        }
    }
}

RedirectionsViewController::~RedirectionsViewController()
{
    if (reloadTimer_) {
        reloadTimer_->invalidate();
    }
}

void RedirectionsViewController::addRedirection()
{
    openEditor(std::nullopt, "New", static_cast<int>(redirections_.size()));
}

void RedirectionsViewController::saveToDisk()
{
    NSDictionary::Entries entries;
    for (const auto& [source, target] : redirections_) {
        entries.emplace(source, NSString::stringWithString(target));
    }
    if (preferences_.saveValueForKey(NSDictionary::dictionaryWithEntries(std::move(entries)), kKey)) {
        VPPreferences::announceChange();
    }
}

void RedirectionsViewController::viewDidLoad()
{
    setTitle("Redirections");
    NSLog("Redirections loading");
    VPTablePage::viewDidLoad();
}

int RedirectionsViewController::numberOfRowsInSection(UITableView&, int) { return static_cast<int>(redirections_.size()); }

std::shared_ptr<UITableViewCell> RedirectionsViewController::cellForRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    auto cell = table.dequeueReusableCellWithIdentifier("Cell");
    if (!cell) {
        cell = UITableViewCell::initWithStyleReuseIdentifier(UITableViewCellStyle::Value1, "Cell");
        cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
        cell->textLabel()->setAdjustsFontSizeToFitWidth(true);
        cell->detailTextLabel()->setAdjustsFontSizeToFitWidth(true);
    }
    const auto& [source, target] = *redirectionAtRow(path.row());
    cell->textLabel()->setText(source);
    cell->detailTextLabel()->setText(target);
    return cell;
}

std::optional<std::string> RedirectionsViewController::titleForFooterInSection(UITableView&, int)
{
    return redirections_.empty() ? "Tap '+' to add a redirection." : "Swipe to delete. Tap to edit.";
}

void RedirectionsViewController::commitEditingStyleForRowAtIndexPath(UITableView& table, UITableViewCellEditingStyle style,
                                                                     const NSIndexPath& path)
{
    if (style != UITableViewCellEditingStyle::Delete) {
        return;
    }
    redirections_.erase(redirectionAtRow(path.row()));
    table.deleteRowsAtIndexPaths({ path }, UITableViewRowAnimation::Right);
    if (redirections_.empty()) {
        reloadSoon();
    }
    saveToDisk();
}

void RedirectionsViewController::didSelectRowAtIndexPath(UITableView& table, const NSIndexPath& path)
{
    table.deselectRowAtIndexPath(path, true);
    const auto& [source, target] = *redirectionAtRow(path.row());
    openEditor(Redirection { source, target }, "Edit", path.row());
}

void RedirectionsViewController::redirectionEditorDidCancel(RedirectionEditorViewController& editor)
{
    (void)popEditor(editor); // the editor is not used after this
}

void RedirectionsViewController::endedEditingRedirection(RedirectionEditorViewController& editor,
                                                         const Redirection& redirection)
{
    const int tag = editor.tag();
    const auto keepEditor = popEditor(editor);
    if (tag == static_cast<int>(redirections_.size())) {
        addNew(redirection, tag);
    } else {
        replaceRow(tag, redirection);
    }
}

RedirectionsViewController::Table::const_iterator RedirectionsViewController::redirectionAtRow(int row) const
{
    return std::next(redirections_.begin(), row);
}

int RedirectionsViewController::rowOf(const std::string& source) const
{
    return static_cast<int>(std::distance(redirections_.begin(), redirections_.find(source)));
}

void RedirectionsViewController::openEditor(std::optional<Redirection> value, const std::string& title, int tag)
{
    auto editor = std::make_shared<RedirectionEditorViewController>(std::move(value));
    editor->setTitle(title);
    editor->setEditorDelegate(this);
    editor->setTag(tag);
    pushController(editor);
}

void RedirectionsViewController::addNew(const Redirection& redirection, int tag)
{
    if (redirections_.contains(*redirection.from)) {
        showDuplicateAlert();
        return;
    }
    redirections_.emplace(*redirection.from, *redirection.to);
    if (table()) {
        table()->insertRowsAtIndexPaths({ NSIndexPath::indexPathForRowInSection(rowOf(*redirection.from), 0) },
                                       UITableViewRowAnimation::Left);
    }
    if (tag == 0) {
        reloadSoon();
    }
    saveToDisk();
}

// An edit may change the source: the row moves to the new source's place. A source that another
// redirection already has is refused as adding refuses it, so no other redirection is overwritten.
void RedirectionsViewController::replaceRow(int row, const Redirection& redirection)
{
    if (row < 0 || row >= static_cast<int>(redirections_.size())) {
        return;
    }
    const auto previous = redirectionAtRow(row);
    if (previous->first != *redirection.from && redirections_.contains(*redirection.from)) {
        showDuplicateAlert();
        return;
    }
    redirections_.erase(previous);
    redirections_.emplace(*redirection.from, *redirection.to);
    if (table()) {
        table()->beginUpdates();
        table()->deleteRowsAtIndexPaths({ NSIndexPath::indexPathForRowInSection(row, 0) }, UITableViewRowAnimation::Right);
        table()->insertRowsAtIndexPaths({ NSIndexPath::indexPathForRowInSection(rowOf(*redirection.from), 0) },
                                       UITableViewRowAnimation::Left);
        table()->endUpdates();
    }
    saveToDisk();
}

void RedirectionsViewController::reloadSoon()
{
    if (reloadTimer_) {
        reloadTimer_->invalidate();
    }
    reloadTimer_ = NSRunLoop::mainRunLoop().performAfterDelay(kEmptyReloadDelay, [this] {
        if (table()) {
            table()->reloadData();
        }
    });
}
