#pragma once

#include "LAListenerSettingsViewController.h"
#include "PSBaseView.h"

#include <memory>

// The page on which the user assigns the gestures that open the panel: Activator's own page for the
// listener the tweak registers, "net.torvask.Vantle". The framework's calls before a push are accepted and
// ignored; Activator's page needs none of them. Main thread only.
class GestureSelection : public LAListenerSettingsViewController, public PSBaseView {
public:
    static constexpr const char* kListenerName = "net.torvask.Vantle";

    explicit GestureSelection(LAActivator& activator = LAActivator::sharedInstance());

    void setRootController(UINavigationController*) override { }
    void setParentController(UIViewController*) override { }
    void setSpecifier(std::shared_ptr<PSSpecifier>) override { }

    std::string className() const override { return "GestureSelection"; }
};
