#pragma once

#include "NSRecursiveLock.h"

#include <string>

// An advisory lock that processes share: flock(2) on a file or folder of the device root, opened afresh for
// each hold (so it follows DeviceRoot::setRoot). While one holder has it, every other waits, whether in
// another process or in this one through another CrossProcessLock. Every program that changes the files it
// guards must take it around its whole read-modify-write; a program that does not is not kept out.
//
// A path that does not exist cannot be locked, and the hold then guards nothing: whatever lives under a
// missing folder cannot be read or changed either. Not thread-safe on its own: it is meant as the companion
// of an NSRecursiveLock, which keeps this process's threads apart, or for one thread's use.
class CrossProcessLock final : public NSRecursiveLock::Companion {
public:
    explicit CrossProcessLock(std::string devicePath) : devicePath_(std::move(devicePath)) {}
    ~CrossProcessLock() override;
    CrossProcessLock(const CrossProcessLock&) = delete;
    CrossProcessLock& operator=(const CrossProcessLock&) = delete;

    void acquire() override;
    bool tryAcquire() override;
    void release() override;

private:
    bool take(int operation);

    const std::string devicePath_;
    int descriptor_ = -1;
};
