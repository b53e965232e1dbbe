#pragma once

#include <chrono>

// How long a test waits for something before it counts as never coming. Far beyond any healthy wait, so it
// never decides whether a test passes; it only turns a hang into a failure.
inline constexpr std::chrono::seconds kTestDeadline{60};
