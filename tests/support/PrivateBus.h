#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A private D-Bus session bus for integration tests: a dbus-daemon of its own, listening in a fresh
// temporary folder, started with a generated configuration and killed when the object goes away. Only the
// calling user may connect, plus the users named at construction (for tests that check what a peer of
// another uid is refused; the socket folder is then opened to them).
//
// The bus starts services on demand only from the service folder named (a prefix's
// share/dbus-1/services): none of the system's stock service folders is read, so what a test starts is
// what it installed.
//
//     PrivateBus bus;
//     ASSERT_TRUE(bus.isRunning()) << bus.failure();
//     CrossProcessChannels::useSessionBus(bus.address());
//     // child processes: put bus.address() in their DBUS_SESSION_BUS_ADDRESS
class PrivateBus {
public:
    explicit PrivateBus(std::vector<std::string> otherUsers = {}, std::string serviceFolder = {});
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool isRunning() const { return daemon_ > 0 && !address_.empty(); }
    // The address to connect to ("unix:path=/tmp/vantle-bus-…/…,guid=…").
    const std::string& address() const { return address_; }
    // Why the bus did not start; empty when it runs.
    const std::string& failure() const { return failure_; }

private:
    void start(const std::vector<std::string>& otherUsers);
    std::string configuration(const std::vector<std::string>& otherUsers) const;

    std::string serviceFolder_;

    std::string folder_;
    std::string address_;
    std::string failure_;
    pid_t daemon_ = -1;
};
