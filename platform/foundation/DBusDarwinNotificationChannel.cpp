#include "DBusDarwinNotificationChannel.h"

#include "DBusNames.h"
#include "DBusSession.h"
#include "NSRunLoop.h"
#include "SystemLog.h"

#include <fmt/format.h>

#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

#include <cstdio>

namespace {

// Unique names are never reused on a bus; this bounds the set of senders already reported.
constexpr std::size_t kLoggedSenders = 1024;

} // namespace

DBusDarwinNotificationChannel::DBusDarwinNotificationChannel(std::shared_ptr<DBusSession> session)
    : session_(std::move(session))
{
}

DBusDarwinNotificationChannel::~DBusDarwinNotificationChannel() = default;

void DBusDarwinNotificationChannel::post(const std::string& name)
{
    const auto failure = session_->withSendingConnection([&](sdbus::IConnection& connection) {
        auto emitter = sdbus::createObject(connection, DBusNames::kDarwinObjectPath);
        auto signal = emitter->createSignal(DBusNames::kDarwinInterface, DBusNames::kDarwinSignal);
        signal << name;
        emitter->emitSignal(signal);
    });
    if (failure) {
        std::fprintf(stderr, "D-Bus: cannot post %s: %s\n", name.c_str(), failure->reason().c_str());
    }
}

std::optional<NSError> DBusDarwinNotificationChannel::listen(Delivery delivery)
{
    auto connection = session_->receivingConnection();
    if (!connection) {
        return connection.error();
    }
    const std::string rule = std::string("type='signal',interface='") + DBusNames::kDarwinInterface +
                             "',member='" + DBusNames::kDarwinSignal + "'";
    try {
        auto slot = connection.value()->addMatch(rule, [this](sdbus::Message& signal) { received(signal); });
        match_ = std::make_shared<sdbus::Slot>(std::move(slot));
    } catch (const std::exception& error) {
        return NSError(std::string("cannot observe Darwin notifications: ") + error.what());
    }
    delivery_ = std::move(delivery);
    return std::nullopt;
}

void DBusDarwinNotificationChannel::ignored(const std::string& sender, const std::string& name, const char* reason)
{
    // Once per sender, so a stranger that keeps posting cannot flood the log.
    if (loggedSenders_.size() >= kLoggedSenders) {
        loggedSenders_.clear();
    }
    if (loggedSenders_.insert(sender).second) {
        SystemLog::write(fmt::format("Darwin notification \"{}\" from {} ignored: {}", name, sender, reason));
    }
}

void DBusDarwinNotificationChannel::received(sdbus::Message& signal)
{
    std::string name;
    try {
        signal >> name;
    } catch (const std::exception&) {
        return; // not a string argument: not one of ours
    }
    const auto uid = session_->senderUid(signal);
    if (!uid || *uid != geteuid()) {
        ignored(signal.getSender(), name, uid ? "the sender runs as another user" : "the sender cannot be identified");
        return;
    }
    // Observers run after the bus library has finished with this message, so they may use the bus freely.
    NSRunLoop::mainRunLoop().performBlock([delivery = delivery_, name] { delivery(name); });
}
