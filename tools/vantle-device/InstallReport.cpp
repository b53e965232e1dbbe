#include "InstallReport.h"

#include <algorithm>
#include <ostream>

void InstallReport::add(Action action, std::string devicePath)
{
    entries_.push_back({action, std::move(devicePath)});
}

void InstallReport::addProblem(std::filesystem::path path, std::string reason)
{
    problems_.push_back({std::move(path), std::move(reason)});
}

std::size_t InstallReport::count(Action action) const
{
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(),
                                                  [action](const Entry& entry) { return entry.action == action; }));
}

std::vector<std::string> InstallReport::paths(Action action) const
{
    std::vector<std::string> result;
    for (const Entry& entry : entries_) {
        if (entry.action == action) {
            result.push_back(entry.devicePath);
        }
    }
    return result;
}

void InstallReport::print(std::ostream& out, std::ostream& err, const std::filesystem::path& root) const
{
    out << "Device root: " << root.string() << (count(Action::CreatedRoot) > 0 ? " (new)" : "") << '\n';
    for (const Entry& entry : entries_) {
        switch (entry.action) {
        case Action::CreatedFolder:
            out << "  created   " << entry.devicePath << "/\n";
            break;
        case Action::Installed:
            out << "  installed " << entry.devicePath << '\n';
            break;
        case Action::Updated:
            out << "  updated   " << entry.devicePath << '\n';
            break;
        case Action::Kept:
            out << "  kept      " << entry.devicePath
                << " (changed on this device; remove it to get the build's version)\n";
            break;
        case Action::CreatedRoot:
        case Action::Unchanged:
            break;
        }
    }
    out << "Done: " << count(Action::Installed) << " installed, " << count(Action::Updated) << " updated, "
        << count(Action::Unchanged) << " unchanged, " << count(Action::Kept) << " kept; "
        << count(Action::CreatedFolder) << " folders created";
    if (!problems_.empty()) {
        out << "; " << problems_.size() << (problems_.size() == 1 ? " problem" : " problems");
    }
    out << ".\n";
    for (const Problem& problem : problems_) {
        err << "vantle-device: " << problem.path.string() << ": " << problem.reason << '\n';
    }
}
