#pragma once

#include "MessagingChannel.h"
#include "Mutex.h"

#include <map>
#include <memory>
#include <optional>

class DBusSession;
namespace sdbus {
class IConnection;
class IObject;
class MethodCall;
} // namespace sdbus

// Messaging centres on the session bus: a server owns the bus name equal to the centre's name and exports
// DBusNames::kMessagingMethod. Before a message reaches the centre, the server checks that the caller runs
// as our user (asking the bus daemon for the caller's credentials) and decodes it with CPMessageDecoder;
// a refused message gets an error reply and never reaches a handler. A message the centre answers later
// keeps its method call open meanwhile (the main loop goes on dispatching); the reply is sent from the main
// thread whichever thread answered, and stopping the server answers every open call with an error.
//
// A process that serves a centre and sends to it itself is served directly, through the same checks: the
// blocking call would otherwise wait on the very main loop that has to answer it.
//
// A sender makes sure of whom it sends to: before the first message to a centre it asks the bus which
// connection owns the centre's name and refuses to send when that runs as another user (a stranger that
// took the name first would otherwise get the records and answer them); then it sends to that connection
// itself, remembered until it leaves the bus. Serving, a name that another process holds is an error naming
// that process.
class DBusMessagingChannel final : public MessagingChannel {
public:
    explicit DBusMessagingChannel(std::shared_ptr<DBusSession> session);
    ~DBusMessagingChannel() override;

    std::optional<CPMessagingError> startServer(const std::string& centerName, Acceptor acceptor) override;
    void stopServer(const std::string& centerName) override;
    std::optional<CPMessagingError> send(const std::string& centerName, const std::string& messageName,
                                         const std::string& userInfoXML) override;

private:
    struct Server;
    void received(const std::shared_ptr<Server>& server, sdbus::MethodCall call);
    void endServer(const std::shared_ptr<Server>& server);
    struct LocalServer;
    std::optional<LocalServer> localServer(const std::string& centerName);
    // Sets `owner` to the unique bus name of the centre's owner, once checked to run as our user; else why not.
    std::optional<CPMessagingError> verifyOwner(sdbus::IConnection& connection, const std::string& centerName,
                                                std::string& owner);
    std::optional<std::string> rememberedOwner(const std::string& centerName);
    void forgetOwner(const std::string& centerName);

    const std::shared_ptr<DBusSession> session_;
    Mutex mutex_;
    std::map<std::string, std::shared_ptr<Server>> servers_ VT_GUARDED_BY(mutex_);
    std::map<std::string, std::string> owners_ VT_GUARDED_BY(mutex_); // centre name -> unique name

};
