#pragma once

#include "ControlClient.h"
#include "ControlNames.h"
#include "ControlRequest.h"

#include <chrono>
#include <map>
#include <string>

namespace CLI {
class App;
}

// A control tool's commands: one CLI11 subcommand of `app` per request the host answers, exactly one of which
// is chosen on the command line. `run` parses, makes the chosen request and prints its reply, with the tools'
// exit statuses: 0 done, 1 no host answered or it refused (the reason on stderr), 2 a bad argument.
class ControlCommandTable {
public:
    ControlCommandTable(CLI::App& app, std::chrono::seconds timeout);
    ControlCommandTable(const ControlCommandTable&) = delete;
    ControlCommandTable& operator=(const ControlCommandTable&) = delete;

    CLI::App* add(const std::string& name, const std::string& description, std::string method,
                  ControlClient::Arguments arguments = {}, ControlRequest::PrintReply printReply = {});
    // The request a subcommand made by `add` sends; options may adjust it in their callbacks.
    ControlRequest& request(CLI::App* command) { return requests_.at(command); }

    int run(int argc, char** argv, const ControlNames& names, const std::string& toolName);

private:
    const ControlRequest& chosen() const;

    CLI::App& app_;
    const std::chrono::seconds timeout_;
    std::map<CLI::App*, ControlRequest> requests_;
};
