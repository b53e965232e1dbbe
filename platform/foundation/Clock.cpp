#include "Clock.h"

#include "SystemClock.h"

#include <atomic>

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
    auto* slot = clock ? new std::shared_ptr<Clock>(std::move(clock)) : nullptr;
    installedSlot().store(slot, std::memory_order_release);
}
