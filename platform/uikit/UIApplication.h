#pragma once

#include "MutexLocker.h"
#include "NSObject.h"
#include "NSURL.h"
#include "ObserverList.h"
#include "ThreadSafety.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The application object of the process: the one object every piece of code loaded into the shell can
// reach. This stand-in keeps the status-bar images and hands URLs to the opener the host installs. It
// records each request and offers it to observers; it may be called from any thread (the log store sets
// the status-bar image from its writer threads), and observers run on the calling thread.
class UIApplication final : public NSObject {
public:
    struct StatusBarChange {
        std::string name;
        bool added = false;
    };
    // Opens a URL for real; answers whether it did. Installed by the host (the shell).
    using URLOpener = std::function<bool(const NSURL&)>;

    struct Private;
    explicit UIApplication(Private);

    static std::shared_ptr<UIApplication> sharedApplication();

    // Whether instances answer the selector ("addStatusBarImageNamed:", "removeStatusBarImageNamed:",
    // "openURL:"). Callers that must work on platforms without an operation ask first.
    static bool instancesRespondToSelector(std::string_view selector);
    // Test seam: makes `instancesRespondToSelector` answer `responds` for the selector from now on.
    static void setInstancesRespondToSelector(std::string_view selector, bool responds);

    // Puts the named image into the status bar; an image already there stays once, in its place.
    void addStatusBarImageNamed(const std::string& name);
    void removeStatusBarImageNamed(const std::string& name);
    // The names of the status-bar images shown now, in the order in which they were added.
    std::vector<std::string> statusBarImageNames() const;
    bool hasStatusBarImageNamed(const std::string& name) const;
    ObserverList<StatusBarChange>& statusBarObservers() { return statusBarObservers_; }

    // Hands the URL to the installed opener; answers false for a null URL or without an opener.
    bool openURL(const std::shared_ptr<NSURL>& url);
    void setURLOpener(URLOpener opener);
    // Every URL asked to be opened, oldest first (also those that could not be opened).
    std::vector<std::string> requestedURLs() const;

    std::string className() const override { return "UIApplication"; }

private:
    mutable Mutex mutex_;
    std::vector<std::string> statusBarImages_ VT_GUARDED_BY(mutex_);
    std::vector<std::string> requestedURLs_ VT_GUARDED_BY(mutex_);
    URLOpener opener_ VT_GUARDED_BY(mutex_);
    ObserverList<StatusBarChange> statusBarObservers_;
};
