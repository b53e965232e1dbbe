#pragma once

#include <functional>
#include <memory>

class RunLoopFileSource;

// SIGTERM and SIGINT as events of the main run loop: the signals are blocked and read from a signalfd, so the
// handler runs on the main thread between two pieces of work, where it may do anything, instead of
// interrupting one. The handler runs for the first signal only; later ones stay pending while the process
// winds down.
class TerminationSignals {
public:
    // Blocks the signals for the calling thread and every thread it starts later. Call first thing in main,
    // before any thread exists: a thread that does not block them would take the signal and die of it.
    static void block();

    explicit TerminationSignals(std::function<void(int signal)> handler);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Whether the signal descriptor could be made; without it the process dies of the signal as usual.
    bool isWatching() const { return fd_ >= 0; }

private:
    void received();

    std::function<void(int)> handler_;
    int fd_ = -1;
    std::shared_ptr<RunLoopFileSource> source_;
};
