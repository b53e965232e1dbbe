#pragma once

#include "SBRemoteLocalNotificationAlert.h"

#include <functional>
#include <string>
#include <vector>

// The pop-up of a desktop notification: a push notification of the shell whose buttons beside "Close" are
// the client's actions, with the client's icon and image, which is silent when the client asked for that, and whose text, when the client
// has a default action, invokes it when tapped. Initialised through SBRemoteLocalNotificationAlert's
// runtime class, so whatever hooks that class sees it as any push; a transient notification is initialised
// without it (initWithoutHooks), so it is shown but not seen made. The click handler hears taps: 0 for
// "Close", 1 and up for the action buttons in order, kTextTapped for the text.
class DesktopNotificationAlert final : public SBRemoteLocalNotificationAlert {
public:
    using ClickHandler = std::function<void(int button)>;
    static constexpr int kTextTapped = -1;

    struct Look {
        std::vector<std::string> actionLabels;
        bool silent = false;
        bool textTappable = false;
        std::shared_ptr<UIImage> icon;
        std::shared_ptr<UIImage> image;
    };

    explicit DesktopNotificationAlert(Look look) : look_(std::move(look)) {}

    // Main thread. A handler set to null is never called again (its owner went away).
    void setClickHandler(ClickHandler handler) { clicked_ = std::move(handler); }
    void initWithoutHooks(const std::shared_ptr<SBApplication>& application, const std::shared_ptr<NSString>& body,
                          bool showActionButton, const std::shared_ptr<NSString>& actionLabel)
    {
        setContents(application, body, showActionButton, actionLabel);
    }

    std::vector<std::string> otherButtonTitles() const override { return look_.actionLabels; }
    std::string soundName() const override
    {
        return look_.silent ? std::string() : SBRemoteLocalNotificationAlert::soundName();
    }
    std::shared_ptr<UIImage> alertIcon() const override { return look_.icon; }
    std::shared_ptr<UIImage> alertImage() const override { return look_.image; }
    void didClickButton(int button) override;
    bool respondsToMessageTap() const override { return look_.textTappable; }
    void didTapMessage() override { didClickButton(kTextTapped); }

private:
    const Look look_;
    ClickHandler clicked_;
};
