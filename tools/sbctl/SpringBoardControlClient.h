#pragma once

#include "NSError.h"
#include "Result.h"

#include <sdbus-c++/Message.h>

#include <chrono>
#include <functional>
#include <string>

class DBusSession;

// Calls one method of the shell's control object (SpringBoardControlNames) on the session bus
// (DBUS_SESSION_BUS_ADDRESS) and waits for the answer. Errors are readable reasons: no shell answers on the
// bus, the shell refused (its reason), no answer within the timeout, no bus at all.
class SpringBoardControlClient {
public:
    using Arguments = std::function<void(sdbus::MethodCall&)>;

    SpringBoardControlClient();
    ~SpringBoardControlClient();
    SpringBoardControlClient(const SpringBoardControlClient&) = delete;
    SpringBoardControlClient& operator=(const SpringBoardControlClient&) = delete;

    Result<sdbus::MethodReply> call(const std::string& method, const Arguments& arguments,
                                    std::chrono::seconds timeout);

private:
    static NSError errorFromReply(const sdbus::Error& error, std::chrono::seconds timeout);

    std::unique_ptr<DBusSession> session_;
};
