#pragma once

#include "UIEvent.h"
#include "UIView.h"

#include <cstdint>

using UIWindowLevel = CGFloat;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

// The root of a view tree shown on the screen. A window starts hidden; the visible windows form the
// screen's stack, lowest window level first (UIScreen::visibleWindows). Its frame is in screen
// coordinates. Touches reach a window's views through sendEvent.
class UIWindow : public UIView {
public:
    UIWindow();
    explicit UIWindow(CGRect frame);
    ~UIWindow() override;

    UIWindowLevel windowLevel() const { return windowLevel_; }
    void setWindowLevel(UIWindowLevel level) { windowLevel_ = level; }
    void setHidden(bool hidden) override;

    // Shows the window on top of its level and makes it the key window.
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    static UIWindow* keyWindow();

    // Delivers each touch of the event that belongs to this window to the view it began on, with the
    // handler of the touch's phase (began, moved, ended, cancelled).
    virtual void sendEvent(UIEvent* event);

    UIView* _exclusiveTouchView() override;
    // The view of this window's exclusive touch in progress; set and cleared by the touch router.
    void setExclusiveTouchView(UIView* view) { exclusiveTouchView_ = view; }

    // When the window was last ordered front: a later stamp lies above an earlier one of the same level.
    std::uint64_t orderStamp() const { return orderStamp_; }

    std::string className() const override { return "UIWindow"; }

private:
    UIWindowLevel windowLevel_ = UIWindowLevelNormal;
    std::uint64_t orderStamp_ = 0;
    UIView* exclusiveTouchView_ = nullptr;
};
