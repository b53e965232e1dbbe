#include "ChildProcess.h"

#include "NSRunLoop.h"
#include "TestDeadline.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

std::unique_ptr<ChildProcess> ChildProcess::start(const std::vector<std::string>& argv, const Options& options,
                                                  std::string& failure)
{
    std::optional<passwd> account;
    if (options.user) {
        const passwd* entry = getpwnam(options.user->c_str());
        if (!entry) {
            failure = "no user " + *options.user;
            return nullptr;
        }
        account = *entry;
    }
    // Everything the child needs is prepared before fork: after it, only async-signal-safe calls.
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable) {
        environment.emplace_back(*variable);
    }
    for (const auto& [name, value] : options.environment) {
        // A named copy: clang 14 cannot capture a structured binding in a lambda.
        const std::string assignment = name + "=";
        std::erase_if(environment, [&](const std::string& entry) { return entry.rfind(assignment, 0) == 0; });
        environment.push_back(assignment + value);
    }
    std::vector<char*> argumentPointers;
    for (const auto& argument : argv) {
        argumentPointers.push_back(const_cast<char*>(argument.c_str()));
    }
    argumentPointers.push_back(nullptr);
    std::vector<char*> environmentPointers;
    for (const auto& entry : environment) {
        environmentPointers.push_back(const_cast<char*>(entry.c_str()));
    }
    environmentPointers.push_back(nullptr);

    int pipeFds[2];
    int inputFds[2] = {-1, -1};
    if (options.takesInput) {
        signal(SIGPIPE, SIG_IGN); // a child that died answers writeLine with false, not with a signal
    }
    if (pipe2(pipeFds, O_CLOEXEC) != 0 || (options.takesInput && pipe2(inputFds, O_CLOEXEC) != 0)) {
        failure = std::string("pipe2: ") + std::strerror(errno);
        return nullptr;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        failure = std::string("fork: ") + std::strerror(errno);
        for (const int fd : {pipeFds[0], pipeFds[1], inputFds[0], inputFds[1]}) {
            if (fd >= 0) {
                close(fd);
            }
        }
        return nullptr;
    }
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        if (options.takesInput) {
            dup2(inputFds[0], STDIN_FILENO);
        }
        if (options.mergeStandardError) {
            dup2(pipeFds[1], STDERR_FILENO);
        }
        if (account) {
            if (setgroups(0, nullptr) != 0 || setgid(account->pw_gid) != 0 || setuid(account->pw_uid) != 0) {
                _exit(126);
            }
        }
        execve(argumentPointers[0], argumentPointers.data(), environmentPointers.data());
        _exit(127);
    }
    close(pipeFds[1]);
    if (options.takesInput) {
        close(inputFds[0]);
    }
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, pipeFds[0], inputFds[1]));
}

ChildProcess::ChildProcess(pid_t pid, int output, int input) : pid_(pid), output_(output), input_(input)
{
    source_ = NSRunLoop::mainRunLoop().addFileDescriptor(output_, POLLIN, [this](short) {
        char buffer[4096];
        const ssize_t n = read(output_, buffer, sizeof buffer);
        if (n > 0) {
            buffered_.append(buffer, n);
        } else if (n == 0 || errno != EAGAIN) {
            closed_ = true;
            source_->invalidate();
        }
    });
}

ChildProcess::~ChildProcess()
{
    source_->invalidate();
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitForExit();
    }
    close(output_);
    if (input_ >= 0) {
        close(input_);
    }
}

bool ChildProcess::writeLine(const std::string& line)
{
    const std::string text = line + "\n";
    std::string_view rest = text;
    while (input_ >= 0 && !rest.empty()) {
        const ssize_t written = write(input_, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return input_ >= 0;
}

std::optional<std::string> ChildProcess::nextLine()
{
    NSRunLoop::mainRunLoop().runUntilWithin([&] { return closed_ || buffered_.find('\n') != std::string::npos; },
                                            kTestDeadline);
    const auto end = buffered_.find('\n');
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return line;
}

void ChildProcess::sendSignal(int signal)
{
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

std::optional<int> ChildProcess::waitForExitWithin(std::chrono::milliseconds limit)
{
    if (pid_ <= 0) {
        return -1;
    }
    // A pidfd becomes readable when the process ends: a wait with a deadline and without polling.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    if (pidfd >= 0) {
        pollfd descriptor{pidfd, POLLIN, 0};
        int ready = 0;
        while ((ready = poll(&descriptor, 1, static_cast<int>(limit.count()))) < 0 && errno == EINTR) {
        }
        close(pidfd);
        if (ready == 0) {
            return std::nullopt;
        }
    }
    return waitForExit();
}

int ChildProcess::waitForExit()
{
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
