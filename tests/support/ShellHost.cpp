#include "ShellHost.h"

#include "ChildProcess.h"
#include "PrivateBus.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <iterator>

namespace {

constexpr auto kStopLimit = std::chrono::seconds(30);

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> strings(const JsonValue& array)
{
    std::vector<std::string> texts;
    for (const JsonValue& element : array.array()) {
        texts.push_back(element.string().value_or("<not text>"));
    }
    return texts;
}

} // namespace

bool ShellHost::State::hasWindow(const std::string& name) const
{
    for (const Window& window : windows) {
        if (window.name == name) {
            return true;
        }
    }
    return false;
}

std::optional<ShellHost::State> ShellHost::State::fromJson(const JsonValue& json)
{
    for (const char* key : {"locked", "foreground", "orientation", "statusBarImages", "alerts", "sounds", "windows",
                            "batteryLevel", "switcherShown"}) {
        if (!json.has(key)) {
            return std::nullopt;
        }
    }
    State state;
    state.locked = json["locked"].boolean().value_or(false);
    state.foreground = json["foreground"].string();
    state.orientation = static_cast<int>(json["orientation"].number().value_or(0));
    state.batteryLevel = static_cast<int>(json["batteryLevel"].number().value_or(0));
    state.switcherShown = json["switcherShown"].boolean().value_or(false);
    state.statusBarImages = strings(json["statusBarImages"]);
    state.sounds = strings(json["sounds"]);
    for (const JsonValue& alert : json["alerts"].array()) {
        state.alerts.push_back({alert["title"].string().value_or(""), alert["message"].string().value_or("")});
    }
    for (const JsonValue& window : json["windows"].array()) {
        state.windows.push_back({window["level"].number().value_or(0), window["name"].string().value_or("")});
    }
    return state;
}

std::string ShellHost::hostProgram()
{
    return VANTLE_SPRINGBOARD_HOST;
}

std::string ShellHost::sbctlProgram()
{
    return VANTLE_SBCTL_TOOL;
}

ShellHost::ShellHost() : ShellHost(Options{}) {}

ShellHost::ShellHost(Options options)
{
    start(options);
}

ShellHost::~ShellHost()
{
    if (host_ && stop() != 0) {
        ADD_FAILURE() << failure_;
    }
    if (!logPath_.empty()) {
        std::error_code ignored; // the folder it was in is going away too
        std::filesystem::remove(logPath_, ignored);
    }
}

void ShellHost::start(const Options& options)
{
    const ToolRun install = ToolRun::of(VANTLE_DEVICE_TOOL, "install --root " + ToolRun::quoted(device_.path().string()));
    if (install.status != 0) {
        failure_ = "vantle-device install failed:\n" + install.all();
        return;
    }
    if (options.prepareDevice) {
        options.prepareDevice(device_);
    }
    bus_ = std::make_unique<PrivateBus>(options.otherBusUsers);
    if (!bus_->isRunning()) {
        failure_ = "no private bus: " + bus_->failure();
        return;
    }
    if (options.prepareBus) {
        options.prepareBus(bus_->address());
    }
    // The host's standard error goes to a file: a pipe nobody reads while sbctl runs would fill and block it.
    logPath_ = device_.path().string() + ".springboard.log";
    ChildProcess::Options childOptions;
    childOptions.environment = {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}, {"LOG", logPath_.string()}};
    childOptions.environment.insert(childOptions.environment.end(), options.environment.begin(), options.environment.end());
    std::vector<std::string> command = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>>\"$LOG\"", VANTLE_SPRINGBOARD_HOST, "--root",
                                        device_.path().string(), "--scale", std::to_string(options.scale)};
    command.insert(command.end(), options.hostArguments.begin(), options.hostArguments.end());
    auto host = ChildProcess::start(command, childOptions, failure_);
    if (!host) {
        return;
    }
    const auto said = host->nextLine();
    if (said != "springboard: ready") {
        failure_ = "the host did not get ready (exit status " + std::to_string(host->waitForExit()) + "):\n" +
                   said.value_or("") + "\n" + hostLog();
        return;
    }
    host_ = std::move(host);
}

pid_t ShellHost::pid() const { return host_ ? host_->pid() : 0; }

const std::string& ShellHost::busAddress() const
{
    static const std::string none;
    return bus_ ? bus_->address() : none;
}

std::string ShellHost::hostLog() const
{
    return logPath_.empty() ? std::string() : readFile(logPath_);
}

ToolRun ShellHost::sbctl(const std::vector<std::string>& arguments) const
{
    std::string words = ToolRun::quoted("DBUS_SESSION_BUS_ADDRESS=" + busAddress()) + " " + ToolRun::quoted(VANTLE_SBCTL_TOOL);
    for (const std::string& argument : arguments) {
        words += " " + ToolRun::quoted(argument);
    }
    return ToolRun::of("/usr/bin/env", words);
}

std::string ShellHost::command(const std::vector<std::string>& arguments) const
{
    const ToolRun run = sbctl(arguments);
    if (run.status != 0) {
        std::string line = "sbctl";
        for (const std::string& argument : arguments) {
            line += " " + argument;
        }
        ADD_FAILURE() << line << " exited " << run.status << ": " << run.err;
    }
    return run.out;
}

ShellHost::State ShellHost::state() const
{
    const std::string out = command({"state"});
    std::string problem;
    const auto json = JsonValue::parse(out, problem);
    if (!json) {
        ADD_FAILURE() << "sbctl state printed no JSON (" << problem << "): " << out;
        return {};
    }
    auto state = State::fromJson(*json);
    if (!state) {
        ADD_FAILURE() << "sbctl state lacks a key: " << out;
        return {};
    }
    return *state;
}

void ShellHost::waitUntilIdle() const
{
    command({"idle", "--timeout", "60"});
}

std::filesystem::path ShellHost::screenshot(const std::string& name) const
{
    std::filesystem::path path(name);
    if (path.is_relative()) {
        // Kept after the test, so the picture can be opened.
        const auto folder = std::filesystem::temp_directory_path() / "vantle-screenshots";
        std::filesystem::create_directories(folder);
        path = folder / path;
    }
    command({"screenshot", path.string()});
    return path;
}

void ShellHost::kill()
{
    if (host_) {
        host_.reset(); // SIGKILL, then reaped
    }
}

int ShellHost::stop()
{
    if (!host_) {
        return -1;
    }
    host_->sendSignal(SIGTERM);
    return waitForExit();
}

int ShellHost::waitForExit()
{
    if (!host_) {
        return -1;
    }
    const auto status = host_->waitForExitWithin(kStopLimit);
    host_.reset();
    if (!status) {
        failure_ = "the host did not stop within 30 seconds";
        return -1;
    }
    if (*status != 0) {
        failure_ = "the host exited " + std::to_string(*status) + ":\n" + hostLog();
    }
    return *status;
}
