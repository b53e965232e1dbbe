#pragma once

#include "ObserverList.h"
#include "SBApplication.h"
#include "SBObject.h"

#include <memory>
#include <vector>

class ObjCClass;

// The shell's user interface controller: finishing the launch, and bringing an application to the front
// (from its icon, from the switcher, or asked by the display stack). Bringing one forward makes it
// DSDisplayController's activeApp, puts it first among the recent applications and tells the observers
// (the shell's screen). Main thread only.
//
// Through the runtime ("SBUIController"):
//   "finishLaunching"                   FinishLaunching: void(const std::shared_ptr<SBUIController>& self)
//   "activateApplicationAnimated:"      ActivateApplication: void(const std::shared_ptr<SBUIController>& self,
//                                           const std::shared_ptr<SBApplication>& application)
//   "activateApplicationFromSwitcher:"  ActivateApplication (the same signature)
class SBUIController final : public SBObject {
public:
    using FinishLaunching = void(const std::shared_ptr<SBUIController>&);
    using ActivateApplication = void(const std::shared_ptr<SBUIController>&, const std::shared_ptr<SBApplication>&);

    // What the screen shows next: an application, or the home screen (null).
    struct Activation {
        std::shared_ptr<SBApplication> application;
        bool fromSwitcher = false;
    };

    static std::shared_ptr<SBUIController> sharedInstance();

    // Send the three messages above.
    void finishLaunching();
    void activateApplicationAnimated(const std::shared_ptr<SBApplication>& application);
    void activateApplicationFromSwitcher(const std::shared_ptr<SBApplication>& application);

    // Leaves the foreground application for the home screen.
    void returnToHomeScreen();
    bool hasFinishedLaunching() const { return finishedLaunching_; }
    // The applications brought forward, the latest first, each once.
    const std::vector<std::shared_ptr<SBApplication>>& recentApplications() const { return recent_; }
    ObserverList<Activation>& activationObservers() { return observers_; }
    // Not launched, no recent applications (a new shell starts so).
    void reset();

    std::string className() const override { return "SBUIController"; }
    static void registerMethods(ObjCClass& cls);

private:
    void bringForward(const std::shared_ptr<SBApplication>& application, bool fromSwitcher);

    bool finishedLaunching_ = false;
    std::vector<std::shared_ptr<SBApplication>> recent_;
    ObserverList<Activation> observers_;
};
