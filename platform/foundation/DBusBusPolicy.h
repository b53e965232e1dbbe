#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sdbus {
class IConnection;
} // namespace sdbus

// Whether a bus admits connections of one user only, so that whoever sends on it runs as that user.
//
// A message's sender is checked by asking the bus daemon for the sender's uid, which it can tell only while
// the sender is connected: one that sends and exits at once (dbus-send, gdbus emit, a script's last call) is
// gone before it can be asked. Where the bus admits no other user, such a sender is ours all the same.
//
// dbus-daemon lets in a connection whose credentials are those of the user it runs as, and another only when
// its configuration says so: an <allow user=…> or <allow group=…> rule, or <allow_anonymous/>. So a bus
// admits only its owner when its daemon is a dbus-daemon of that user and its configuration (the file its
// command line names, or the stock session configuration for --session, with everything it includes) has
// none of those rules for anyone else. Anything that cannot be established (another bus implementation such
// as dbus-broker, a daemon of another user, the system bus, a file that does not read) counts as admitting
// other users: the safe side.
class DBusBusPolicy {
public:
    struct Verdict {
        bool onlyOwner = false;
        std::string reason; // why not, or what shows it
    };

    // Asks the bus (on `connection`, blocking) who runs its daemon, and reads the daemon's configuration.
    static Verdict ofBus(sdbus::IConnection& connection, uid_t owner);
    // The configuration's part: whether the file and what it includes admit nobody but `owner`.
    static Verdict ofConfiguration(const std::filesystem::path& file, uid_t owner);
    // The configuration file a dbus-daemon started with these arguments (argv[0] first) reads; none when the
    // arguments are not a dbus-daemon's or it reads the system bus's configuration.
    static std::optional<std::filesystem::path> configurationOf(const std::vector<std::string>& arguments);

private:
    static constexpr int kMaxIncludeDepth = 8;
    static Verdict scan(const std::filesystem::path& file, uid_t owner, int depth);
};
