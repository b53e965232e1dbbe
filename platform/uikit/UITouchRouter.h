#pragma once

#include "CGGeometry.h"
#include "UITouch.h"

#include <map>
#include <memory>

// Turns fingers on the screen into touches for the views. Before each step the screen's one layout pass
// runs (UIScreen::layOutVisibleWindows), as before each turn of the run loop. The first contact hit-tests
// the visible windows from the top-most down (the first window whose hitTest answers a view gets the
// touch), and the touch then stays with that view through its moves until it ends or is cancelled. Every
// step sends the window an event holding all touches in progress, the others in the stationary phase. A
// touch that begins on a view whose _exclusiveTouchView answers another view is dropped. Points are screen
// coordinates; time comes from the process clock. Hosts and tests drive it; main thread only.
class UITouchRouter {
public:
    // Answers the new touch's identifier, or -1 when no view takes it.
    int beginTouch(CGPoint screenPoint);
    void moveTouch(int touch, CGPoint screenPoint);
    void endTouch(int touch, CGPoint screenPoint);
    void cancelTouch(int touch);
    void cancelAllTouches();
    // A touch that begins and ends at the point. False when no view took it.
    bool tap(CGPoint screenPoint);
    // A touch that begins at `from`, moves to `to` in `steps` equal steps and ends there. False when no view
    // took it.
    bool drag(CGPoint from, CGPoint to, int steps);

    std::size_t activeTouchCount() const { return touches_.size(); }

private:
    void deliver(const std::shared_ptr<UITouch>& changed);
    void finish(int touch, UITouchPhase phase, CGPoint screenPoint, bool moves);
    static CGPoint inWindow(const UIWindow* window, CGPoint screenPoint);

    std::map<int, std::shared_ptr<UITouch>> touches_;
    int nextTouch_ = 1;
};
