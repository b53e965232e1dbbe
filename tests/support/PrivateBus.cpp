#include "PrivateBus.h"

#include "TestDeadline.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::string userName(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

// Reads the first line the daemon prints on the pipe: its address. Blocks until it is written, or answers
// empty when the daemon ended without one.
std::string readLine(int fd)
{
    std::string line;
    char c;
    for (;;) {
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || c == '\n') {
            return line;
        }
        line.push_back(c);
    }
}

} // namespace

PrivateBus::PrivateBus(std::vector<std::string> otherUsers, std::string serviceFolder)
    : serviceFolder_(std::move(serviceFolder))
{
    start(otherUsers);
}

PrivateBus::~PrivateBus()
{
    if (daemon_ > 0) {
        kill(daemon_, SIGTERM);
        int status = 0;
        while (waitpid(daemon_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string PrivateBus::configuration(const std::vector<std::string>& otherUsers) const
{
    std::string users = "    <allow user=\"" + userName(geteuid()) + "\"/>\n";
    for (const auto& user : otherUsers) {
        users += "    <allow user=\"" + user + "\"/>\n";
    }
    // A start on demand waits for the service as long as a test would.
    const std::string services = serviceFolder_.empty() ? std::string()
                                                        : "  <servicedir>" + serviceFolder_ + "</servicedir>\n"
                                                          "  <limit name=\"service_start_timeout\">" +
                                                              std::to_string(kTestDeadline.count() * 1000) + "</limit>\n";
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir=" + folder_ + "</listen>\n"
           "  <auth>EXTERNAL</auth>\n" + services +
           "  <policy context=\"default\">\n" + users +
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

void PrivateBus::start(const std::vector<std::string>& otherUsers)
{
    char pattern[] = "/tmp/vantle-bus-XXXXXX";
    if (!mkdtemp(pattern)) {
        failure_ = std::string("mkdtemp: ") + std::strerror(errno);
        return;
    }
    folder_ = pattern;
    // Other users must reach the socket inside; without them the folder stays private.
    if (!otherUsers.empty()) {
        chmod(folder_.c_str(), 0755);
    }
    const std::string configPath = folder_ + "/bus.conf";
    {
        std::ofstream config(configPath);
        config << configuration(otherUsers);
        if (!config) {
            failure_ = configPath + ": cannot write the bus configuration";
            return;
        }
    }

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        failure_ = std::string("pipe2: ") + std::strerror(errno);
        return;
    }
    const std::string configArgument = "--config-file=" + configPath;
    const std::string printArgument = "--print-address=" + std::to_string(pipeFds[1]);
    const pid_t child = fork();
    if (child < 0) {
        failure_ = std::string("fork: ") + std::strerror(errno);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return;
    }
    if (child == 0) {
        fcntl(pipeFds[1], F_SETFD, 0); // the daemon writes its address there
        execlp("dbus-daemon", "dbus-daemon", "--nofork", "--nosyslog", configArgument.c_str(), printArgument.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    daemon_ = child;
    close(pipeFds[1]);
    address_ = readLine(pipeFds[0]);
    close(pipeFds[0]);
    if (address_.empty()) {
        failure_ = "dbus-daemon did not start (is the dbus package installed?)";
    }
}
