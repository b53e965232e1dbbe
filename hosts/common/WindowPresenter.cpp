#include "WindowPresenter.h"

#include "NSRunLoop.h"
#include "UIImage.h"
#include "WindowScreen.h"
#include "WindowSystemConnection.h"

#include <SDL2/SDL.h>
#include <cairo.h>
#include <poll.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kFallbackRefreshRate = 60;

std::chrono::nanoseconds refreshInterval(SDL_Window* window)
{
    SDL_DisplayMode mode;
    const bool known = SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0;
    return std::chrono::nanoseconds(std::chrono::seconds(1)) / (known ? mode.refresh_rate : kFallbackRefreshRate);
}

bool samePixels(const std::shared_ptr<UIImage>& a, const std::shared_ptr<UIImage>& b)
{
    if (!a || !b || a->pixelWidth() != b->pixelWidth() || a->pixelHeight() != b->pixelHeight()) {
        return false;
    }
    cairo_surface_t* left = a->surface();
    cairo_surface_t* right = b->surface();
    const int stride = cairo_image_surface_get_stride(left);
    if (stride != cairo_image_surface_get_stride(right)) {
        return false;
    }
    cairo_surface_flush(left);
    cairo_surface_flush(right);
    return std::memcmp(cairo_image_surface_get_data(left), cairo_image_surface_get_data(right),
                       static_cast<std::size_t>(stride) * static_cast<std::size_t>(a->pixelHeight())) == 0;
}

// Where a window of this size starts, left or right of the first display's centre with a gap between, moved
// back onto the display where it would stick out.
SDL_Point originBesideCentre(WindowPresenter::Side side, int width, int height)
{
    constexpr int kGap = 16;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        return {static_cast<int>(SDL_WINDOWPOS_UNDEFINED), static_cast<int>(SDL_WINDOWPOS_UNDEFINED)};
    }
    const int centre = usable.x + usable.w / 2;
    const int x = side == WindowPresenter::Side::Left ? centre - kGap / 2 - width : centre + kGap / 2;
    return {std::max(usable.x, std::min(x, usable.x + usable.w - width)), usable.y + std::max(0, (usable.h - height) / 2)};
}

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// The displays the environment names, as a person would set them: "DISPLAY=:0".
std::string displayNames()
{
    std::string names;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (isSet(variable)) {
            names += std::string(names.empty() ? "" : " ") + variable + "=" + std::getenv(variable);
        }
    }
    return names;
}

NSError sdlError(const std::string& doing)
{
    return NSError(doing + ": " + SDL_GetError());
}

} // namespace

Result<std::unique_ptr<WindowPresenter>> WindowPresenter::open(const std::string& title, Side side, WindowScreen& screen,
                                                               std::vector<WindowKey> keys, std::function<void()> closed)
{
    // Without a display SDL would fall back to a window nobody sees.
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
        return NSError("cannot open a window: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    }
    // The host watches SIGTERM and SIGINT itself; a phone on the desk should not keep the screen saver away.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // A finger on the glass touches at once: the press that gives the window the focus is a touch too.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Frames are copied as they are into the window system's own image of the window (shared memory on X11),
    // not through OpenGL: exact pixels, and no GL driver and its threads in the host.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Only drivers that show a window on the desktop; SDL would fall back to drawing off screen.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return sdlError("cannot open a window on the display " + displayNames());
    }
    const auto picture = screen.picture();
    const SDL_Point origin = originBesideCentre(side, picture->pixelWidth(), picture->pixelHeight());
    SDL_Window* window = SDL_CreateWindow(title.c_str(), origin.x, origin.y, picture->pixelWidth(), picture->pixelHeight(),
                                          SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        auto error = sdlError("cannot open a window");
        SDL_Quit();
        return error;
    }
    SDL_StopTextInput(); // keys are buttons here, not text
    std::unique_ptr<WindowPresenter> presenter(new WindowPresenter(window, screen, std::move(keys), std::move(closed)));
    const int descriptor = windowSystemConnectionDescriptor(window);
    if (descriptor < 0) {
        return NSError(std::string("cannot open a window: SDL's video driver \"") + SDL_GetCurrentVideoDriver() +
                       "\" is neither X11 nor Wayland");
    }
    presenter->show(picture);
    presenter->source_ = NSRunLoop::mainRunLoop().addFileDescriptor(
        descriptor, [raw = presenter.get()] { return raw->beforeWaiting(); },
        [raw = presenter.get()](short) { raw->handlePendingEvents(); });
    return presenter;
}

WindowPresenter::WindowPresenter(SDL_Window* window, WindowScreen& screen, std::vector<WindowKey> keys,
                                 std::function<void()> closed)
    : window_(window), screen_(screen), keys_(std::move(keys)), closed_(std::move(closed)),
      frameInterval_(refreshInterval(window))
{
}

WindowPresenter::~WindowPresenter()
{
    if (source_) {
        source_->invalidate();
    }
    SDL_DestroyWindow(window_);
    SDL_Quit();
}

bool WindowPresenter::isSettled()
{
    if (hasPendingEvents()) {
        return false;
    }
    presentIfChanged();
    return !hasPendingEvents();
}

// Runs before every wait of the main run loop, so after everything the loop ran since the last wait.
RunLoopFileSource::Interest WindowPresenter::beforeWaiting()
{
    const TimePoint now = std::chrono::steady_clock::now();
    if (now >= nextFrame_) {
        presentIfChanged();
        nextFrame_ = now + frameInterval_;
        frameOwed_ = false;
    } else {
        frameOwed_ = true;
    }
    RunLoopFileSource::Interest interest{POLLIN, std::nullopt};
    // Events the window system's library has read already do not make the descriptor readable.
    if (hasPendingEvents()) {
        interest.deadline = now;
    } else if (frameOwed_ || screen_.isAnimating()) {
        interest.deadline = nextFrame_;
    }
    return interest;
}

bool WindowPresenter::hasPendingEvents()
{
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

void WindowPresenter::handlePendingEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) {
        handle(event);
    }
}

void WindowPresenter::handle(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        closed_();
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            closed_();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            redraw(); // the window system lost what it showed, or the window has a new surface
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT && touch_ < 0) {
            touch_ = screen_.beginTouch(pointOf(event.button.x, event.button.y));
        }
        break;
    case SDL_MOUSEMOTION:
        if (touch_ >= 0 && (event.motion.state & SDL_BUTTON_LMASK) != 0) {
            screen_.moveTouch(touch_, pointOf(event.motion.x, event.motion.y));
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && touch_ >= 0) {
            screen_.endTouch(touch_, pointOf(event.button.x, event.button.y));
            touch_ = -1;
        }
        break;
    case SDL_KEYDOWN:
        if (event.key.repeat == 0) {
            handleKey(SDL_GetKeyName(event.key.keysym.sym));
        }
        break;
    default:
        break;
    }
}

void WindowPresenter::handleKey(const char* name)
{
    for (const WindowKey& key : keys_) {
        const bool matches = std::any_of(key.names.begin(), key.names.end(),
                                         [name](const std::string& candidate) { return strcasecmp(candidate.c_str(), name) == 0; });
        if (matches) {
            key.press();
            return;
        }
    }
}

// A pointer position in the window's pixels as a point of the picture; a drag that leaves the window stays
// on its edge.
CGPoint WindowPresenter::pointOf(int x, int y) const
{
    const CGFloat scale = shown_->scale();
    const CGSize size = shown_->size();
    return CGPointMake(std::clamp(x / scale, CGFloat(0), size.width), std::clamp(y / scale, CGFloat(0), size.height));
}

bool WindowPresenter::presentIfChanged()
{
    auto picture = screen_.picture();
    if (samePixels(picture, shown_)) {
        return false;
    }
    show(picture);
    return true;
}

void WindowPresenter::show(const std::shared_ptr<UIImage>& picture)
{
    const bool turned =
        shown_ && (shown_->pixelWidth() != picture->pixelWidth() || shown_->pixelHeight() != picture->pixelHeight());
    if (turned) {
        SDL_SetWindowSize(window_, picture->pixelWidth(), picture->pixelHeight());
    }
    shown_ = picture;
    redraw();
}

// Copies the picture shown into the window. The window's surface is asked for each time: a resize (ours, or
// a window manager's) replaces it.
void WindowPresenter::redraw()
{
    cairo_surface_t* surface = shown_->surface();
    cairo_surface_flush(surface);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(cairo_image_surface_get_data(surface), shown_->pixelWidth(),
                                                             shown_->pixelHeight(), 32,
                                                             cairo_image_surface_get_stride(surface),
                                                             SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (source == nullptr || target == nullptr) {
        std::fprintf(stderr, "%s: cannot show a frame: %s\n", program_invocation_short_name, SDL_GetError());
        SDL_FreeSurface(source);
        return;
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window_);
}
