#include "DBusSession.h"

#include "MutexLocker.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "SystemLog.h"

#include <poll.h>
#include <unistd.h>

#include <fmt/format.h>

#include <sdbus-c++/sdbus-c++.h>

#include <cstdio>
#include <fstream>
#include <limits>

namespace {

// Bus messages handled per run of the main loop before other work gets its turn.
constexpr int kMessagesPerDispatch = 64;
// Unique names are never reused on a bus, so answers can be kept; this bounds the table.
constexpr std::size_t kRememberedSenders = 1024;
// How long a send waits for the socket to take queued output before giving up.
constexpr int kFlushTimeoutMilliseconds = 5000;

RunLoopFileSource::Interest interestOf(const sdbus::IConnection::PollData& data)
{
    RunLoopFileSource::Interest interest{data.events, std::nullopt};
    if (data.timeout_usec != std::numeric_limits<std::uint64_t>::max()) {
        // The library's timeouts are absolute CLOCK_MONOTONIC times, which is what steady_clock measures.
        interest.deadline = std::chrono::steady_clock::time_point(std::chrono::microseconds(data.timeout_usec));
    }
    return interest;
}

// Writes out what the connection queued; a signal would otherwise wait for the next use of the connection.
void flush(sdbus::IConnection& connection)
{
    for (int round = 0; round < 1000; ++round) {
        const auto data = connection.getEventLoopPollData();
        if (!(data.events & POLLOUT)) {
            return;
        }
        pollfd descriptor{data.fd, POLLOUT, 0};
        if (poll(&descriptor, 1, kFlushTimeoutMilliseconds) <= 0) {
            throw sdbus::Error("net.torvask.Error.Flush", "the bus does not take output");
        }
        connection.processPendingRequest();
    }
}

} // namespace

DBusSession::DBusSession(std::optional<std::string> address) : address_(std::move(address)) {}

DBusSession::~DBusSession()
{
    if (receivingSource_) {
        receivingSource_->invalidate();
    }
    if (receiving_ && !NSThread::isMainThread()) {
        // The main thread may be dispatching on it right now: let it close the connection when it is done.
        std::shared_ptr<sdbus::IConnection> connection = std::move(receiving_);
        NSRunLoop::performOnMainThread([connection] {}, false);
    }
}

std::unique_ptr<sdbus::IConnection> DBusSession::connect() const
{
    return address_ ? sdbus::createSessionBusConnectionWithAddress(*address_) : sdbus::createSessionBusConnection();
}

Result<sdbus::IConnection*> DBusSession::receivingConnection()
{
    if (receiving_) {
        return receiving_.get();
    }
    try {
        receiving_ = connect();
    } catch (const std::exception& error) {
        return NSError(std::string("cannot connect to the session bus: ") + error.what());
    }
    sdbus::IConnection* connection = receiving_.get();
    const int fd = connection->getEventLoopPollData().fd;
    receivingSource_ = NSRunLoop::mainRunLoop().addFileDescriptor(
        fd, [connection] { return interestOf(connection->getEventLoopPollData()); },
        [connection, this](short) { dispatchReceiving(*connection); });
    return connection;
}

void DBusSession::dispatchReceiving(sdbus::IConnection& connection)
{
    try {
        for (int i = 0; i < kMessagesPerDispatch && connection.processPendingRequest(); ++i) {
        }
    } catch (const std::exception& error) {
        // The connection is gone (the bus ended); stop watching it rather than spin on a dead descriptor.
        std::fprintf(stderr, "D-Bus: receiving connection failed: %s\n", error.what());
        receivingSource_->invalidate();
    }
}

std::optional<NSError> DBusSession::withSendingConnection(const std::function<void(sdbus::IConnection&)>& use)
{
    std::unique_ptr<sdbus::IConnection> connection;
    const std::size_t slot = takeSendingSlot(connection);
    std::optional<NSError> failure;
    try {
        if (!connection) {
            connection = connect();
        }
        use(*connection);
        flush(*connection);
    } catch (const std::exception& error) {
        connection.reset();
        failure = NSError(error.what());
    }
    returnSendingSlot(slot, std::move(connection));
    return failure;
}

std::size_t DBusSession::takeSendingSlot(std::unique_ptr<sdbus::IConnection>& connection)
{
    MutexLocker locker(sendingMutex_);
    for (;;) {
        for (std::size_t slot = 0; slot < sending_.size(); ++slot) {
            if (!sending_[slot].busy) {
                sending_[slot].busy = true;
                connection = std::move(sending_[slot].connection);
                return slot;
            }
        }
        if (sending_.size() < kMaxSendingConnections) {
            sending_.push_back({nullptr, true});
            return sending_.size() - 1;
        }
        sendingMutex_.wait(sendingFreed_);
    }
}

void DBusSession::returnSendingSlot(std::size_t slot, std::unique_ptr<sdbus::IConnection> connection)
{
    {
        MutexLocker locker(sendingMutex_);
        sending_[slot] = {std::move(connection), false};
    }
    sendingFreed_.notify_one();
}

std::optional<uid_t> DBusSession::senderUid(const sdbus::Message& message)
{
    const std::string sender = message.getSender();
    const auto known = uidBySender_.find(sender);
    if (known != uidBySender_.end()) {
        return known->second;
    }
    try {
        const uid_t uid = message.getCredsUid();
        if (uidBySender_.size() >= kRememberedSenders) {
            uidBySender_.clear();
        }
        uidBySender_[sender] = uid;
        return uid;
    } catch (const std::exception& error) {
        if (!policy_ && receiving_) {
            policy_ = DBusBusPolicy::ofBus(*receiving_, geteuid());
        }
        if (policy_ && policy_->onlyOwner) {
            return geteuid(); // gone already, and nobody else can be on this bus
        }
        SystemLog::write(fmt::format("D-Bus: cannot learn who {} is: {}; taken for a stranger, as {}", sender,
                                     error.what(), policy_ ? policy_->reason : "the bus is not known"));
        return std::nullopt;
    }
}

std::optional<pid_t> DBusSession::requestName(sdbus::IConnection& connection, const std::string& name)
{
    // Each ask is a round trip, so the bound is generous.
    for (int attempt = 0;; ++attempt) {
        try {
            connection.requestName(name); // answers once the bus has made this connection the owner
            return std::nullopt;
        } catch (const sdbus::Error& error) {
            const bool taken = error.getName() == "org.freedesktop.DBus.Error.FileExists" ||
                               error.getName() == "System.Error.EEXIST";
            if (!taken) {
                throw;
            }
            const auto owner = ownerPid(connection, name);
            if (attempt >= kNameAttempts || (owner && isRunning(*owner))) {
                return owner.value_or(0);
            }
        }
    }
}

std::optional<pid_t> DBusSession::ownerPid(sdbus::IConnection& connection, const std::string& name)
{
    auto bus = sdbus::createProxy(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus");
    std::uint32_t pid = 0;
    try {
        bus->callMethod("GetConnectionUnixProcessID").onInterface("org.freedesktop.DBus").withArguments(name).storeResultsTo(pid);
    } catch (const sdbus::Error&) {
        return std::nullopt; // no owner any more
    }
    return static_cast<pid_t>(pid);
}

bool DBusSession::isRunning(pid_t pid)
{
    // A process that has ended is gone from /proc, or a zombie ('Z' after the command's closing parenthesis).
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return false;
    }
    const std::size_t end = line.rfind(')');
    return end == std::string::npos || end + 2 >= line.size() || line[end + 2] != 'Z';
}
