#pragma once

#include "UIResponder.h"
#include "UIView.h"

#include <memory>
#include <string>

class UINavigationController;
class UINavigationItem;

// Manages one page: its view, made on first request (loadView, then viewDidLoad), the title the
// navigation bar shows, and the appearance calls a navigation controller makes as the page comes and goes.
// The default view is a plain white view of the application frame's size at the origin; a navigation
// controller then gives it the area below its bar. Controllers are owned through std::shared_ptr; the
// navigation controller holding one is a back reference, not retained. Main thread only.
class UIViewController : public UIResponder {
public:
    UIViewController();
    ~UIViewController() override;

    // The view, loaded on the first call.
    const std::shared_ptr<UIView>& view();
    bool isViewLoaded() const { return view_ != nullptr; }
    void setView(std::shared_ptr<UIView> view);

    virtual void loadView();
    virtual void viewDidLoad();
    // After the view was let go by didReceiveMemoryWarning.
    virtual void viewDidUnload();
    // Lets go of the view when it has no superview (viewDidUnload follows); a view on show is kept.
    virtual void didReceiveMemoryWarning();

    virtual void viewWillAppear(bool animated);
    virtual void viewDidAppear(bool animated);
    virtual void viewWillDisappear(bool animated);
    virtual void viewDidDisappear(bool animated);

    const std::string& title() const { return title_; }
    // Also the navigation item's title, as the bar shows it.
    virtual void setTitle(std::string title);
    // Made on first use, titled with the controller's title.
    UINavigationItem* navigationItem();
    const std::shared_ptr<UINavigationItem>& sharedNavigationItem();

    // The navigation controller whose stack holds this controller, or null.
    UINavigationController* navigationController() const { return navigationController_; }

    std::string className() const override { return "UIViewController"; }

private:
    friend class UINavigationController;

    std::shared_ptr<UIView> view_;
    std::string title_;
    std::shared_ptr<UINavigationItem> navigationItem_;
    UINavigationController* navigationController_ = nullptr;
};
