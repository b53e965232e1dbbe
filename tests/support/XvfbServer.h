#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ChildProcess;
struct _XDisplay;

// A private X server for tests of the hosts' windows: an Xvfb of its own on a free display number (it
// picks one and says which), 24 bits deep, with a connection of the test's own for looking at windows.
// Killed when the object goes away.
//
//     if (!XvfbServer::isInstalled()) GTEST_SKIP() << "no Xvfb";
//     XvfbServer x;
//     ASSERT_TRUE(x.isRunning()) << x.failure();
//     // child processes: put x.display() in their DISPLAY
class XvfbServer {
public:
    // A window's pixels, row by row, each 0xRRGGBB.
    struct Picture {
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> pixels;
    };

    // The path of the Xvfb program, or nothing when it is not installed.
    static std::optional<std::string> program();
    static bool isInstalled() { return program().has_value(); }

    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool isRunning() const { return connection_ != nullptr; }
    const std::string& failure() const { return failure_; }
    // The value for DISPLAY (":3").
    const std::string& display() const { return display_; }

    // The top-level window with this title, or nothing.
    std::optional<unsigned long> windowTitled(const std::string& title) const;
    // What the window shows now, as the X server has it.
    Picture pictureOf(unsigned long window) const;
    // Asks the window's client to close it, as a window manager's close button does (WM_DELETE_WINDOW).
    void askToClose(unsigned long window) const;

private:
    std::unique_ptr<ChildProcess> server_;
    _XDisplay* connection_ = nullptr;
    std::string display_;
    std::string failure_;
};
