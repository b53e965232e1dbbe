#include "UIViewController.h"

#include "UINavigationItem.h"
#include "UIScreen.h"

UIViewController::UIViewController() = default;

UIViewController::~UIViewController() = default;

const std::shared_ptr<UIView>& UIViewController::view()
{
    if (view_ == nullptr) {
        loadView();
        if (view_ == nullptr) {
            // An override that made no view still leaves the controller with one.
            UIViewController::loadView();
        }
        viewDidLoad();
    }
    return view_;
}

void UIViewController::setView(std::shared_ptr<UIView> view) { view_ = std::move(view); }

void UIViewController::loadView()
{
    const CGRect frame = UIScreen::mainScreen()->applicationFrame();
    auto view = std::make_shared<UIView>(CGRectMake(0, 0, frame.size.width, frame.size.height));
    view->setBackgroundColor(UIColor::whiteColor());
    view_ = std::move(view);
}

void UIViewController::viewDidLoad() {}

void UIViewController::viewDidUnload() {}

void UIViewController::didReceiveMemoryWarning()
{
    if (view_ == nullptr || view_->superview() != nullptr) {
        return;
    }
    view_->removeFromSuperview();
    view_.reset();
    viewDidUnload();
}

void UIViewController::viewWillAppear(bool) {}

void UIViewController::viewDidAppear(bool) {}

void UIViewController::viewWillDisappear(bool) {}

void UIViewController::viewDidDisappear(bool) {}

void UIViewController::setTitle(std::string title)
{
    title_ = std::move(title);
    navigationItem()->setTitle(title_);
}

UINavigationItem* UIViewController::navigationItem() { return sharedNavigationItem().get(); }

const std::shared_ptr<UINavigationItem>& UIViewController::sharedNavigationItem()
{
    if (navigationItem_ == nullptr) {
        navigationItem_ = std::make_shared<UINavigationItem>(title_);
    }
    return navigationItem_;
}
