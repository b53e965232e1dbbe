#include "DBusBusPolicy.h"

#include <pwd.h>
#include <sys/stat.h>

#include <pugixml.hpp>
#include <sdbus-c++/sdbus-c++.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string_view>

namespace {

using Verdict = DBusBusPolicy::Verdict;

constexpr const char* kBusName = "org.freedesktop.DBus";
// Where dbus-daemon --session finds its configuration: Debian's place first, then the older one.
constexpr const char* kSessionConfigurations[] = {"/usr/share/dbus-1/session.conf", "/etc/dbus-1/session.conf"};

bool isNumber(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// Whether the configuration's user name (or number) is `owner`; an unknown name is someone else.
bool namesOwner(const std::string& user, uid_t owner)
{
    if (isNumber(user)) {
        return std::stoull(user) == owner;
    }
    const passwd* entry = ::getpwnam(user.c_str());
    return entry && entry->pw_uid == owner;
}

std::filesystem::path besideFile(const std::filesystem::path& file, const std::string& path)
{
    const std::filesystem::path named(path);
    return named.is_absolute() ? named : file.parent_path() / named;
}

std::vector<std::string> commandLineOf(std::uint32_t pid, uid_t owner)
{
    const std::string folder = "/proc/" + std::to_string(pid);
    struct stat status{};
    if (::stat(folder.c_str(), &status) != 0 || status.st_uid != owner) {
        return {}; // gone, or not the process the bus meant (another pid namespace)
    }
    std::ifstream file(folder + "/cmdline", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        arguments.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

} // namespace

Verdict DBusBusPolicy::ofBus(sdbus::IConnection& connection, uid_t owner)
{
    std::uint32_t uid = 0;
    std::uint32_t pid = 0;
    try {
        const auto bus = sdbus::createProxy(connection, kBusName, "/org/freedesktop/DBus");
        bus->callMethod("GetConnectionUnixUser").onInterface(kBusName).withArguments(std::string(kBusName)).storeResultsTo(uid);
        bus->callMethod("GetConnectionUnixProcessID").onInterface(kBusName).withArguments(std::string(kBusName)).storeResultsTo(pid);
    } catch (const sdbus::Error& error) {
        return {false, "the bus does not say who runs it: " + error.getMessage()};
    }
    if (uid != owner) {
        return {false, "the bus daemon runs as uid " + std::to_string(uid)};
    }
    const auto configuration = configurationOf(commandLineOf(pid, owner));
    if (!configuration) {
        return {false, "the bus is not a dbus-daemon of this user with a configuration that can be read"};
    }
    return ofConfiguration(*configuration, owner);
}

Verdict DBusBusPolicy::ofConfiguration(const std::filesystem::path& file, uid_t owner)
{
    return scan(file, owner, 0);
}

std::optional<std::filesystem::path> DBusBusPolicy::configurationOf(const std::vector<std::string>& arguments)
{
    if (arguments.empty() || std::filesystem::path(arguments[0]).filename() != "dbus-daemon") {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> named;
    bool session = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument.starts_with("--config-file=")) {
            named = std::string(argument.substr(14));
        } else if (argument == "--config-file" && i + 1 < arguments.size()) {
            named = arguments[++i];
        } else if (argument == "--session") {
            session = true;
        } else if (argument == "--system") {
            return std::nullopt;
        }
    }
    if (named) {
        // A relative name is relative to the daemon's working folder, which is not known here.
        return named->is_absolute() ? named : std::nullopt;
    }
    if (!session) {
        return std::nullopt; // without either, the daemon reads the system bus's configuration
    }
    for (const char* candidate : kSessionConfigurations) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return std::filesystem::path(candidate);
        }
    }
    return std::nullopt;
}

Verdict DBusBusPolicy::scan(const std::filesystem::path& file, uid_t owner, int depth)
{
    if (depth > kMaxIncludeDepth) {
        return {false, file.string() + ": included too deeply"};
    }
    pugi::xml_document document;
    if (!document.load_file(file.c_str()) || !document.child("busconfig")) {
        return {false, file.string() + ": not a bus configuration that can be read"};
    }
    for (const pugi::xpath_node& found : document.select_nodes("//*")) {
        const pugi::xml_node element = found.node();
        const std::string_view name = element.name();
        if (name == "allow_anonymous") {
            return {false, file.string() + " admits anonymous connections"};
        }
        if (name == "allow" && element.attribute("group")) {
            return {false, file.string() + " admits the group " + element.attribute("group").value()};
        }
        if (name == "allow" && element.attribute("user") && !namesOwner(element.attribute("user").value(), owner)) {
            return {false, file.string() + " admits the user " + element.attribute("user").value()};
        }
        std::vector<std::filesystem::path> included;
        std::error_code error;
        if (name == "include" && !element.attribute("if_selinux_enabled").as_bool()) {
            const auto path = besideFile(file, element.text().get());
            if (std::filesystem::exists(path, error) || !element.attribute("ignore_missing").as_bool()) {
                included.push_back(path);
            }
        } else if (name == "includedir") {
            // dbus-daemon reads the folder's *.conf files, and skips a folder that is not there.
            for (const auto& entry : std::filesystem::directory_iterator(besideFile(file, element.text().get()), error)) {
                if (entry.path().extension() == ".conf") {
                    included.push_back(entry.path());
                }
            }
        }
        for (const auto& path : included) {
            if (auto verdict = scan(path, owner, depth + 1); !verdict.onlyOwner) {
                return verdict;
            }
        }
    }
    return {true, file.string() + " admits only the bus's own user"};
}
