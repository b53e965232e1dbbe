#pragma once

#include "DBusBusPolicy.h"
#include "Mutex.h"
#include "NSError.h"
#include "RunLoopFileSource.h"
#include "Result.h"

#include <sys/types.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sdbus {
class IConnection;
class Message;
} // namespace sdbus

// This process's two connections to the D-Bus session bus (sdbus-c++).
//
// The receiving connection carries what comes in: observed signals and served method calls. It is used on
// the main thread only and is one of the main run loop's file-descriptor sources, so every bus callback runs
// on the main run loop and no event-loop thread of the library's own is involved.
//
// The sending connections carry what goes out (posts and messages) from any thread, with blocking calls; they
// are separate so that a job thread never touches the main thread's connection, and so a blocking send never
// waits on the main loop. Each serves one caller at a time. A caller takes the first one that is free, so
// sends made one after another all go out on the first connection, in the order they were made; callers
// that send at the same time (threads each waiting for an answer) get one each, up to
// kMaxSendingConnections, and beyond that wait for one to be free.
class DBusSession {
public:
    // `address` absent: the session bus of the environment (DBUS_SESSION_BUS_ADDRESS).
    explicit DBusSession(std::optional<std::string> address);
    ~DBusSession();
    DBusSession(const DBusSession&) = delete;
    DBusSession& operator=(const DBusSession&) = delete;

    // Main thread. Connects on first use and adds the connection to the main run loop.
    Result<sdbus::IConnection*> receivingConnection();
    static constexpr std::size_t kMaxSendingConnections = 64;

    // Any thread. Runs `use` with a sending connection (connecting first when needed) and flushes what it
    // queued. An exception from `use` or from connecting becomes the error; the connection is then dropped
    // and made again by the next caller.
    std::optional<NSError> withSendingConnection(const std::function<void(sdbus::IConnection&)>& use);
    // Main thread. The uid of the process that sent the message, as the bus daemon knows it. A sender that
    // has left cannot be asked about any more: on a bus that admits only our user (see DBusBusPolicy) it is
    // ours; elsewhere it is unknown (nothing), and the system log says why.
    std::optional<uid_t> senderUid(const sdbus::Message& message);

    // Takes the well-known name for the connection, returning once the bus has made it the owner. When
    // another process holds it, answers that process's pid (0 when the bus no longer says). An owner whose
    // process has ended holds the name until the bus daemon has seen its connection close, which it does in
    // its own time; until then the name is asked for again. Any other failure throws sdbus::Error.
    static std::optional<pid_t> requestName(sdbus::IConnection& connection, const std::string& name);
    // The pid of the process owning the name on the bus, or nothing when none does.
    static std::optional<pid_t> ownerPid(sdbus::IConnection& connection, const std::string& name);

private:
    static constexpr int kNameAttempts = 1000;
    static bool isRunning(pid_t pid);
    std::unique_ptr<sdbus::IConnection> connect() const;
    // The index of the sending connection the caller now holds (its slot emptied: the caller has it).
    std::size_t takeSendingSlot(std::unique_ptr<sdbus::IConnection>& connection);
    void returnSendingSlot(std::size_t slot, std::unique_ptr<sdbus::IConnection> connection);
    void dispatchReceiving(sdbus::IConnection& connection);

    const std::optional<std::string> address_;

    // Main thread only.
    std::unique_ptr<sdbus::IConnection> receiving_;
    std::shared_ptr<RunLoopFileSource> receivingSource_;
    std::map<std::string, uid_t> uidBySender_;
    std::optional<DBusBusPolicy::Verdict> policy_; // learnt when first needed

    struct SendingSlot {
        std::unique_ptr<sdbus::IConnection> connection; // null while a caller holds it, or before first use
        bool busy = false;
    };
    Mutex sendingMutex_;
    std::condition_variable sendingFreed_;
    std::vector<SendingSlot> sending_ VT_GUARDED_BY(sendingMutex_);
};
