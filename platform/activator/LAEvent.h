#pragma once

#include "NSObject.h"

#include <memory>
#include <string>

// One occurrence of a gesture or button input, as the shell hands it to Activator: the event's name
// ("libactivator.menu.press.single"), the mode it happened in ("springboard", "application", "lockscreen")
// and whether a listener took it. A listener that acts on an event marks it handled; the shell then skips
// its own action for that input.
class LAEvent final : public NSObject {
public:
    LAEvent(std::string name, std::string mode) : name_(std::move(name)), mode_(std::move(mode)) {}

    static std::shared_ptr<LAEvent> eventWithName(const std::string& name, const std::string& mode = "springboard")
    {
        return std::make_shared<LAEvent>(name, mode);
    }

    const std::string& name() const { return name_; }
    const std::string& mode() const { return mode_; }
    bool isHandled() const { return handled_; }
    void setHandled(bool handled) { handled_ = handled; }

    std::string description() const override { return name_; }
    std::string className() const override { return "LAEvent"; }

private:
    const std::string name_;
    const std::string mode_;
    bool handled_ = false;
};
