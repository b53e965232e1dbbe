#include "SettingsCommands.h"

#include "PreferencesControlNames.h"
#include "SettingsStateJson.h"

#include <CLI/CLI.hpp>
#include <sdbus-c++/sdbus-c++.h>

#include <filesystem>
#include <ostream>

namespace {

using Names = PreferencesControlNames;

const CLI::Range& xRange()
{
    static const CLI::Range range(0.0, Names::kScreenWidth);
    return range;
}

const CLI::Range& yRange()
{
    static const CLI::Range range(0.0, Names::kScreenHeight);
    return range;
}

} // namespace

SettingsCommands::SettingsCommands(CLI::App& app) : table_(app, std::chrono::seconds(60))
{
    addPages();
    addTouches();
    addViews();
}

int SettingsCommands::run(int argc, char** argv)
{
    return table_.run(argc, argv, Names::kNames, "settingsctl");
}

CLI::App* SettingsCommands::addTitled(const std::string& name, const std::string& description, std::string method,
                                      const std::string& what)
{
    auto* command = add(name, description, std::move(method), [this](sdbus::MethodCall& call) { call << title_; });
    command->add_option("TITLE", title_, what)->required();
    return command;
}

void SettingsCommands::addPages()
{
    auto* open = add("open", "From the root page, tap the rows with these titles in turn", Names::kOpenRows,
                     [this](sdbus::MethodCall& call) { call << titles_; });
    open->add_option("TITLE", titles_, "The rows' titles, such as \"Vantle\" \"Select Gesture\"")
        ->required()
        ->expected(1, Names::kMaxRows);

    addTitled("tap-row", "Tap the row with this title on the page shown", Names::kTapRow, "The row's title");
    addTitled("toggle", "Flip the switch of the row with this title", Names::kToggle, "The row's title");
    auto* choose = add("choose", "Open the choice list with this title and pick a value in it", Names::kChoose,
                       [this](sdbus::MethodCall& call) { call << title_ << value_; });
    choose->add_option("TITLE", title_, "The choice list's row")->required();
    choose->add_option("VALUE", value_, "The title of the choice")->required();
    addTitled("alert-button", "Press the button with this title on the alert shown", Names::kPressAlertButton,
              "The button's title");
    auto* type = add("type", "Type into the text field of the alert shown, or of the text row that has the focus",
                     Names::kType, [this](sdbus::MethodCall& call) { call << text_; });
    type->add_option("TEXT", text_, "What to type")->required();
    addTitled("swipe-delete", "Swipe across the row with this title and press its delete button", Names::kSwipeDelete,
              "The row's title");
    add("nav-button", "Tap the right button of the navigation bar (\"+\", \"Done\")", Names::kPressNavigationButton);
    add("back", "Tap the back button of the navigation bar", Names::kBack);
}

void SettingsCommands::addTouches()
{
    auto* tap = add("tap", "Tap the screen at a point (points on the 320 x 480 screen)", Names::kTap,
                    [this](sdbus::MethodCall& call) { call << x1_ << y1_; });
    tap->add_option("X", x1_)->required()->check(xRange());
    tap->add_option("Y", y1_)->required()->check(yRange());

    auto* drag = add("drag", "Drag a finger from one point to another in equal steps", Names::kDrag,
                     [this](sdbus::MethodCall& call) { call << x1_ << y1_ << x2_ << y2_ << steps_; });
    drag->add_option("X1", x1_)->required()->check(xRange());
    drag->add_option("Y1", y1_)->required()->check(yRange());
    drag->add_option("X2", x2_)->required()->check(xRange());
    drag->add_option("Y2", y2_)->required()->check(yRange());
    drag->add_option("--steps", steps_, "How many moves between press and release")
        ->capture_default_str()
        ->check(CLI::Range(1, Names::kMaxDragSteps));
}

void SettingsCommands::addViews()
{
    // The application writes the file itself, so a relative path is made absolute against our folder first.
    auto* screenshot = add("screenshot", "Write the screen as drawn now to a PNG file (at the screen's scale)",
                           Names::kWriteScreenshot, [this](sdbus::MethodCall& call) {
                               call << std::filesystem::absolute(file_).lexically_normal().string();
                           });
    screenshot->add_option("FILE", file_, "Where to write the PNG")->required();

    auto printState = [](sdbus::MethodReply& reply, std::ostream& out) {
        std::string xml;
        reply >> xml;
        const auto json = SettingsStateJson::fromPropertyList(xml);
        if (!json) {
            return std::optional<NSError>(json.error());
        }
        out << json.value();
        return std::optional<NSError>();
    };
    add("state", "Print what the application shows as one JSON object: \"title\", \"sections\" (\"header\", "
                 "\"footer\", \"rows\" of \"text\" and \"detail\"), \"alert\" (null or \"title\", \"message\", "
                 "\"buttons\") and \"stack\" (the page titles)",
        Names::kState, {}, printState);

    auto* idle = add("idle", "Return once the application is idle: no animation, slide or job runs and no work is due",
                     Names::kWaitUntilIdle);
    idle->add_option("--timeout", idleTimeout_, "Seconds to wait at most")->capture_default_str()->check(CLI::Range(1, 3600));
    idle->callback([this, idle] { table_.request(idle).timeout = std::chrono::seconds(idleTimeout_); });
}
