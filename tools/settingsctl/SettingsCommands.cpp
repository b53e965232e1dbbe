#include "SettingsCommands.h"

#include "PreferencesControlNames.h"
#include "SettingsStateJson.h"

#include <CLI/CLI.hpp>
#include <sdbus-c++/sdbus-c++.h>

namespace {

using Names = PreferencesControlNames;

} // namespace

SettingsCommands::SettingsCommands(CLI::App& app)
    : table_(app, std::chrono::seconds(60))
    , screen_(table_, SettingsStateJson::fromPropertyList,
          {"Settings application",
              "Print what the application shows as one JSON object: \"title\", \"sections\" (\"header\", "
              "\"footer\", \"rows\" of \"text\" and \"detail\"), \"alert\" (null or \"title\", \"message\", "
              "\"buttons\") and \"stack\" (the page titles)",
              "Return once the application is idle: no animation, slide or job runs and no work is due",
              "an animation, a slide or a job did not finish"})
{
    addPages();
}

int SettingsCommands::run(int argc, char** argv) { return table_.run(argc, argv, Names::kNames, "settingsctl"); }

CLI::App* SettingsCommands::addTitled(
    const std::string& name, const std::string& description, std::string method, const std::string& what)
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
