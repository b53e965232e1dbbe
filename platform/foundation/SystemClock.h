#pragma once

#include "Clock.h"

// The real clocks: the system's wall clock and its monotonic clock.
class SystemClock final : public Clock {
public:
    double referenceTime() const override;
    double monotonicTime() const override;
};
