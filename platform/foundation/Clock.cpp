#include "Clock.h"

#include "SystemClock.h"

#include <atomic>
#include <mutex>
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

// Every clock ever installed, so a reader on another thread never sees a clock destroyed under it. Kept
// reachable (not merely leaked), so the leak checker does not report each install.
std::vector<std::shared_ptr<Clock>*>& keptSlots()
{
    static auto* slots = new std::vector<std::shared_ptr<Clock>*>;
    return *slots;
}

std::mutex& keptSlotsMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

} // namespace

std::shared_ptr<Clock> Clock::current()
{
    std::shared_ptr<Clock>* installed = installedSlot().load(std::memory_order_acquire);
    return installed ? *installed : systemClock();
}

void Clock::install(std::shared_ptr<Clock> clock)
{
    auto* slot = clock ? new std::shared_ptr<Clock>(std::move(clock)) : nullptr;
    if (slot) {
        std::lock_guard<std::mutex> locked(keptSlotsMutex());
        keptSlots().push_back(slot);
    }
    installedSlot().store(slot, std::memory_order_release);
}
