#pragma once

#include "CAAnimationDelegate.h"
#include "NSDictionary.h"
#include "UIActivityIndicatorView.h"
#include "UIButton.h"
#include "UIImageView.h"
#include "UILabel.h"
#include "UITableView.h"
#include "UIView.h"
#include "VTActions.h"
#include "VTNotificationListManager.h"
#include "VTNotificationListWindow.h"

#include <cstdint>
#include <functional>
#include <memory>

class VTController;

// The notification panel that the window controller slides over the screen: a 20-point top cap, a white
// sheet holding the table of notifications (with a count line above its first row, the empty state and,
// while shown, the actions bar), a loading spinner, and a bottom cap carrying the settings button at the
// left and the actions-menu button at the right.
//
// Each activation makes a fresh list manager, which becomes the table's data source and delegate and
// loads the log on a job thread of its own; deactivation writes the shown records back as read and drops
// it. The actions bar is uncovered by curling the list up like a page, to 78 %. Touches on the panel's own
// area (the top strip, the caps and the strip below the bottom cap) close it: a tap on the top strip or
// the bottom band, or pushing the bottom cap up.
//
// Layout depends on the interface orientation the shell reports (1 to 4, or the angles 0, ±90, ±180): the
// bottom cap stands 35 points above the bottom edge in portrait, 20 in landscape and 0 for an unknown
// value, and the band along the bottom edge where a touch counts as one on the bottom cap is 80, 65 or 0
// points high.
//
// Main thread only. The panel lives as long as its window controller, which it does not retain.
class VTWindow final : public UIView,
                       public VTNotificationListWindow,
                       public VTActions::Target,
                       public CAAnimationDelegate {
public:
    using ListManagerFactory = std::function<std::shared_ptr<VTNotificationListManager>()>;

    // The panel in the frame; each activation asks `listManagers` for its list manager.
    VTWindow(CGRect frame, ListManagerFactory listManagers);
    ~VTWindow() override;

    // The list manager the settings ask for: by date when "Group By" is exactly "Date", by application
    // otherwise (also before any settings are loaded).
    static std::shared_ptr<VTNotificationListManager> listManagerForSettings();

    void setFrame(CGRect frame) override;

    // Removes the status-bar image, makes a fresh list manager and starts its loading on a job thread,
    // with the top cap and the spinner shown and the empty state hidden.
    void activate();
    // Puts the actions bar away, hides the top cap, has the list manager write the records back as read
    // and drops it; the table is left empty.
    void deactivate();

    // What the list manager reports (VTNotificationListWindow).
    void reloadContent() override;
    void finishedSorting() override;
    // Hides the count line for 0; its text ("1 Notification", "5 Notifications") changes on the next pass
    // of the main run loop.
    void setCount(unsigned count) override;
    void setNoNotifications(bool noNotifications) override;
    std::shared_ptr<UITableView> content() const override { return content_; }
    VTController* controller() const override { return controller_; }
    double listWidth() const override { return frame().size.width; }

    unsigned count() const { return count_; }
    void setController(VTController* controller) { controller_ = controller; }
    const std::shared_ptr<VTNotificationListManager>& listManager() const { return listManager_; }
    // Makes the manager (or nothing) the table's data source and delegate, tells it this panel, and
    // reloads the table. The previous manager is released.
    void setListManager(std::shared_ptr<VTNotificationListManager> listManager);
    // Hands a record to the list manager on the main thread, where it is never in the middle of a sort: at
    // once when called there. Any thread.
    void receivedNotification(const std::shared_ptr<NSDictionary>& record);

    // The actions bar: shown by curling the list up, put away by uncurling it; the menu button turns by
    // 135° while the bar is shown. Asking for the current state does nothing.
    bool isShowingActions() const { return showingActions_; }
    void setShowingActions(bool showingActions);
    // The menu button: shows or puts away the actions bar.
    void actionItem();
    // The settings button: the panel slides out and the Settings application comes forward.
    void settingsItem();

    // The actions bar's buttons (VTActions::Target). Clear empties the log and closes the panel;
    // Collapse All and Expand All change the groups, and the table shows them once the list has uncurled.
    void clear() override;
    void collapse() override;
    void expand() override;

    // The curl's end: reloads the table once the list has uncurled.
    void animationDidStopFinished(CAAnimation& animation, bool finished) override;

    // The close gestures.
    void touchesBeganWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesMovedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesEndedWithEvent(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelledWithEvent(const UITouchSet& touches, UIEvent* event) override;
    // Answers nothing: a touch on the panel begins even while another view holds an exclusive touch.
    UIView* _exclusiveTouchView() override { return nullptr; }

    std::int32_t orientation() const { return orientation_; }
    // Stores the orientation; the next layout uses it.
    void setOrientation(std::int32_t orientation) { orientation_ = orientation; }

    UIView& holder() const { return *holder_; }
    UILabel& countLabel() const { return *countLabel_; }
    UIActivityIndicatorView& loader() const { return *loader_; }
    UIView& noNotifications() const { return *noNotifications_; }
    UIImageView& topCap() const { return *topCap_; }
    UIImageView& bottomCap() const { return *bottomCap_; }
    UIButton& actionsButton() const { return *actionsButton_; }
    UIButton& settingsButton() const { return *settingsButton_; }
    // The actions bar while it is shown, null otherwise.
    const std::shared_ptr<VTActions>& actions() const { return actions_; }

    std::string className() const override { return "VTWindow"; }

    static constexpr CGFloat kTopCapHeight = 20;
    static constexpr CGFloat kBottomCapHeight = 45;
    static constexpr CGFloat kCapButtonSide = 37;
    static constexpr double kCurlDuration = 0.35;
    static constexpr double kCurlProgress = 0.78;
    // How long the put-away bar is kept, so that the uncurl can still draw it.
    static constexpr double kActionsReleaseDelay = 0.5;
    // Pushing the bottom cap up this far closes the panel while the finger is still down.
    static constexpr CGFloat kPushToClose = 35;
    static constexpr const char* kCurlAnimationKey = "pageCurlAnimation";
    static constexpr const char* kSettingsIdentifier = "com.apple.Preferences";

private:
    // One touch on the panel's own area, from the point where it began.
    enum class TouchMode {
        None,
        TopStrip,          // began above the list zone and has not entered it: releasing closes
        InList,            // is, or has been, in the list zone: releasing does nothing
        BottomBand,        // began in the bottom band and has not entered the list zone: releasing closes
        BottomThroughList, // began in the bottom band and entered the list zone: releasing higher closes
        Closed,            // has closed the panel already
    };

    void buildEmptyState();
    void closeFromGesture();
    bool isInListZone(CGFloat y) const;
    CGFloat bottomBand() const;
    void addCurlTransition(bool showingActions);
    void rotateActionsButton(CGFloat angle);

    VTController* controller_ = nullptr;
    ListManagerFactory listManagers_;
    std::shared_ptr<VTNotificationListManager> listManager_;
    std::uint32_t count_ = 0;
    std::shared_ptr<UIView> holder_;
    std::shared_ptr<UITableView> content_;
    std::shared_ptr<UILabel> countLabel_;
    std::shared_ptr<UIActivityIndicatorView> loader_;
    std::shared_ptr<UIView> noNotifications_;
    std::shared_ptr<UIImageView> topCap_;
    std::shared_ptr<UIImageView> bottomCap_;
    std::shared_ptr<UIButton> actionsButton_;
    std::shared_ptr<UIButton> settingsButton_;
    std::shared_ptr<VTActions> actions_;
    bool showingActions_ = false;
    TouchMode touchMode_ = TouchMode::None;
    float savedTouch_ = 0;
    std::int32_t orientation_ = 0;
};
