#pragma once

#include <functional>
#include <string>
#include <string_view>

// The system log: each line goes to syslog (facility user, level notice) under the process's name, and is
// mirrored to stderr as "name[pid]: line" when the program asks for it (every host does, as a phone's
// console shows the log of what runs on it). Tests watch the lines through an observer. Safe to call from any thread; a line is written to
// stderr with a single write, so lines of different threads never interleave.
class SystemLog {
public:
    static void write(std::string_view line);

    static void setMirrorsToStandardError(bool mirrors);
    static bool mirrorsToStandardError();

    // Called with every line, on the writing thread; null removes it. Meant for tests.
    using Observer = std::function<void(const std::string&)>;
    static void setObserver(Observer observer);
};
