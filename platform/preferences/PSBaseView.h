#pragma once

#include <memory>

class PSSpecifier;
class UINavigationController;
class UIViewController;

// What the framework tells every page it pushes, before the push: the navigation controller at the root of
// the Settings application, the page that opened it and the specifier of the row that led to it. A page that
// does not need them accepts and ignores them. The controllers are not retained.
class PSBaseView {
public:
    virtual ~PSBaseView() = default;

    virtual void setRootController(UINavigationController* rootController) = 0;
    virtual void setParentController(UIViewController* parentController) = 0;
    virtual void setSpecifier(std::shared_ptr<PSSpecifier> specifier) = 0;
};
