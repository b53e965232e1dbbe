#pragma once

#include "NSString.h"
#include "SBAlertItem.h"

#include <memory>

class ObjCClass;

// The pop-up of a new voicemail: its title ("New Voicemail") and body.
//
// Through the runtime ("SBVoiceMailAlertItem"):
//   "initWithTitle:body:"  InitWithTitle: std::shared_ptr<SBVoiceMailAlertItem>(
//                              const std::shared_ptr<SBVoiceMailAlertItem>& self,
//                              const std::shared_ptr<NSString>& title, const std::shared_ptr<NSString>& body)
//                          answers the initialised item (self); title and body may be null.
class SBVoiceMailAlertItem : public SBAlertItem {
public:
    using InitWithTitle = std::shared_ptr<SBVoiceMailAlertItem>(
        const std::shared_ptr<SBVoiceMailAlertItem>&, const std::shared_ptr<NSString>&, const std::shared_ptr<NSString>&);

    // Makes an item and sends it "initWithTitle:body:".
    static std::shared_ptr<SBVoiceMailAlertItem> initWithTitle(const std::shared_ptr<NSString>& title,
                                                               const std::shared_ptr<NSString>& body);

    std::string alertTitle() const override { return title_ ? title_->string() : std::string(); }
    std::string alertMessage() const override { return body_ ? body_->string() : std::string(); }
    std::string dismissButtonTitle() const override { return "Close"; }
    std::string soundName() const override { return "voicemail.caf"; }
    std::string className() const override { return "SBVoiceMailAlertItem"; }

    static void registerMethods(ObjCClass& cls);

private:
    static std::shared_ptr<SBVoiceMailAlertItem> initImp(const std::shared_ptr<SBVoiceMailAlertItem>& self,
                                                         const std::shared_ptr<NSString>& title,
                                                         const std::shared_ptr<NSString>& body);

    std::shared_ptr<NSString> title_;
    std::shared_ptr<NSString> body_;
};
