#pragma once

#include "CKSMSMessage.h"
#include "SBAlertItem.h"

#include <memory>
#include <string>

class ObjCClass;

// The pop-up of an arrived text message: the sender as its title, the text as its message.
//
// Through the runtime ("SBSMSAlertItem"):
//   "setMessage:"   SetMessage: void(const std::shared_ptr<SBSMSAlertItem>& self,
//                                    const std::shared_ptr<CKSMSMessage>& message)
//                   takes the sender and text of the message (null: none).
class SBSMSAlertItem : public SBAlertItem {
public:
    using SetMessage = void(const std::shared_ptr<SBSMSAlertItem>&, const std::shared_ptr<CKSMSMessage>&);
    static constexpr const char* kMessageReceivedSound = "sms-received1.caf";

    // Sends "setMessage:".
    void setMessage(const std::shared_ptr<CKSMSMessage>& message);
    // The sender's name and the message text of the last message set (empty before).
    const std::string& name() const { return name_; }
    const std::string& messageText() const { return messageText_; }

    // Whether the message-received sound may play (always, on this device), and playing it.
    static bool shouldPlayMessageReceived() { return true; }
    static void playMessageReceived();

    std::string alertTitle() const override { return name_; }
    std::string alertMessage() const override { return messageText_; }
    std::string dismissButtonTitle() const override { return "Close"; }
    std::string soundName() const override { return kMessageReceivedSound; }
    std::string className() const override { return "SBSMSAlertItem"; }

    static void registerMethods(ObjCClass& cls);

private:
    static void setMessageImp(const std::shared_ptr<SBSMSAlertItem>& self, const std::shared_ptr<CKSMSMessage>& message);

    std::string name_;
    std::string messageText_;
};
