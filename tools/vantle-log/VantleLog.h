#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

// The vantle-log command: prints the notification log of a device root, the new records and then the old
// ones, as tables or as JSON, without changing anything on the device.
//
// Exit status: 0 when both files were shown (a missing file is an empty log); 1 when a file exists but
// does not read (it is named on `err` with the reason, and the other file is still shown) or the output
// could not be written; 2 when the root is not a directory.
class VantleLog {
public:
    struct Options {
        std::filesystem::path root;
        bool json = false;
        // The name its messages begin with.
        std::string program = "vantle-log";
    };

    static constexpr int kSucceeded = 0;
    static constexpr int kFileUnreadable = 1;
    static constexpr int kBadRoot = 2;

    static int run(const Options& options, std::ostream& out, std::ostream& err);
};
