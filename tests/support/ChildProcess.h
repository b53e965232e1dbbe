#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class RunLoopFileSource;

// A program a test starts and follows line by line on its standard output, while the main run loop keeps
// running (the test process may have to answer the child on the bus meanwhile). Optionally runs the child as
// another user (the test must run as root for that) with extra environment variables.
class ChildProcess {
public:
    struct Options {
        std::vector<std::pair<std::string, std::string>> environment;
        std::optional<std::string> user; // run as this user (by name)
        bool mergeStandardError = false;  // follow the child's standard error in the same lines
        bool takesInput = false;          // the child's standard input is a pipe that writeLine() feeds
    };

    // Starts the program; answers null (with the reason in `failure`) when it cannot.
    static std::unique_ptr<ChildProcess> start(const std::vector<std::string>& argv, const Options& options,
                                               std::string& failure);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line the child wrote (without the newline), running the main run loop until there is one;
    // absent when the child closed its output first, or wrote no whole line within kTestDeadline.
    std::optional<std::string> nextLine();
    // Writes a line to the child's standard input (Options::takesInput); false when the child closed it.
    bool writeLine(const std::string& line);
    // Waits for the child to end; answers its exit status (-1 when it did not exit normally).
    int waitForExit();
    // Sends the child a signal (SIGTERM to ask it to stop).
    void sendSignal(int signal);
    pid_t pid() const { return pid_; }
    // As waitForExit, giving up after `limit`: absent when the child is still running then.
    std::optional<int> waitForExitWithin(std::chrono::milliseconds limit);

private:
    ChildProcess(pid_t pid, int output, int input);

    pid_t pid_;
    int output_;
    int input_;
    std::string buffered_;
    bool closed_ = false;
    std::shared_ptr<RunLoopFileSource> source_;
};
