#pragma once

#include "CGGeometry.h"
#include "NSError.h"
#include "Result.h"
#include "RunLoopFileSource.h"
#include "WindowKey.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIImage;
class WindowScreen;
struct SDL_Window;
union SDL_Event;

// A host's screen in a window of the desktop, through SDL2: the window is as large as the picture (320 x 480
// points at the screen's scale, 480 x 320 when the picture lies in landscape) and shows it pixel for pixel;
// the left mouse button is a finger (press, drag, release) and the keys given press the device's buttons.
//
// Frames follow the main run loop, as a display's commit does: before the loop waits, the screen is drawn
// when anything ran since the last frame, and shown only when the picture changed. While the screen
// animates, a frame is drawn at the display's rate; otherwise the loop sleeps until the window system, the
// bus or a timer wakes it. No more than one frame is drawn per refresh interval. The window system's events
// wake the loop through its connection's descriptor; the pointer merely moving over the window is such an
// event too, so it costs a drawing (not a showing) per refresh interval while it moves.
//
// One presenter per process; main thread only.
class WindowPresenter {
public:
    // Which side of the display's centre the window opens on, so that the shell and the Settings application
    // open beside each other rather than one over the other.
    enum class Side { Left, Right };

    // Opens the window on the desktop's display (DISPLAY or WAYLAND_DISPLAY). `closed` runs when the person
    // closes the window. An error when there is no display SDL can use.
    static Result<std::unique_ptr<WindowPresenter>> open(const std::string& title, Side side, WindowScreen& screen,
                                                         std::vector<WindowKey> keys, std::function<void()> closed);
    ~WindowPresenter();
    WindowPresenter(const WindowPresenter&) = delete;
    WindowPresenter& operator=(const WindowPresenter&) = delete;

    // Whether the window shows the screen as it is now and no input from the window system waits: a
    // changed picture is shown first, so once this holds the window system has the frame.
    bool isSettled();

private:
    using TimePoint = std::chrono::steady_clock::time_point;

    WindowPresenter(SDL_Window* window, WindowScreen& screen, std::vector<WindowKey> keys, std::function<void()> closed);

    RunLoopFileSource::Interest beforeWaiting();
    bool hasPendingEvents();
    void handlePendingEvents();
    void handle(const SDL_Event& event);
    void handleKey(const char* name);
    CGPoint pointOf(int x, int y) const;
    // Draws the screen and shows the picture when it differs from the one shown; answers whether it did.
    bool presentIfChanged();
    // Shows the picture, turning the window when the picture turned.
    void show(const std::shared_ptr<UIImage>& picture);
    void redraw();

    SDL_Window* window_;
    WindowScreen& screen_;
    const std::vector<WindowKey> keys_;
    const std::function<void()> closed_;
    std::chrono::nanoseconds frameInterval_;
    std::shared_ptr<RunLoopFileSource> source_;
    std::shared_ptr<UIImage> shown_;
    TimePoint nextFrame_{};
    bool frameOwed_ = false;
    int touch_ = -1;
};
