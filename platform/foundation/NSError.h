#pragma once

#include <string>
#include <utility>

// Why an operation failed, as a value the caller can act on or print. `reason` is a readable sentence
// fragment without the file name ("nested deeper than 64 levels", "No space left on device"), so a tool
// prints "path: reason". `code` is the errno value for failures that come from the system, else 0.
class NSError {
public:
    explicit NSError(std::string reason, int code = 0) : reason_(std::move(reason)), code_(code) {}

    // The error of a failed system call: its errno text, prefixed by what was being done.
    static NSError fromErrno(const std::string& doing, int errnoValue);
    // A file change that was made, but whose folder could not be flushed afterwards: the change holds for
    // every process and across a crash of this one, but may not survive a power cut.
    static NSError changeNotFlushed(const std::string& doing, int errnoValue);

    const std::string& reason() const { return reason_; }
    int code() const { return code_; }
    std::string localizedDescription() const { return reason_; }
    // Whether the change the operation was to make is in place despite the error (see changeNotFlushed);
    // a caller counts it as made.
    bool changeIsInPlace() const { return changeIsInPlace_; }

private:
    std::string reason_;
    int code_;
    bool changeIsInPlace_ = false;
};
