#pragma once

#include "ControlClient.h"
#include "NSError.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

// One command of a control tool: the control method to call, its arguments, how long to wait, and what the
// reply prints (most replies carry nothing).
struct ControlRequest {
    using PrintReply = std::function<std::optional<NSError>(sdbus::MethodReply&, std::ostream&)>;

    std::string method;
    ControlClient::Arguments arguments;
    std::chrono::seconds timeout{30};
    // What the caller is told when the host does not answer in time; empty: that it did not answer.
    std::string timeoutReason;
    PrintReply printReply;
};
