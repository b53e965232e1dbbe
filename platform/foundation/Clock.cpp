#include "Clock.h"

#include "SystemClock.h"

#include "Mutex.h"
#include "MutexLocker.h"

#include <atomic>
#include <vector>

namespace {

std::shared_ptr<Clock>& systemClock()
{
    static std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    return clock;
}

// Read from any thread; replaced only while a test or host sets up.
std::atomic<std::shared_ptr<Clock>*>& installedSlot()
{
    static std::atomic<std::shared_ptr<Clock>*> slot{nullptr};
    return slot;
}

// Every clock ever installed, kept reachable for the rest of the process (see install). Never destroyed,
// so a thread still reading the clock while the process exits finds it alive.
Mutex keptClocksMutex;
auto* const keptClocks VT_PT_GUARDED_BY(keptClocksMutex) = new std::vector<std::unique_ptr<std::shared_ptr<Clock>>>;

} // namespace

std::shared_ptr<Clock> Clock::current()
{
    std::shared_ptr<Clock>* installed = installedSlot().load(std::memory_order_acquire);
    return installed ? *installed : systemClock();
}

void Clock::install(std::shared_ptr<Clock> clock)
{
    // Each installed clock is kept for the rest of the process, so a reader on another thread never sees a
    // clock destroyed under it.
    // They stay reachable from keptClocks, so leak checkers do not report them.
    std::shared_ptr<Clock>* slot = nullptr;
    if (clock) {
        MutexLocker locker(keptClocksMutex);
        keptClocks->push_back(std::make_unique<std::shared_ptr<Clock>>(std::move(clock)));
        slot = keptClocks->back().get();
    }
    installedSlot().store(slot, std::memory_order_release);
}
