#pragma once

#include <memory>

// The source of time for the whole process: dates ("now") and the run loop's timers, delayed performs and
// animations. Hosts use the system clock; tests install a SteppedClock and move time by hand.
class Clock {
public:
    virtual ~Clock() = default;

    // Wall time: seconds since the reference date 2001-01-01 00:00:00 UTC.
    virtual double referenceTime() const = 0;
    // Time that only moves forward, in seconds from an arbitrary origin; timers are measured on it.
    virtual double monotonicTime() const = 0;
    // Whether time passes without anyone moving it. A run loop waits for a due timer in real time only on
    // such a clock; on a stepped clock it waits until the clock is stepped (which wakes every run loop).
    virtual bool advancesByItself() const { return true; }

    // The process's clock: the system clock unless another one was installed.
    static std::shared_ptr<Clock> current();
    // Replaces the process's clock (nullptr restores the system clock). Meant for tests and hosts at start-up.
    static void install(std::shared_ptr<Clock> clock);
};
