#pragma once

#include "UINavigationBar.h"
#include "UIViewController.h"

#include <memory>
#include <vector>

class UILayoutContainerView;

// A stack of pages under a navigation bar. The top controller's view fills the area below the bar; the
// bar shows the top controller's navigation item, with a back button to the one below.
//
// Pushing slides the new page in from the right while the old one leaves to the left; popping slides the
// other way; both take 0.35 seconds (a block animation on the run loop's clock) or happen at once when
// not animated. The pages get viewWillAppear / viewWillDisappear when the change starts and viewDidAppear
// / viewDidDisappear when it ends; the page that leaves is then taken out of the view tree. A push or pop
// asked for while a slide is still running first finishes that slide at once, so the stack, the views and
// the appearance calls always match. Pushing a controller that is on the stack already, or none, is
// ignored; popping the root controller is refused (null is answered).
//
// The controller is owned through std::shared_ptr like the pages it retains. The stack may be built before
// the view is loaded; the top page is put in place when it is.
class UINavigationController : public UIViewController {
public:
    static constexpr double kTransitionDuration = 0.35;

    UINavigationController();
    explicit UINavigationController(std::shared_ptr<UIViewController> rootViewController);
    ~UINavigationController() override;

    void pushViewControllerAnimated(std::shared_ptr<UIViewController> controller, bool animated);
    // The controller taken off the stack, or null when only the root is left.
    std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    // The controllers taken off, lowest first.
    std::vector<std::shared_ptr<UIViewController>> popToRootViewControllerAnimated(bool animated);

    const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return stack_; }
    UIViewController* topViewController() const;
    UINavigationBar* navigationBar() const { return navigationBar_.get(); }
    // Whether a slide is running.
    bool isInTransition() const { return transition_ != nullptr; }
    // The area pages get, in the controller's view.
    CGRect contentFrame();

    void loadView() override;
    // Passed on to the top page.
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;

    std::string className() const override { return "UINavigationController"; }

private:
    struct Transition {
        std::shared_ptr<UIViewController> incoming;
        std::shared_ptr<UIViewController> outgoing;
        bool animated = false;
    };

    enum class Direction { Forward, Backward };

    void show(std::shared_ptr<UIViewController> incoming, std::shared_ptr<UIViewController> outgoing,
              Direction direction, bool animated);
    void finishTransition();
    void finishTransitionNow();
    void layOut();
    void detach(UIViewController& controller);

    std::vector<std::shared_ptr<UIViewController>> stack_;
    std::shared_ptr<UINavigationBar> navigationBar_;
    std::unique_ptr<Transition> transition_;
    // Identifies the running slide: its did-stop callback acts only while this token is the same.
    std::shared_ptr<int> transitionToken_;
};
