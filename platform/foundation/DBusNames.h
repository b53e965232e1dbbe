#pragma once

// The names under which the cross-process channels appear on the D-Bus session bus (the README's
// "Cross-process channels" section shows them in use with gdbus).
//
// Darwin notifications: every post is the broadcast signal
//     net.torvask.DarwinNotifyCenter.Notification (s name)
// emitted from the object /net/torvask/DarwinNotifyCenter; observers match on interface and member.
//
// Distributed messaging centres: a server owns the well-known bus name equal to the centre's name
// ("net.torvask.Vantle.newNotifications") and exports the object /net/torvask/MessagingCenter with
//     net.torvask.MessagingCenter.SendMessage (s messageName, s userInfoXML) -> ()
// where userInfoXML is the user-information dictionary in the XML property-list form. A refused message
// gets the error net.torvask.MessagingCenter.Error.Refused with the reason as its text; one the server took
// and then failed to finish (it stopped first, or its handler dropped the message) gets
// net.torvask.MessagingCenter.Error.Failed.
class DBusNames {
public:
    static constexpr const char* kDarwinObjectPath = "/net/torvask/DarwinNotifyCenter";
    static constexpr const char* kDarwinInterface = "net.torvask.DarwinNotifyCenter";
    static constexpr const char* kDarwinSignal = "Notification";

    static constexpr const char* kMessagingObjectPath = "/net/torvask/MessagingCenter";
    static constexpr const char* kMessagingInterface = "net.torvask.MessagingCenter";
    static constexpr const char* kMessagingMethod = "SendMessage";
    static constexpr const char* kRefusedError = "net.torvask.MessagingCenter.Error.Refused";
    static constexpr const char* kFailedError = "net.torvask.MessagingCenter.Error.Failed";
};
