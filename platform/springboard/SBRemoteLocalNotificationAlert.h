#pragma once

#include "CPMessageReply.h"
#include "NSString.h"
#include "SBAlertItem.h"
#include "SBApplication.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

class ObjCClass;

// The pop-up of a push or local notification: the application's name as its title, the body as its message.
// Pushes that carry the same notification identifier are one notification: a later one is an update of the
// earlier (new content for what was announced before); one without an identifier stands alone.
//
// Through the runtime ("SBRemoteLocalNotificationAlert"):
//   "initWithApplication:body:showActionButton:actionLabel:"
//       InitWithApplication: std::shared_ptr<SBRemoteLocalNotificationAlert>(
//           const std::shared_ptr<SBRemoteLocalNotificationAlert>& self,
//           const std::shared_ptr<SBApplication>& application, const std::shared_ptr<NSString>& body,
//           bool showActionButton, const std::shared_ptr<NSString>& actionLabel)
//       answers the initialised alert (self); body and actionLabel may be null.
class SBRemoteLocalNotificationAlert : public SBAlertItem {
public:
    using InitWithApplication = std::shared_ptr<SBRemoteLocalNotificationAlert>(
        const std::shared_ptr<SBRemoteLocalNotificationAlert>&, const std::shared_ptr<SBApplication>&,
        const std::shared_ptr<NSString>&, bool, const std::shared_ptr<NSString>&);

    // Makes an alert and sends it "initWithApplication:body:showActionButton:actionLabel:".
    static std::shared_ptr<SBRemoteLocalNotificationAlert> initWithApplication(
        const std::shared_ptr<SBApplication>& application, const std::shared_ptr<NSString>& body,
        bool showActionButton, const std::shared_ptr<NSString>& actionLabel);
    // The same for an alert made by the caller (an alert of a subclass, with pop-up behaviour of its own).
    static std::shared_ptr<SBRemoteLocalNotificationAlert> initWithApplication(
        const std::shared_ptr<SBRemoteLocalNotificationAlert>& alert, const std::shared_ptr<SBApplication>& application,
        const std::shared_ptr<NSString>& body, bool showActionButton, const std::shared_ptr<NSString>& actionLabel);

    const std::shared_ptr<SBApplication>& application() const { return application_; }
    const std::shared_ptr<NSString>& body() const { return body_; }
    bool showsActionButton() const { return showActionButton_; }
    const std::shared_ptr<NSString>& actionLabel() const { return actionLabel_; }
    // Set before the initialiser is sent; empty when none.
    const std::string& notificationIdentifier() const { return notificationIdentifier_; }
    void setNotificationIdentifier(std::string identifier) { notificationIdentifier_ = std::move(identifier); }
    // The answer owed to whoever asked for this notification, which waits until the notification is kept:
    // set before the initialiser is sent; whoever keeps what the alert announced takes it then and completes
    // it once that is done (an error when it cannot be). One not taken by the time the initialiser returns
    // is left to the setter to answer: nothing keeps that notification.
    void setLogReceipt(CPMessageReply receipt) { logReceipt_ = std::move(receipt); }
    std::optional<CPMessageReply> takeLogReceipt() { return std::exchange(logReceipt_, std::nullopt); }

    std::string alertTitle() const override { return application_ ? application_->displayName() : std::string(); }
    std::string alertMessage() const override { return body_ ? body_->string() : std::string(); }
    std::string dismissButtonTitle() const override { return "Close"; }
    std::string soundName() const override { return "push-notification.caf"; }
    std::string className() const override { return "SBRemoteLocalNotificationAlert"; }

    static void registerMethods(ObjCClass& cls);

protected:
    // What the initialiser sets, without sending it: an alert that no replacement of the initialiser sees.
    void setContents(const std::shared_ptr<SBApplication>& application, const std::shared_ptr<NSString>& body,
                     bool showActionButton, const std::shared_ptr<NSString>& actionLabel);

private:
    static std::shared_ptr<SBRemoteLocalNotificationAlert> initImp(
        const std::shared_ptr<SBRemoteLocalNotificationAlert>& self, const std::shared_ptr<SBApplication>& application,
        const std::shared_ptr<NSString>& body, bool showActionButton, const std::shared_ptr<NSString>& actionLabel);

    std::shared_ptr<SBApplication> application_;
    std::shared_ptr<NSString> body_;
    bool showActionButton_ = false;
    std::shared_ptr<NSString> actionLabel_;
    std::string notificationIdentifier_;
    std::optional<CPMessageReply> logReceipt_;
};
