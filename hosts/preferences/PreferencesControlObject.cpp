#include "PreferencesControlObject.h"

#include "PreferencesAppController.h"
#include "PreferencesControlNames.h"
#include "ScreenControlCommands.h"
#include "SettingsStatePropertyList.h"

#include <sdbus-c++/sdbus-c++.h>

namespace {

using Names = PreferencesControlNames;
using Step = ControlObject::Step;

sdbus::Error badArgument(const std::string& reason) { return sdbus::Error(Names::kNames.refusedError, reason); }

Step done(std::function<void()> action)
{
    return [action = std::move(action)](sdbus::MethodReply&) {
        action();
        return std::optional<NSError>();
    };
}

} // namespace

PreferencesControlObject::PreferencesControlObject(
    PreferencesAppController& app, std::function<bool()> isPresented, std::optional<std::string> busAddress)
    : app_(app)
    , control_(
          Names::kNames,
          [&app, isPresented = std::move(isPresented)] { return app.isIdle() && (!isPresented || isPresented()); },
          std::move(busAddress))
{
    registerNavigationCommands();
    registerRowCommands();
    registerAlertCommands();
    ScreenControlCommands::registerOn(
        control_, Names::kNames, app.screen(), [&app] { return SettingsStatePropertyList::xml(app.state()); });
}

void PreferencesControlObject::registerStep(
    const char* method, const char* inputSignature, std::function<Step(sdbus::MethodCall&)> read)
{
    control_.registerCommand(method, inputSignature, "",
        [read = std::move(read)](sdbus::MethodCall& call) { return std::vector<Step>{read(call)}; });
}

void PreferencesControlObject::registerNavigationCommands()
{
    control_.registerCommand(Names::kOpenRows, "as", "", [this](sdbus::MethodCall& call) {
        std::vector<std::string> titles;
        call >> titles;
        if (titles.empty() || titles.size() > static_cast<std::size_t>(Names::kMaxRows)) {
            throw badArgument("name 1 to " + std::to_string(Names::kMaxRows) + " rows to open");
        }
        std::vector<Step> steps{done([this] { app_.popToRoot(); })};
        for (const std::string& title : titles) {
            steps.push_back([this, title](sdbus::MethodReply&) { return app_.tapRow(title); });
        }
        return steps;
    });
    registerStep(Names::kPressNavigationButton, "",
        [this](sdbus::MethodCall&) { return [this](sdbus::MethodReply&) { return app_.pressNavigationButton(); }; });
    registerStep(
        Names::kBack, "", [this](sdbus::MethodCall&) { return [this](sdbus::MethodReply&) { return app_.back(); }; });
}

void PreferencesControlObject::registerRowCommands()
{
    registerStep(Names::kTapRow, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](
                   sdbus::MethodReply&) { return app_.tapRow(title); };
    });
    registerStep(Names::kToggle, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](
                   sdbus::MethodReply&) { return app_.toggle(title); };
    });
    control_.registerCommand(Names::kChoose, "ss", "", [this](sdbus::MethodCall& call) {
        const std::string title = ControlObject::readText(call, "the title");
        const std::string value = ControlObject::readText(call, "the value");
        return std::vector<Step>{[this, title](sdbus::MethodReply&) { return app_.tapRow(title); },
            [this, value](sdbus::MethodReply&) { return app_.tapRow(value); }};
    });
    registerStep(Names::kSwipeDelete, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](
                   sdbus::MethodReply&) { return app_.swipeDelete(title); };
    });
}

void PreferencesControlObject::registerAlertCommands()
{
    registerStep(Names::kPressAlertButton, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](
                   sdbus::MethodReply&) { return app_.pressAlertButton(title); };
    });
    registerStep(Names::kType, "s", [this](sdbus::MethodCall& call) {
        return
            [this, text = ControlObject::readText(call, "the text")](sdbus::MethodReply&) { return app_.type(text); };
    });
}
