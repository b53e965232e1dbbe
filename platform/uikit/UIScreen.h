#pragma once

#include "CGGeometry.h"
#include "NSObject.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class UIWindow;

// The one screen: 320 × 480 points at scale 1 or 2 (the host chooses; 1 unless told). It knows the windows
// that exist and answers the visible ones as a stack, lowest window level first; among equal levels the
// window shown (or ordered front) last lies on top. Windows and the stack are main-thread objects; the
// scale may be read from any thread.
class UIScreen final : public NSObject {
public:
    static std::shared_ptr<UIScreen> mainScreen();
    // Whether instances answer the selector ("scale", "bounds", "applicationFrame").
    static bool instancesRespondToSelector(std::string_view selector);

    CGRect bounds() const { return CGRectMake(0, 0, 320, 480); }
    // The bounds less the 20-point status bar.
    CGRect applicationFrame() const { return CGRectMake(0, 20, 320, 460); }
    CGFloat scale() const { return scale_.load(); }
    // Only 1 and 2 are accepted; false (and nothing changes) otherwise.
    bool setScale(CGFloat scale);

    // Visible windows, lowest first.
    std::vector<UIWindow*> visibleWindows() const;
    // The one layout pass over everything the screen shows: every visible window's tree, lowest first,
    // whoever owns the window (layoutIfNeeded), as the toolkit does once per turn of the run loop. The touch
    // router runs it before each touch is delivered, the renderer before each picture, so a view laid out
    // by a change a moment ago (a swiped cell's delete button, say) is where the finger and the eye expect.
    void layOutVisibleWindows() const;
    // Every window that exists, in creation order.
    const std::vector<UIWindow*>& windows() const { return windows_; }

    std::string className() const override { return "UIScreen"; }

    // Bookkeeping called by UIWindow.
    void addWindow(UIWindow* window);
    void removeWindow(UIWindow* window);
    std::uint64_t nextOrderStamp() { return ++orderStamp_; }

private:
    std::atomic<CGFloat> scale_{1};
    std::vector<UIWindow*> windows_;
    std::uint64_t orderStamp_ = 0;
};
