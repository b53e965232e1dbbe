#include "SBAlertItemsController.h"

#include "ObjCClass.h"
#include "SBSoundController.h"

std::shared_ptr<SBAlertItemsController> SBAlertItemsController::sharedInstance()
{
    static const auto controller = std::make_shared<SBAlertItemsController>();
    return controller;
}

void SBAlertItemsController::activateAlertItem(const std::shared_ptr<SBAlertItem>& item)
{
    runtimeClass().send<ActivateAlertItem>("activateAlertItem:", self<SBAlertItemsController>(), item);
}

void SBAlertItemsController::deactivateAlertItem(const SBAlertItem& item)
{
    if (visible_.get() != &item) {
        std::erase_if(pending_, [&](const auto& waiting) { return waiting.get() == &item; });
        return;
    }
    if (presenter_ != nullptr) {
        presenter_->dismissAlertItem(item);
        return;
    }
    alertItemDismissed(item);
}

void SBAlertItemsController::alertItemDismissed(const SBAlertItem& item)
{
    if (visible_.get() != &item) {
        return;
    }
    visible_ = nullptr;
    presentNextIfNoneIsUp();
}

void SBAlertItemsController::removeAllItems()
{
    visible_ = nullptr;
    pending_.clear();
}

void SBAlertItemsController::registerMethods(ObjCClass& cls)
{
    cls.addMethod<ActivateAlertItem>("activateAlertItem:", &SBAlertItemsController::activateImp);
}

void SBAlertItemsController::activateImp(const std::shared_ptr<SBAlertItemsController>& self,
                                         const std::shared_ptr<SBAlertItem>& item)
{
    if (!item) {
        return;
    }
    self->pending_.push_back(item);
    self->presentNextIfNoneIsUp();
}

void SBAlertItemsController::presentNextIfNoneIsUp()
{
    if (visible_ || pending_.empty()) {
        return;
    }
    visible_ = pending_.front();
    pending_.pop_front();
    if (const std::string sound = visible_->soundName(); !sound.empty()) {
        SBSoundController::sharedInstance().playSoundNamed(sound);
    }
    if (presenter_ != nullptr) {
        const auto item = visible_;
        presenter_->presentAlertItem(item);
    }
}
