#include "PreferencesAppController.h"

#include "CAAnimationScheduler.h"
#include "JobThreadTracker.h"
#include "NSRunLoop.h"
#include "UIAlertView.h"
#include "UIScreen.h"
#include "UISwitch.h"
#include "UITableViewCellDeleteConfirmationControl.h"
#include "UITableViewCellEditControl.h"

namespace {

constexpr CGFloat kScreenWidth = 320;
constexpr CGFloat kScreenHeight = 480;

// The first view of the kind in the tree, depth first, front-most subviews last as they are drawn.
template <class T> T* findView(UIView& root)
{
    if (auto* found = dynamic_cast<T*>(&root)) {
        return found;
    }
    for (const auto& subview : root.subviews()) {
        if (!subview->isHidden()) {
            if (T* found = findView<T>(*subview)) {
                return found;
            }
        }
    }
    return nullptr;
}

CGPoint screenCenter(const UIView& view)
{
    const CGRect bounds = view.bounds();
    const CGPoint inWindow
        = view.convertPointToView(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)), nullptr);
    const UIWindow* window = view.window();
    return window ? CGPointMake(inWindow.x + window->frame().origin.x, inWindow.y + window->frame().origin.y)
                  : inWindow;
}

} // namespace

PreferencesAppController::PreferencesAppController(NSFileManager& files)
    : window_(std::make_shared<UIWindow>(CGRectMake(0, 0, kScreenWidth, kScreenHeight)))
    , statusBar_(std::make_shared<PreferencesStatusBar>(CGRectMake(0, 0, kScreenWidth, PreferencesStatusBar::height)))
    , navigation_(std::make_shared<UINavigationController>(std::make_shared<PrefsListController>(files)))
{
    window_->setBackgroundColor(UIColor::blackColor());
    window_->addSubview(statusBar_);
}

PreferencesAppController::~PreferencesAppController() { window_->setHidden(true); }

void PreferencesAppController::finishLaunching()
{
    const std::shared_ptr<UIView>& page = navigation_->view();
    page->setFrame(UIScreen::mainScreen()->applicationFrame());
    window_->addSubview(page);
    navigation_->viewWillAppear(false);
    window_->makeKeyAndVisible();
    navigation_->viewDidAppear(false);
}

PreferencesAppController::State PreferencesAppController::state()
{
    layOut();
    State state;
    for (const auto& page : navigation_->viewControllers()) {
        state.stack.push_back(page->title());
    }
    if (UIViewController* page = shownPage()) {
        state.title = page->title();
    }
    if (UITableView* table = shownTable(); table && table->dataSource()) {
        UITableViewDataSource& source = *table->dataSource();
        for (int section = 0; section < table->numberOfSections(); ++section) {
            Section shown{
                source.titleForHeaderInSection(*table, section), source.titleForFooterInSection(*table, section), {}};
            for (int row = 0; row < table->numberOfRowsInSection(section); ++row) {
                const NSIndexPath path(row, section);
                auto cell = table->cellForRowAtIndexPath(path);
                if (!cell) {
                    cell = source.cellForRowAtIndexPath(*table, path);
                }
                shown.rows.push_back(cell ? rowOf(*cell) : Row{});
            }
            state.sections.push_back(std::move(shown));
        }
    }
    if (const auto alert = shownAlert()) {
        Alert shown{alert->title(), alert->message(), {}};
        for (int index = 0; index < alert->numberOfButtons(); ++index) {
            shown.buttons.push_back(alert->buttonTitleAtIndex(index));
        }
        state.alert = std::move(shown);
    }
    return state;
}

bool PreferencesAppController::isIdle() const
{
    return JobThreadTracker::runningCount() == 0 && !CAAnimationScheduler::shared().hasRunningAnimations()
        && !navigation_->isInTransition() && !NSRunLoop::mainRunLoop().hasWorkDue();
}

void PreferencesAppController::popToRoot()
{
    (void)navigation_->popToRootViewControllerAnimated(false); // the pages taken off are simply let go
}

std::optional<NSError> PreferencesAppController::tapRow(const std::string& title)
{
    auto cell = visibleCellTitled(title);
    if (!cell) {
        return cell.error();
    }
    if (!tapView(*cell.value()->contentView())) {
        return NSError("the row \"" + title + "\" did not take the tap");
    }
    return std::nullopt;
}

std::optional<NSError> PreferencesAppController::toggle(const std::string& title)
{
    auto cell = visibleCellTitled(title);
    if (!cell) {
        return cell.error();
    }
    UISwitch* control = findView<UISwitch>(*cell.value());
    if (!control) {
        return NSError("the row \"" + title + "\" has no switch");
    }
    tapView(*control);
    return std::nullopt;
}

std::optional<NSError> PreferencesAppController::pressAlertButton(const std::string& title)
{
    const auto alert = shownAlert();
    if (!alert) {
        return NSError("no alert is shown");
    }
    layOut();
    for (int index = 0; index < alert->numberOfButtons(); ++index) {
        if (alert->buttonTitleAtIndex(index) == title) {
            tapView(*alert->buttonAtIndex(index));
            return std::nullopt;
        }
    }
    return NSError("the alert \"" + alert->title() + "\" has no button \"" + title + "\"");
}

std::optional<NSError> PreferencesAppController::type(const std::string& text)
{
    UITextField* field = nullptr;
    if (const auto alert = shownAlert()) {
        field = alert->textFieldAtIndex(0);
        if (!field) {
            return NSError("the alert shown has no text field");
        }
    } else if (auto* page = dynamic_cast<PSListController*>(shownPage())) {
        field = page->focusedTextField();
    }
    if (!field) {
        return NSError("no text field has the focus (tap a text row first)");
    }
    field->insertText(text);
    return std::nullopt;
}

std::optional<NSError> PreferencesAppController::swipeDelete(const std::string& title)
{
    auto cell = visibleCellTitled(title);
    if (!cell) {
        return cell.error();
    }
    // In editing mode the row's delete control uncovers the button; otherwise a swipe across it does.
    if (UIView* control = cell.value()->editControl(); control && cell.value()->isEditing()) {
        tapView(*control);
    } else {
        const CGPoint center = screenCenter(*cell.value());
        screen_.touches().drag(CGPointMake(kScreenWidth - 40, center.y), CGPointMake(80, center.y), 10);
    }
    layOut();
    auto* button = cell.value()->deleteConfirmationControl();
    if (!button || !cell.value()->showingDeleteConfirmation()) {
        return NSError("the row \"" + title + "\" cannot be deleted");
    }
    tapView(*button);
    return std::nullopt;
}

std::optional<NSError> PreferencesAppController::pressNavigationButton()
{
    return tapBarButton([](UINavigationBar& bar) { return bar.rightButton(); },
        "the page \"" + (shownPage() ? shownPage()->title() : std::string())
            + "\" has no button at the right of the navigation bar");
}

std::optional<NSError> PreferencesAppController::back()
{
    return tapBarButton([](UINavigationBar& bar) { return bar.backButton(); }, "the root page has no back button");
}

std::optional<NSError> PreferencesAppController::tapBarButton(
    UINavigationButton* (*button)(UINavigationBar&), const std::string& reasonWithout)
{
    if (auto failure = refuseDuringAlert()) {
        return failure;
    }
    layOut();
    UINavigationButton* shown = button(*navigation_->navigationBar());
    if (!shown || shown->isHidden()) {
        return NSError(reasonWithout);
    }
    tapView(*shown);
    return std::nullopt;
}

UIViewController* PreferencesAppController::shownPage() const { return navigation_->topViewController(); }

UITableView* PreferencesAppController::shownTable() const
{
    UIViewController* page = shownPage();
    return page && page->isViewLoaded() ? findView<UITableView>(*page->view()) : nullptr;
}

std::shared_ptr<UIAlertView> PreferencesAppController::shownAlert() const
{
    const auto alerts = UIAlertView::visibleAlerts();
    return alerts.empty() ? nullptr : alerts.back();
}

std::optional<NSError> PreferencesAppController::refuseDuringAlert() const
{
    if (const auto alert = shownAlert()) {
        return NSError("the alert \"" + alert->title() + "\" is shown; press one of its buttons first");
    }
    return std::nullopt;
}

Result<std::shared_ptr<UITableViewCell>> PreferencesAppController::visibleCellTitled(const std::string& title)
{
    if (auto failure = refuseDuringAlert()) {
        return *failure;
    }
    layOut();
    UITableView* table = shownTable();
    const std::string pageTitle = shownPage() ? shownPage()->title() : std::string();
    if (!table || !table->dataSource()) {
        return NSError("the page \"" + pageTitle + "\" has no rows");
    }
    for (int section = 0; section < table->numberOfSections(); ++section) {
        for (int row = 0; row < table->numberOfRowsInSection(section); ++row) {
            const NSIndexPath path(row, section);
            auto cell = table->cellForRowAtIndexPath(path);
            if (!cell) {
                cell = table->dataSource()->cellForRowAtIndexPath(*table, path);
            }
            if (!cell || !cell->textLabel() || cell->textLabel()->text() != title) {
                continue;
            }
            table->scrollToRowAtIndexPath(path, UITableViewScrollPosition::None, false);
            layOut();
            if (auto shown = table->cellForRowAtIndexPath(path)) {
                return shown;
            }
        }
    }
    return NSError("the page \"" + pageTitle + "\" has no row \"" + title + "\"");
}

bool PreferencesAppController::tapView(UIView& view) { return screen_.touches().tap(screenCenter(view)); }

void PreferencesAppController::layOut() { UIScreen::mainScreen()->layOutVisibleWindows(); }

PreferencesAppController::Row PreferencesAppController::rowOf(UITableViewCell& cell)
{
    Row row;
    row.text = cell.textLabel() ? cell.textLabel()->text() : std::string();
    row.detail = cell.detailTextLabel() ? cell.detailTextLabel()->text() : std::string();
    if (UISwitch* control = findView<UISwitch>(cell)) {
        row.on = control->isOn();
    }
    if (auto* field = findView<UITextField>(cell)) {
        row.detail = field->text();
    }
    if (cell.accessoryType() == UITableViewCellAccessoryType::Checkmark) {
        row.checked = true;
    }
    return row;
}
