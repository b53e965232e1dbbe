#include "PreferencesControlObject.h"

#include "PreferencesAppController.h"
#include "PreferencesControlNames.h"
#include "SettingsStatePropertyList.h"

#include <sdbus-c++/sdbus-c++.h>

#include <cmath>

namespace {

using Names = PreferencesControlNames;
using Step = ControlObject::Step;

sdbus::Error badArgument(const std::string& reason)
{
    return sdbus::Error(Names::kNames.refusedError, reason);
}

CGPoint readPoint(sdbus::MethodCall& call)
{
    double x = 0;
    double y = 0;
    call >> x >> y;
    const bool onScreen = std::isfinite(x) && std::isfinite(y) && x >= 0 && x <= Names::kScreenWidth && y >= 0 &&
                          y <= Names::kScreenHeight;
    if (!onScreen) {
        throw badArgument("(" + std::to_string(x) + ", " + std::to_string(y) + ") is not a point of the 320 x 480 screen");
    }
    return CGPoint{x, y};
}

Step done(std::function<void()> action)
{
    return [action = std::move(action)](sdbus::MethodReply&) {
        action();
        return std::optional<NSError>();
    };
}

} // namespace

PreferencesControlObject::PreferencesControlObject(PreferencesAppController& app, std::function<bool()> isPresented,
                                                   std::optional<std::string> busAddress)
    : app_(app),
      control_(Names::kNames,
               [&app, isPresented = std::move(isPresented)] { return app.isIdle() && (!isPresented || isPresented()); },
               std::move(busAddress))
{
    registerNavigationCommands();
    registerRowCommands();
    registerAlertCommands();
    registerTouchCommands();
    registerViewCommands();
}

void PreferencesControlObject::registerStep(const char* method, const char* inputSignature,
                                            std::function<Step(sdbus::MethodCall&)> read)
{
    control_.registerCommand(method, inputSignature, "", [read = std::move(read)](sdbus::MethodCall& call) {
        return std::vector<Step>{read(call)};
    });
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
    registerStep(Names::kPressNavigationButton, "", [this](sdbus::MethodCall&) {
        return [this](sdbus::MethodReply&) { return app_.pressNavigationButton(); };
    });
    registerStep(Names::kBack, "", [this](sdbus::MethodCall&) {
        return [this](sdbus::MethodReply&) { return app_.back(); };
    });
}

void PreferencesControlObject::registerRowCommands()
{
    registerStep(Names::kTapRow, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](sdbus::MethodReply&) { return app_.tapRow(title); };
    });
    registerStep(Names::kToggle, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](sdbus::MethodReply&) { return app_.toggle(title); };
    });
    control_.registerCommand(Names::kChoose, "ss", "", [this](sdbus::MethodCall& call) {
        const std::string title = ControlObject::readText(call, "the title");
        const std::string value = ControlObject::readText(call, "the value");
        return std::vector<Step>{[this, title](sdbus::MethodReply&) { return app_.tapRow(title); },
                                 [this, value](sdbus::MethodReply&) { return app_.tapRow(value); }};
    });
    registerStep(Names::kSwipeDelete, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](sdbus::MethodReply&) {
            return app_.swipeDelete(title);
        };
    });
}

void PreferencesControlObject::registerAlertCommands()
{
    registerStep(Names::kPressAlertButton, "s", [this](sdbus::MethodCall& call) {
        return [this, title = ControlObject::readText(call, "the title")](sdbus::MethodReply&) {
            return app_.pressAlertButton(title);
        };
    });
    registerStep(Names::kType, "s", [this](sdbus::MethodCall& call) {
        return [this, text = ControlObject::readText(call, "the text")](sdbus::MethodReply&) { return app_.type(text); };
    });
}

void PreferencesControlObject::registerTouchCommands()
{
    registerStep(Names::kTap, "dd", [this](sdbus::MethodCall& call) {
        const CGPoint point = readPoint(call);
        return done([this, point] { app_.tap(point); });
    });
    registerStep(Names::kDrag, "ddddi", [this](sdbus::MethodCall& call) {
        const CGPoint from = readPoint(call);
        const CGPoint to = readPoint(call);
        std::int32_t steps = 0;
        call >> steps;
        if (steps < 1 || steps > Names::kMaxDragSteps) {
            throw badArgument("a drag takes 1 to " + std::to_string(Names::kMaxDragSteps) + " steps");
        }
        return done([this, from, to, steps] { app_.drag(from, to, steps); });
    });
}

void PreferencesControlObject::registerViewCommands()
{
    registerStep(Names::kWriteScreenshot, "s", [this](sdbus::MethodCall& call) {
        const std::string path = ControlObject::readText(call, "the path");
        if (path.empty() || path.front() != '/') {
            // Relative to what? The caller's folder is not ours.
            throw badArgument("the screenshot's path must be absolute: " + path);
        }
        return [this, path](sdbus::MethodReply&) { return app_.writeScreenshot(path); };
    });
    control_.registerCommand(Names::kState, "", "s", [this](sdbus::MethodCall&) {
        return std::vector<Step>{[this](sdbus::MethodReply& reply) {
            auto xml = SettingsStatePropertyList::xml(app_.state());
            if (!xml) {
                return std::optional<NSError>(xml.error());
            }
            reply << xml.value();
            return std::optional<NSError>();
        }};
    });
    control_.registerCommand(Names::kWaitUntilIdle, "", "", [](sdbus::MethodCall&) { return std::vector<Step>(); });
}
