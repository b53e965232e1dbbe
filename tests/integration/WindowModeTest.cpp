// Both hosts in windows on a private X server, driven through the window system as a person's mouse and
// keyboard would (xdotool), each window checked against the headless picture of the same state.
#include "ChildProcess.h"
#include "NSFileManager.h"
#include "PLWriter.h"
#include "ShellHost.h"
#include "ToolRun.h"
#include "XvfbServer.h"

#include <cairo.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing::HasSubstr;

constexpr int kScale = 2;

struct Point {
    int x;
    int y;
};

// A PNG's pixels as XvfbServer::Picture has them (0xRRGGBB); the screenshots are opaque.
XvfbServer::Picture pictureFromPNG(const std::filesystem::path& path)
{
    XvfbServer::Picture picture;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        picture.width = cairo_image_surface_get_width(surface);
        picture.height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < picture.height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
            for (int x = 0; x < picture.width; ++x) {
                picture.pixels.push_back(row[x] & 0xFFFFFF);
            }
        }
    }
    cairo_surface_destroy(surface);
    return picture;
}

class WindowMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XvfbServer::isInstalled()) {
            GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
        }
        x = std::make_unique<XvfbServer>();
        ASSERT_TRUE(x->isRunning()) << x->failure();
    }

    std::vector<std::pair<std::string, std::string>> windowEnvironment() const
    {
        return {{"DISPLAY", x->display()}, {"SDL_VIDEODRIVER", "x11"}};
    }
    ShellHost::Options windowedShell() const
    {
        ShellHost::Options options;
        options.scale = kScale;
        options.hostArguments = {"--window"};
        options.environment = windowEnvironment();
        return options;
    }
    unsigned long windowTitled(const std::string& title) const
    {
        const auto window = x->windowTitled(title);
        EXPECT_TRUE(window) << "no window \"" << title << "\"";
        return window.value_or(0);
    }

    // xdotool's commands, chained, on the private display; each point of the screen becomes the window's pixel.
    void xdotool(const std::string& commands) const
    {
        const ToolRun run = ToolRun::of("/usr/bin/env", ToolRun::quoted("DISPLAY=" + x->display()) + " xdotool " + commands);
        EXPECT_EQ(run.status, 0) << "xdotool " << commands << ":\n" << run.all();
    }
    static std::string moveTo(unsigned long window, Point point)
    {
        return " mousemove --window " + std::to_string(window) + " " + std::to_string(point.x * kScale) + " " +
               std::to_string(point.y * kScale);
    }
    // Press, move in steps, release: the mouse as a finger.
    void drag(unsigned long window, Point from, Point to, int steps = 8) const
    {
        std::string commands = moveTo(window, from) + " mousedown 1";
        for (int step = 1; step <= steps; ++step) {
            commands += moveTo(window, {from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps});
        }
        xdotool(commands + " mouseup 1");
    }
    void click(unsigned long window, Point point) const { xdotool(moveTo(window, point) + " click 1"); }
    // A key pressed while the pointer is over the window (without a window manager, the focus follows it).
    void key(unsigned long window, const std::string& name) const { xdotool(moveTo(window, {10, 240}) + " key " + name); }

    // The window shows, pixel for pixel, what the host's screenshot of the same moment shows. A clock on the
    // screen (the status bar's time, "seconds ago") may turn between the two pictures; another pair agrees.
    void expectWindowShows(unsigned long window, const std::function<std::filesystem::path()>& screenshot) const
    {
        constexpr int kAttempts = 3;
        std::size_t differing = 0;
        std::filesystem::path path;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            path = screenshot();
            const auto expected = pictureFromPNG(path);
            const auto shown = x->pictureOf(window);
            ASSERT_GT(expected.width, 0) << path;
            ASSERT_EQ(shown.width, expected.width);
            ASSERT_EQ(shown.height, expected.height);
            differing = 0;
            for (std::size_t i = 0; i < shown.pixels.size(); ++i) {
                differing += shown.pixels[i] != expected.pixels[i];
            }
            if (differing == 0) {
                return;
            }
        }
        ADD_FAILURE() << differing << " pixels of the window differ from " << path;
    }

    std::unique_ptr<XvfbServer> x;
};

bool panelIsShown(const ShellHost& shell)
{
    const auto windows = shell.state().windows;
    return std::any_of(windows.begin(), windows.end(), [](const auto& window) { return window.level == 990; });
}

TEST_F(WindowMode, TheShellsWindowTakesTheMouseAndKeysAndShowsWhatItsScreenshotShows)
{
    ShellHost shell(windowedShell());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    const unsigned long window = windowTitled("Vantle SpringBoard");
    ASSERT_NE(window, 0u);

    drag(window, {60, 432}, {300, 432}); // the slider's knob to the end of its track
    shell.waitUntilIdle();
    ASSERT_FALSE(shell.state().locked);

    shell.command({"sms", "--sender", "Anna", "--text", "Are we still on for lunch?"});
    shell.waitUntilIdle();
    expectWindowShows(window, [&] { return shell.screenshot("window-pop-up.png"); });
    click(window, {160, 290}); // the pop-up's button
    shell.waitUntilIdle();
    ASSERT_TRUE(shell.state().alerts.empty());

    drag(window, {160, 5}, {160, 320}); // down from the status bar
    shell.waitUntilIdle();
    ASSERT_TRUE(panelIsShown(shell));
    expectWindowShows(window, [&] { return shell.screenshot("window-panel.png"); });

    key(window, "Left");
    shell.waitUntilIdle();
    EXPECT_EQ(shell.state().orientation, 4);
    expectWindowShows(window, [&] { return shell.screenshot("window-panel-landscape.png"); }); // 480 x 320, upright
    click(window, {400, 300}); // the panel's bottom cap, in the window's landscape points
    shell.waitUntilIdle();
    EXPECT_FALSE(panelIsShown(shell));

    key(window, "Up");
    shell.command({"launch", "com.apple.MobileSMS"});
    shell.waitUntilIdle();
    key(window, "H");
    shell.waitUntilIdle();
    EXPECT_EQ(shell.state().foreground, std::nullopt);
    EXPECT_EQ(shell.state().orientation, 1);
}

TEST_F(WindowMode, ClosingTheWindowStopsTheShellAsSigtermDoes)
{
    ShellHost shell(windowedShell());
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    shell.command({"unlock"});
    shell.command({"sms", "--sender", "Anna", "--text", "Kept"});
    shell.waitUntilIdle();

    x->askToClose(windowTitled("Vantle SpringBoard"));
    EXPECT_EQ(shell.waitForExit(), 0) << shell.failure();
    const auto log = NSFileManager::defaultManager().contentsAtPath(PLWriter::kNewNotificationsPath);
    ASSERT_TRUE(log);
    EXPECT_THAT(log.value(), HasSubstr("Anna: Kept"));
    const ToolRun after = shell.sbctl({"state"});
    EXPECT_EQ(after.status, 1) << "the bus name is released";
}

TEST_F(WindowMode, WithoutADisplayTheShellSaysSoInsteadOfRunningHeadless)
{
    ShellHost::Options options = windowedShell();
    options.environment = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    ShellHost shell(options);
    EXPECT_FALSE(shell.isRunning());
    EXPECT_THAT(shell.failure(), HasSubstr("springboard: cannot open a window"));
}

TEST_F(WindowMode, TheSettingsWindowTakesTheMouseAndShowsWhatItsScreenshotShows)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    ChildProcess::Options options;
    options.environment = windowEnvironment();
    options.environment.emplace_back("DBUS_SESSION_BUS_ADDRESS", shell.busAddress());
    std::string failure;
    auto settings = ChildProcess::start({VANTLE_PREFERENCES_HOST, "--root", shell.device().path().string(), "--scale",
                                         std::to_string(kScale), "--window"},
                                        options, failure);
    ASSERT_TRUE(settings) << failure;
    ASSERT_EQ(settings->nextLine(), "preferences: ready");
    const unsigned long window = windowTitled("Vantle Settings");
    auto settingsctl = [&](const std::vector<std::string>& arguments) {
        std::string words = ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + shell.busAddress()) + " " +
                            ToolRun::quoted(VANTLE_SETTINGSCTL_TOOL);
        for (const auto& argument : arguments) {
            words += " " + ToolRun::quoted(argument);
        }
        const ToolRun run = ToolRun::of("/usr/bin/env", words);
        EXPECT_EQ(run.status, 0) << run.all();
        return run.out;
    };

    const auto screenshot = [&] {
        const auto path = std::filesystem::temp_directory_path() / "vantle-screenshots" / "window-settings.png";
        std::filesystem::create_directories(path.parent_path());
        settingsctl({"screenshot", path.string()});
        return path;
    };

    click(window, {160, 96}); // the row "Vantle" of the root page
    settingsctl({"idle"});
    EXPECT_THAT(settingsctl({"state"}), HasSubstr("\"title\": \"Vantle\""));
    const auto before = x->pictureOf(window);
    drag(window, {160, 400}, {160, 150}); // the page scrolls up
    settingsctl({"idle"});
    EXPECT_NE(x->pictureOf(window).pixels, before.pixels);
    expectWindowShows(window, screenshot);

    key(window, "Escape");
    settingsctl({"idle"});
    EXPECT_THAT(settingsctl({"state"}), HasSubstr("\"title\": \"Settings\""));

    x->askToClose(window);
    EXPECT_EQ(settings->waitForExitWithin(std::chrono::seconds(30)), 0);
}

} // namespace
