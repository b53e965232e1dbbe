#include "NSError.h"

#include <cstring>

NSError NSError::fromErrno(const std::string& doing, int errnoValue)
{
    char buffer[256];
    // GNU strerror_r answers a pointer that may or may not be the buffer.
    const char* text = strerror_r(errnoValue, buffer, sizeof buffer);
    return NSError(doing.empty() ? std::string(text) : doing + ": " + text, errnoValue);
}

NSError NSError::changeNotFlushed(const std::string& doing, int errnoValue)
{
    NSError error = fromErrno(doing, errnoValue);
    error.changeIsInPlace_ = true;
    return error;
}
