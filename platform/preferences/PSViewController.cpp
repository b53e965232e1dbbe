#include "PSViewController.h"

PSViewController::PSViewController() = default;

PSViewController::~PSViewController() = default;

void PSViewController::setSpecifier(std::shared_ptr<PSSpecifier> specifier)
{
    specifier_ = std::move(specifier);
    if (specifier_ && !specifier_->name().empty()) {
        setTitle(specifier_->name());
    }
}

void PSViewController::pushController(std::shared_ptr<UIViewController> controller)
{
    UINavigationController* navigationController = navigation();
    if (!controller || !navigationController) {
        return;
    }
    if (auto* page = dynamic_cast<PSBaseView*>(controller.get())) {
        page->setRootController(navigationController);
        page->setParentController(this);
    }
    if (auto* listPage = dynamic_cast<PSViewController*>(controller.get()); listPage && listPage->bundlePath().empty()) {
        listPage->setBundlePath(bundlePath_);
    }
    navigationController->pushViewControllerAnimated(std::move(controller), true);
}

UINavigationController* PSViewController::navigation() const
{
    return rootController_ ? rootController_ : navigationController();
}
