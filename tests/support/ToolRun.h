#pragma once

#include <string>

// One run of a command-line tool through the shell, as a user runs it: its exit status and what it wrote.
struct ToolRun {
    int status = -1; // -1 when the tool did not exit normally
    std::string out;
    std::string err;

    // Both outputs, standard output first.
    std::string all() const { return out + err; }

    // Runs the tool with the arguments, already quoted for the shell where they need it.
    static ToolRun of(const std::string& tool, const std::string& arguments);
    // The text as one shell word.
    static std::string quoted(const std::string& text);
};
