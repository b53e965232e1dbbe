#pragma once

#include "PSBaseView.h"
#include "PSSpecifier.h"
#include "UINavigationController.h"
#include "UIViewController.h"

#include <memory>
#include <string>

// A page of the Settings application. It knows the navigation controller it lives in (rootController), the
// page that opened it (parentController), the specifier of the row that led to it (whose label becomes its
// title) and its bundle's folder, where its specifier files and images are. Pages are owned through
// std::shared_ptr by the navigation stack; root and parent are back references, not retained. Main thread
// only.
class PSViewController : public UIViewController, public PSBaseView {
public:
    PSViewController();
    ~PSViewController() override;

    UINavigationController* rootController() const { return rootController_; }
    void setRootController(UINavigationController* rootController) override { rootController_ = rootController; }
    UIViewController* parentController() const { return parentController_; }
    void setParentController(UIViewController* parentController) override { parentController_ = parentController; }
    const std::shared_ptr<PSSpecifier>& specifier() const { return specifier_; }
    // Keeps the specifier; its label, when it has one, becomes the page's title.
    void setSpecifier(std::shared_ptr<PSSpecifier> specifier) override;

    // The device folder of the bundle the page's class came from ("/System/Library/PreferenceBundles/
    // VantlePro.bundle"); empty for the application's own pages.
    const std::string& bundlePath() const { return bundlePath_; }
    void setBundlePath(std::string path) { bundlePath_ = std::move(path); }

    // Shows the page above this one, animated: tells it its root controller, this page as parent and this
    // page's bundle folder (when it has none of its own), then pushes it on the navigation stack. Ignored
    // without a navigation controller.
    void pushController(std::shared_ptr<UIViewController> controller);

    std::string className() const override { return "PSViewController"; }

private:
    UINavigationController* navigation() const;

    UINavigationController* rootController_ = nullptr;
    UIViewController* parentController_ = nullptr;
    std::shared_ptr<PSSpecifier> specifier_;
    std::string bundlePath_;
};
