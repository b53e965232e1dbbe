#include "DBusDarwinNotificationChannel.h"

#include "DBusNames.h"
#include "DBusSession.h"
#include "NSRunLoop.h"

#include <sdbus-c++/sdbus-c++.h>

#include <unistd.h>

#include <cstdio>

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
        return;
    }
    // Observers run after the bus library has finished with this message, so they may use the bus freely.
    NSRunLoop::mainRunLoop().performBlock([delivery = delivery_, name] { delivery(name); });
}
