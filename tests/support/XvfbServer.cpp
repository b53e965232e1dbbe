#include "XvfbServer.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>

namespace {

// Xlib's own handler ends the process on an error; a test should fail instead, with what the server said.
int reportError(Display* display, XErrorEvent* error)
{
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    ADD_FAILURE() << "the X server refused request " << static_cast<int>(error->request_code) << ": " << text;
    return 0;
}

} // namespace

std::optional<std::string> XvfbServer::program()
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/Xvfb";
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

XvfbServer::XvfbServer()
{
    const auto xvfb = program();
    if (!xvfb) {
        failure_ = "Xvfb is not installed";
        return;
    }
    // -displayfd: Xvfb takes the first free display number and writes it to standard output once it listens.
    server_ = ChildProcess::start({"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>/dev/null", *xvfb, "-displayfd", "1", "-screen",
                                   "0", "1280x1024x24", "-nolisten", "tcp"},
                                  {}, failure_);
    if (!server_) {
        return;
    }
    const auto number = server_->nextLine();
    if (!number || number->empty()) {
        failure_ = "Xvfb did not say its display";
        return;
    }
    display_ = ":" + *number;
    XSetErrorHandler(reportError);
    connection_ = XOpenDisplay(display_.c_str());
    if (connection_ == nullptr) {
        failure_ = "cannot connect to Xvfb at " + display_;
    }
}

XvfbServer::~XvfbServer()
{
    if (connection_ != nullptr) {
        XCloseDisplay(connection_);
    }
    if (server_) {
        server_->sendSignal(SIGTERM);
        (void)server_->waitForExitWithin(std::chrono::seconds(30)); // an Xvfb that will not stop is not the test's fault
    }
}

std::optional<unsigned long> XvfbServer::windowTitled(const std::string& title) const
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::optional<unsigned long> found;
    if (XQueryTree(connection_, DefaultRootWindow(connection_), &root, &parent, &children, &count) == 0) {
        return found;
    }
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(connection_, children[i], &name) != 0 && name != nullptr) {
            if (title == name) {
                found = children[i];
            }
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

XvfbServer::Picture XvfbServer::pictureOf(unsigned long window) const
{
    Picture picture;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(connection_, window, &attributes) == 0) {
        return picture;
    }
    XImage* image = XGetImage(connection_, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return picture;
    }
    picture.width = attributes.width;
    picture.height = attributes.height;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return picture;
}

void XvfbServer::askToClose(unsigned long window) const
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(connection_, window, False, NoEventMask, &event);
    XFlush(connection_);
}
