#pragma once

#include "ControlNames.h"
#include "NSError.h"
#include "Result.h"

#include <sdbus-c++/Message.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class DBusSession;

// Calls one method of a host's control object (see ControlObject) on the session bus
// (DBUS_SESSION_BUS_ADDRESS) and waits for the answer. Errors are readable reasons: no host answers on the
// bus (errno ESRCH), the host refused (its reason), no answer within the timeout (errno ETIMEDOUT), no bus
// at all.
class ControlClient {
public:
    using Arguments = std::function<void(sdbus::MethodCall&)>;

    explicit ControlClient(ControlNames names);
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    Result<sdbus::MethodReply> call(const std::string& method, const Arguments& arguments, std::chrono::seconds timeout);

private:
    NSError errorFromReply(const sdbus::Error& error, std::chrono::seconds timeout) const;

    const ControlNames names_;
    std::unique_ptr<DBusSession> session_;
};
