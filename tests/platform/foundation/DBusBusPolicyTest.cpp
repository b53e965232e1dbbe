// Which buses admit only their own user: the daemon's configuration read with what it includes, the
// configuration a daemon's command line names, and the verdict on private buses with and without a stranger.
#include "DBusBusPolicy.h"
#include "PrivateBus.h"

#include <gtest/gtest.h>

#include <sdbus-c++/sdbus-c++.h>

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string busconfig(const std::string& body)
{
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig>\n" +
           body + "\n</busconfig>\n";
}

class Folder {
public:
    Folder()
    {
        char pattern[] = "/tmp/vantle-policy-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::filesystem::path write(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((path / name).parent_path());
        std::ofstream(path / name) << text;
        return path / name;
    }
    std::filesystem::path path;
};

std::string ourName()
{
    const passwd* entry = getpwuid(geteuid());
    return entry ? entry->pw_name : std::to_string(geteuid());
}

} // namespace

TEST(DBusBusPolicy, AConfigurationAdmitsOnlyItsOwnerUnlessARuleItReadsLetsSomeoneElseIn)
{
    const std::string stock = "<policy context=\"default\"><allow send_destination=\"*\"/><allow own=\"*\"/></policy>";
    const struct {
        const char* name;
        std::string configuration;
        std::vector<std::pair<std::string, std::string>> otherFiles;
        bool onlyOwner;
    } cases[] = {
        {"the stock session rules", stock, {}, true},
        {"our own user allowed by name", "<policy context=\"default\"><allow user=\"" + ourName() + "\"/></policy>", {}, true},
        {"our own user allowed by number",
         "<policy context=\"default\"><allow user=\"" + std::to_string(geteuid()) + "\"/></policy>", {}, true},
        {"every user", "<policy context=\"default\"><allow user=\"*\"/></policy>", {}, false},
        {"a user not known here", "<policy context=\"default\"><allow user=\"no-such-user-here\"/></policy>", {}, false},
        {"a group", "<policy context=\"default\"><allow group=\"users\"/></policy>", {}, false},
        {"anonymous connections", "<allow_anonymous/>", {}, false},
        {"an included file lets everyone in", "<include>extra.conf</include>",
         {{"extra.conf", busconfig("<policy context=\"default\"><allow user=\"*\"/></policy>")}}, false},
        {"a file of an included folder lets everyone in", "<includedir>more.d</includedir>",
         {{"more.d/a.conf", busconfig(stock)}, {"more.d/b.conf", busconfig("<allow_anonymous/>")}}, false},
        {"a missing include that may be missing", stock + "<include ignore_missing=\"yes\">gone.conf</include>", {}, true},
        {"a missing include that may not", "<include>gone.conf</include>", {}, false},
        {"a missing folder of includes", stock + "<includedir>gone.d</includedir>", {}, true},
        {"an include that includes itself", "<include>bus.conf</include>", {}, false},
        {"not a configuration", "", {{"bus.conf", "<html/>"}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Folder folder;
        const auto file = folder.write("bus.conf", busconfig(c.configuration));
        for (const auto& [name, text] : c.otherFiles) {
            folder.write(name, text);
        }
        const auto verdict = DBusBusPolicy::ofConfiguration(file, geteuid());
        EXPECT_EQ(verdict.onlyOwner, c.onlyOwner) << verdict.reason;
    }
}

TEST(DBusBusPolicy, TheConfigurationADaemonReadsComesFromItsCommandLine)
{
    const std::filesystem::path session = std::filesystem::exists("/usr/share/dbus-1/session.conf")
                                              ? "/usr/share/dbus-1/session.conf"
                                              : "/etc/dbus-1/session.conf";
    const struct {
        std::vector<std::string> arguments;
        std::optional<std::filesystem::path> configuration;
    } cases[] = {
        {{"/usr/bin/dbus-daemon", "--nofork", "--config-file=/tmp/bus.conf"}, "/tmp/bus.conf"},
        {{"dbus-daemon", "--config-file", "/tmp/bus.conf", "--print-address=3"}, "/tmp/bus.conf"},
        {{"dbus-daemon", "--config-file=relative.conf"}, std::nullopt},
        {{"dbus-daemon", "--session", "--fork"}, session},
        {{"dbus-daemon", "--system"}, std::nullopt},
        {{"dbus-daemon", "--nofork"}, std::nullopt},
        {{"dbus-broker", "--session"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "nothing" : c.arguments.back());
        EXPECT_EQ(DBusBusPolicy::configurationOf(c.arguments), c.configuration);
    }
}

TEST(DBusBusPolicy, APrivateBusAdmitsOnlyItsOwnerUntilAStrangerIsLetIn)
{
    for (const bool stranger : {false, true}) {
        SCOPED_TRACE(stranger ? "a stranger may join" : "only our user may join");
        PrivateBus bus(stranger ? std::vector<std::string>{"nobody"} : std::vector<std::string>{});
        ASSERT_TRUE(bus.isRunning()) << bus.failure();
        const auto connection = sdbus::createSessionBusConnectionWithAddress(bus.address());
        const auto verdict = DBusBusPolicy::ofBus(*connection, geteuid());
        EXPECT_EQ(verdict.onlyOwner, !stranger) << verdict.reason;
    }
}
