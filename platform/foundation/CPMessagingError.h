#pragma once

#include <string>
#include <utility>

// Why a message sent to a distributed messaging centre was not taken.
class CPMessagingError {
public:
    enum class Kind {
        NoServer, // no process serves a centre of that name
        Refused,  // the server refused the message (too large, too deep, not a dictionary, wrong user, …)
        Failed,   // the message could not be sent at all (no bus, encoding failed, bus error)
    };

    CPMessagingError(Kind kind, std::string reason) : kind_(kind), reason_(std::move(reason)) {}

    Kind kind() const { return kind_; }
    const std::string& reason() const { return reason_; }
    // "no server listens: …", "refused: too large (…)", "failed: …".
    std::string description() const;

private:
    Kind kind_;
    std::string reason_;
};
