#pragma once

#include "NSThread.h"

// Checked preconditions. VT_ASSERT(condition) stops the process, with the condition and where it was
// checked on stderr, when the condition does not hold. The checks are active in debug and sanitizer builds
// (no NDEBUG) and compiled out of optimised ones, where the condition is not evaluated.
//
// VT_ASSERT_MAIN_THREAD() opens the operations that only the main thread may call (views, the table, the
// panel, the list manager's answers to the table): a call from a job thread stops there, at the mistake,
// rather than as a race somewhere later.
#if defined(NDEBUG)
#define VT_ASSERT(condition) static_cast<void>(0)
#else
#define VT_ASSERT(condition) ((condition) ? static_cast<void>(0) : Assertions::failed(#condition, __FILE__, __LINE__))
#endif

#define VT_ASSERT_MAIN_THREAD() VT_ASSERT(NSThread::isMainThread())

class Assertions {
public:
    // Writes "file:line: assertion failed: condition" to stderr and aborts.
    [[noreturn]] static void failed(const char* condition, const char* file, int line);
};
