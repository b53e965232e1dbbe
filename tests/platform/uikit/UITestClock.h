#pragma once

#include "Clock.h"

#include <atomic>
#include <memory>

// One hand-moved clock for the whole test binary, installed on first use and never replaced (an installed
// clock is kept by the process for good, so installing one per test would only pile them up).
class UITestClock final : public Clock {
public:
    static UITestClock& installed()
    {
        static const std::shared_ptr<UITestClock> clock = [] {
            auto made = std::make_shared<UITestClock>();
            Clock::install(made);
            return made;
        }();
        return *clock;
    }

    double referenceTime() const override { return now_.load(); }
    double monotonicTime() const override { return now_.load(); }
    void advance(double seconds) { now_.store(now_.load() + seconds); }

private:
    std::atomic<double> now_{1000};
};
