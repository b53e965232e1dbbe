#pragma once

#include "NSError.h"
#include "Result.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

// What vantlectl changes on a device: its notification history and whether the shell holds its pop-ups back.
// Works whether or not a shell runs on the device.
//
// The log files are changed through the tweak's own store (PLWriter) under its lock, whose outermost hold
// takes the log folder's cross-process lock: a shell appending at the same moment waits for the change or
// goes first, so a record it acknowledged is never lost and a record cleared never comes back. The shell's
// store notices that the files changed under it and reads them afresh (see VTLogFile).
// A shell's open panel is closed before the history changes, or its close would write back what it showed
// (see OpenPanel).
//
// Pop-ups are held back by the settings' two block keys, written together in one atomic replace of the
// preference file, and "net.torvask.LoadSettings" tells a running shell to read them.
class HistoryControl {
public:
    struct Counts {
        std::size_t newRecords = 0;
        std::size_t oldRecords = 0;
    };

    // Works on the device at `root` (DeviceRoot::setRoot).
    explicit HistoryControl(const std::filesystem::path& root);

    // The records of both log files; fails when one exists but does not read (its path and the reason).
    [[nodiscard]] Result<Counts> count() const;
    // Empties the history: both log files and the remembered collapsed groups. A log file that does not read
    // is moved aside, never destroyed.
    [[nodiscard]] std::optional<NSError> clear();
    // Removes the records of the application with this bundle identifier from both files; answers how many
    // went.
    [[nodiscard]] Result<std::size_t> deleteApplication(const std::string& bundleIdentifier);
    // Holds pop-ups back on the home screen and the lock screen (or lets them through again); the records
    // are logged all the same.
    [[nodiscard]] std::optional<NSError> holdPopUps(bool held);

private:
    static std::size_t recordsOf(const std::string& bundleIdentifier);
};
