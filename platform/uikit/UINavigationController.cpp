#include "UINavigationController.h"

#include "CALayer.h"
#include "UILayoutContainerView.h"
#include "UIScreen.h"

#include <algorithm>

UINavigationController::UINavigationController()
    : navigationBar_(std::make_shared<UINavigationBar>(
          CGRectMake(0, 0, UIScreen::mainScreen()->applicationFrame().size.width, UINavigationBar::height)))
{
    navigationBar_->setBackAction([this] { popViewControllerAnimated(true); });
}

UINavigationController::UINavigationController(std::shared_ptr<UIViewController> rootViewController)
    : UINavigationController()
{
    pushViewControllerAnimated(std::move(rootViewController), false);
}

UINavigationController::~UINavigationController()
{
    transitionToken_.reset();
    navigationBar_->setBackAction(nullptr);
    for (const auto& controller : stack_) {
        detach(*controller);
    }
}

UIViewController* UINavigationController::topViewController() const
{
    return stack_.empty() ? nullptr : stack_.back().get();
}

void UINavigationController::pushViewControllerAnimated(std::shared_ptr<UIViewController> controller, bool animated)
{
    if (controller == nullptr || controller.get() == this || controller->navigationController_ != nullptr) {
        return;
    }
    finishTransitionNow();
    std::shared_ptr<UIViewController> outgoing = stack_.empty() ? nullptr : stack_.back();
    stack_.push_back(controller);
    controller->navigationController_ = this;
    navigationBar_->pushNavigationItem(controller->sharedNavigationItem(), animated && isViewLoaded());
    if (isViewLoaded()) {
        show(std::move(controller), std::move(outgoing), Direction::Forward, animated);
    }
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated)
{
    if (stack_.size() < 2) {
        return nullptr;
    }
    finishTransitionNow();
    std::shared_ptr<UIViewController> popped = stack_.back();
    stack_.pop_back();
    detach(*popped);
    navigationBar_->popNavigationItem(animated && isViewLoaded());
    if (isViewLoaded()) {
        show(stack_.back(), popped, Direction::Backward, animated);
    }
    return popped;
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (stack_.size() < 2) {
        return {};
    }
    finishTransitionNow();
    std::vector<std::shared_ptr<UIViewController>> popped(stack_.begin() + 1, stack_.end());
    stack_.resize(1);
    for (const auto& controller : popped) {
        detach(*controller);
    }
    navigationBar_->setItems({stack_.front()->sharedNavigationItem()});
    if (isViewLoaded()) {
        show(stack_.front(), popped.back(), Direction::Backward, animated);
    }
    return popped;
}

CGRect UINavigationController::contentFrame()
{
    const CGRect bounds = view()->bounds();
    return CGRectMake(0, UINavigationBar::height, bounds.size.width,
                      std::max<CGFloat>(0, bounds.size.height - UINavigationBar::height));
}

void UINavigationController::loadView()
{
    const CGRect frame = UIScreen::mainScreen()->applicationFrame();
    auto container = std::make_shared<UILayoutContainerView>(CGRectMake(0, 0, frame.size.width, frame.size.height),
                                                             [this] { layOut(); });
    container->setBackgroundColor(UIColor::whiteColor());
    container->addSubview(navigationBar_);
    setView(container);
    if (UIViewController* top = topViewController()) {
        container->insertSubviewBelowSubview(top->view(), navigationBar_.get());
        top->view()->setFrame(contentFrame());
    }
}

void UINavigationController::layOut()
{
    navigationBar_->setFrame(CGRectMake(0, 0, view()->bounds().size.width, UINavigationBar::height));
    if (transition_ == nullptr && !stack_.empty()) {
        stack_.back()->view()->setFrame(contentFrame());
    }
}

void UINavigationController::show(std::shared_ptr<UIViewController> incoming, std::shared_ptr<UIViewController> outgoing,
                                  Direction direction, bool animated)
{
    animated = animated && UIView::areAnimationsEnabled();
    const CGRect content = contentFrame();
    const CGFloat entryOffset = direction == Direction::Forward ? content.size.width : -content.size.width;
    UIView& entering = *incoming->view();
    entering.setFrame(animated ? CGRectOffset(content, entryOffset, 0) : content);
    view()->insertSubviewBelowSubview(incoming->view(), navigationBar_.get());

    incoming->viewWillAppear(animated);
    if (outgoing != nullptr) {
        outgoing->viewWillDisappear(animated);
    }
    transition_ = std::make_unique<Transition>(Transition{incoming, outgoing, animated});
    if (!animated) {
        finishTransition();
        return;
    }

    auto token = std::make_shared<int>(0);
    transitionToken_ = token;
    const std::weak_ptr<int> weakToken = token;
    UIView::beginAnimationsContext("UINavigationControllerTransition", nullptr);
    UIView::setAnimationDuration(kTransitionDuration);
    UIView::setAnimationDelegate(this);
    UIView::setAnimationDidStopSelector([this, weakToken](const std::string&, bool, void*) {
        // A slide that was finished early, or a controller that is gone, leaves an expired token.
        const std::shared_ptr<int> current = weakToken.lock();
        if (current != nullptr && current == transitionToken_) {
            finishTransition();
        }
    });
    entering.setFrame(content);
    if (outgoing != nullptr) {
        outgoing->view()->setFrame(CGRectOffset(content, -entryOffset, 0));
    }
    UIView::commitAnimations();
}

void UINavigationController::finishTransitionNow()
{
    if (transition_ == nullptr) {
        return;
    }
    transitionToken_.reset();
    transition_->incoming->view()->layer()->removeAllAnimations();
    if (transition_->outgoing != nullptr) {
        transition_->outgoing->view()->layer()->removeAllAnimations();
    }
    finishTransition();
}

void UINavigationController::finishTransition()
{
    const std::unique_ptr<Transition> finished = std::move(transition_);
    transitionToken_.reset();
    if (finished == nullptr) {
        return;
    }
    if (finished->outgoing != nullptr) {
        finished->outgoing->view()->removeFromSuperview();
        finished->outgoing->viewDidDisappear(finished->animated);
    }
    finished->incoming->viewDidAppear(finished->animated);
}

void UINavigationController::detach(UIViewController& controller) { controller.navigationController_ = nullptr; }

void UINavigationController::viewWillAppear(bool animated)
{
    if (UIViewController* top = topViewController()) {
        top->viewWillAppear(animated);
    }
}

void UINavigationController::viewDidAppear(bool animated)
{
    if (UIViewController* top = topViewController()) {
        top->viewDidAppear(animated);
    }
}

void UINavigationController::viewWillDisappear(bool animated)
{
    if (UIViewController* top = topViewController()) {
        top->viewWillDisappear(animated);
    }
}

void UINavigationController::viewDidDisappear(bool animated)
{
    if (UIViewController* top = topViewController()) {
        top->viewDidDisappear(animated);
    }
}
