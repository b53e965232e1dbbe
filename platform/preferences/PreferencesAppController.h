#pragma once

#include "NSError.h"
#include "PreferencesStatusBar.h"
#include "PrefsListController.h"
#include "UIHostScreen.h"
#include "UINavigationController.h"
#include "UIWindow.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIAlertView;

// The Settings application: a full-screen window with the status bar and, below it, a navigation controller
// whose root page is PrefsListController. Everything a user does goes through touches on the screen (the
// touch router), so a row reacts exactly as it would to a finger: the operations below find what to touch
// from what is shown, and refuse with a reason when it is not there.
//
// Operations act on the screen as it is: callers that chain them (open a row, then choose on the page it
// opened) wait until isIdle() between two. Main thread only.
class PreferencesAppController {
public:
    struct Row {
        std::string text;
        std::string detail;
        std::optional<bool> on; // a switch row: its state
        std::optional<bool> checked; // a row of a choice page: whether it is the chosen one
    };
    struct Section {
        std::optional<std::string> header;
        std::optional<std::string> footer;
        std::vector<Row> rows;
    };
    struct Alert {
        std::string title;
        std::string message;
        std::vector<std::string> buttons;
    };
    struct State {
        std::string title; // of the page shown
        std::vector<Section> sections; // of its table; none when the page has no table
        std::optional<Alert> alert; // the alert on top, if any
        std::vector<std::string> stack; // the page titles, root first
    };

    explicit PreferencesAppController(NSFileManager& files = NSFileManager::defaultManager());
    ~PreferencesAppController();
    PreferencesAppController(const PreferencesAppController&) = delete;
    PreferencesAppController& operator=(const PreferencesAppController&) = delete;

    // Puts the window on screen with the root page.
    void finishLaunching();

    UINavigationController& rootController() { return *navigation_; }
    State state();
    // No job thread runs, no animation is in flight, no navigation slide runs and no work is due.
    bool isIdle() const;

    // Back to the root page at once.
    void popToRoot();
    // Taps the row with the title on the page shown (scrolling it into view first).
    [[nodiscard]] std::optional<NSError> tapRow(const std::string& title);
    // Taps the switch of the row with the title.
    [[nodiscard]] std::optional<NSError> toggle(const std::string& title);
    // Taps the button with the title on the alert shown.
    [[nodiscard]] std::optional<NSError> pressAlertButton(const std::string& title);
    // Types into the first text field of the alert shown or, without an alert, the field that has the focus.
    [[nodiscard]] std::optional<NSError> type(const std::string& text);
    // Swipes across the row with the title (in a table in editing mode: taps its delete control) and taps
    // the delete button that uncovers.
    [[nodiscard]] std::optional<NSError> swipeDelete(const std::string& title);
    // Taps the right button of the navigation bar ("+", "Done").
    [[nodiscard]] std::optional<NSError> pressNavigationButton();
    // Taps the back button of the navigation bar.
    [[nodiscard]] std::optional<NSError> back();

    // The screen as the host drives it: the finger, in points of the 320 x 480 screen, and its pictures.
    UIHostScreen& screen() { return screen_; }

private:
    UIViewController* shownPage() const;
    UITableView* shownTable() const;
    std::shared_ptr<UIAlertView> shownAlert() const;
    std::optional<NSError> refuseDuringAlert() const;
    std::optional<NSError> tapBarButton(
        UINavigationButton* (*button)(UINavigationBar&), const std::string& reasonWithout);
    // The row's cell, scrolled into view and laid out; an error when the page has no such row.
    Result<std::shared_ptr<UITableViewCell>> visibleCellTitled(const std::string& title);
    bool tapView(UIView& view);
    void layOut();
    static Row rowOf(UITableViewCell& cell);

    std::shared_ptr<UIWindow> window_;
    std::shared_ptr<PreferencesStatusBar> statusBar_;
    std::shared_ptr<UINavigationController> navigation_;
    UIHostScreen screen_;
};
