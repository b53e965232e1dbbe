#include "ControlCommandTable.h"

#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <iostream>

ControlCommandTable::ControlCommandTable(CLI::App& app, std::chrono::seconds timeout) : app_(app), timeout_(timeout)
{
    app_.require_subcommand(1);
}

CLI::App* ControlCommandTable::add(const std::string& name, const std::string& description, std::string method,
                                   ControlClient::Arguments arguments, ControlRequest::PrintReply printReply)
{
    CLI::App* command = app_.add_subcommand(name, description);
    ControlRequest& request = requests_[command];
    request.method = std::move(method);
    request.arguments = std::move(arguments);
    request.timeout = timeout_;
    request.printReply = std::move(printReply);
    return command;
}

const ControlRequest& ControlCommandTable::chosen() const
{
    return requests_.at(app_.get_subcommands().front());
}

int ControlCommandTable::run(int argc, char** argv, const ControlNames& names, const std::string& toolName)
{
    CommandLine::addVersionFlag(app_, toolName);
    if (const auto status = CommandLine::parse(app_, toolName, argc, argv)) {
        return *status;
    }

    const ControlRequest& request = chosen();
    ControlClient client(names);
    auto reply = client.call(request.method, request.arguments, request.timeout);
    if (!reply) {
        const bool late = reply.error().code() == ETIMEDOUT && !request.timeoutReason.empty();
        std::cerr << toolName << ": " << (late ? request.timeoutReason : reply.error().reason()) << "\n";
        return 1;
    }
    if (request.printReply) {
        if (const auto error = request.printReply(reply.value(), std::cout)) {
            std::cerr << toolName << ": " << error->reason() << "\n";
            return 1;
        }
    }
    return 0;
}
