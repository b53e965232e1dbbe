#include "SystemLog.h"

#include "Mutex.h"
#include "MutexLocker.h"

#include <fmt/format.h>

#include <atomic>
#include <memory>
#include <cerrno>
#include <syslog.h>
#include <unistd.h>

namespace {

std::atomic<bool> mirrorToStandardError{false};
Mutex observerMutex;
std::shared_ptr<const SystemLog::Observer> observer VT_GUARDED_BY(observerMutex);

void writeFully(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace

void SystemLog::write(std::string_view line)
{
    const std::string text(line);
    ::syslog(LOG_USER | LOG_NOTICE, "%s", text.c_str());
    if (mirrorToStandardError.load(std::memory_order_relaxed)) {
        writeFully(STDERR_FILENO, fmt::format("{}[{}]: {}\n", program_invocation_short_name, ::getpid(), text));
    }
    std::shared_ptr<const Observer> watcher;
    {
        MutexLocker locker(observerMutex);
        watcher = observer;
    }
    if (watcher) {
        (*watcher)(text);
    }
}

void SystemLog::setMirrorsToStandardError(bool mirrors)
{
    mirrorToStandardError.store(mirrors, std::memory_order_relaxed);
}

bool SystemLog::mirrorsToStandardError()
{
    return mirrorToStandardError.load(std::memory_order_relaxed);
}

void SystemLog::setObserver(Observer newObserver)
{
    MutexLocker locker(observerMutex);
    observer = newObserver ? std::make_shared<const Observer>(std::move(newObserver)) : nullptr;
}
