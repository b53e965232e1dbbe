#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

// What one run of the install tool did to a device root, in the order it did it, and what went wrong.
class InstallReport {
public:
    enum class Action {
        CreatedRoot,   // the device root folder did not exist
        CreatedFolder, // a folder of the layout
        Installed,     // a file that was not there
        Updated,       // a file the tool had installed, replaced by the build's newer one
        Kept,          // a file that differs from the build's and is not the tool's: left alone
        Unchanged,     // a file that already holds the build's bytes
    };
    struct Entry {
        Action action;
        std::string devicePath;
    };
    // A failure: the host path it concerns and why.
    struct Problem {
        std::filesystem::path path;
        std::string reason;
    };

    void add(Action action, std::string devicePath);
    void addProblem(std::filesystem::path path, std::string reason);

    const std::vector<Entry>& entries() const { return entries_; }
    const std::vector<Problem>& problems() const { return problems_; }
    bool succeeded() const { return problems_.empty(); }
    std::size_t count(Action action) const;
    // The device paths of every entry with `action`.
    std::vector<std::string> paths(Action action) const;

    // One line per change on `out` (unchanged files only counted), a summary line, and one
    // "vantle-device: <path>: <reason>" line per problem on `err`.
    void print(std::ostream& out, std::ostream& err, const std::filesystem::path& root) const;

private:
    std::vector<Entry> entries_;
    std::vector<Problem> problems_;
};
