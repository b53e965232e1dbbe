#include "TerminationSignals.h"

#include "NSRunLoop.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

void TerminationSignals::block()
{
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(std::function<void(int signal)> handler) : handler_(std::move(handler))
{
    const sigset_t set = terminationSet();
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0) {
        std::fprintf(stderr, "%s: cannot watch for SIGTERM and SIGINT: %s\n", program_invocation_short_name,
                     std::strerror(errno));
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    source_ = NSRunLoop::mainRunLoop().addFileDescriptor(fd_, POLLIN, [this](short) { received(); });
}

TerminationSignals::~TerminationSignals()
{
    if (source_) {
        source_->invalidate();
    }
    if (fd_ >= 0) {
        close(fd_);
    }
}

void TerminationSignals::received()
{
    signalfd_siginfo info{};
    if (read(fd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
        return;
    }
    source_->invalidate();
    handler_(static_cast<int>(info.ssi_signo));
}
