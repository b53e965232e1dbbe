#include "VantleLog.h"

#include "DeviceRoot.h"
#include "JsonWriter.h"
#include "LogFile.h"
#include "PLWriter.h"
#include "TableWriter.h"

#include <ostream>
#include <system_error>

namespace {

// Why the root cannot be read, or empty when it is a directory.
std::string rootProblem(const std::filesystem::path& root)
{
    std::error_code error;
    const auto type = std::filesystem::status(root, error).type();
    if (type == std::filesystem::file_type::directory) {
        return {};
    }
    if (type == std::filesystem::file_type::not_found) {
        return "no such directory (a device root is made with \"vantle-device install --root DIR\")";
    }
    if (error) {
        return error.message();
    }
    return "not a directory";
}

void reportUnreadable(const LogFile& file, const std::string& program, std::ostream& err)
{
    if (file.isUnreadable()) {
        err << program << ": " << file.hostPath().string() << ": unreadable: " << file.reason() << "\n";
    }
}

} // namespace

int VantleLog::run(const Options& options, std::ostream& out, std::ostream& err)
{
    if (const std::string problem = rootProblem(options.root); !problem.empty()) {
        err << options.program << ": " << options.root.string() << ": " << problem << "\n";
        return kBadRoot;
    }
    DeviceRoot::setRoot(options.root);
    const LogFile newFile = LogFile::read(PLWriter::kNewNotificationsPath);
    const LogFile oldFile = LogFile::read(PLWriter::kOldNotificationsPath);
    reportUnreadable(newFile, options.program, err);
    reportUnreadable(oldFile, options.program, err);

    if (options.json) {
        out << JsonWriter::document(newFile, oldFile);
    } else {
        out << TableWriter::table("New notifications", newFile) << "\n" << TableWriter::table("Old notifications", oldFile);
    }
    out.flush();
    if (!out) {
        err << options.program << ": cannot write the output\n";
        return kFileUnreadable;
    }
    return newFile.isUnreadable() || oldFile.isUnreadable() ? kFileUnreadable : kSucceeded;
}
