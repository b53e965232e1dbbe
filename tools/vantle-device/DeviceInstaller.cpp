#include "DeviceInstaller.h"

#include "DeviceRoot.h"
#include "NSFileManager.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

// Large enough for any picture or library; a file beyond it is not one of ours.
constexpr std::size_t kMaxFileBytes = 256u * 1024u * 1024u;

std::string devicePathOf(const std::filesystem::path& relative)
{
    return "/" + relative.generic_string();
}

} // namespace

DeviceInstaller::DeviceInstaller(std::filesystem::path payload) : payload_(std::move(payload)) {}

const std::vector<std::string>& DeviceInstaller::layoutFolders()
{
    static const std::vector<std::string> folders = {
        "/Applications",
        "/Applications/Vantle.app",
        "/Library/MobileSubstrate/DynamicLibraries",
        "/System/Library/PreferenceBundles/VantlePro.bundle",
        "/var/mobile/Applications",
        "/var/mobile/Library/Preferences",
        "/var/mobile/Library/Vantle",
        "/var/mobile/Library/Vantle/Images",
        "/var/mobile/Library/Vantle/Plugins Info",
    };
    return folders;
}

InstallReport DeviceInstaller::install() const
{
    InstallReport report;
    if (!prepareRoot(report)) {
        return report;
    }
    const std::vector<PayloadFile> files = payloadFiles(report);
    if (!report.succeeded()) {
        return report;
    }
    for (const std::string& folder : layoutFolders()) {
        createFolder(folder, report);
    }
    Result<InstallManifest> loaded = InstallManifest::load();
    InstallManifest manifest;
    if (loaded.ok()) {
        manifest = std::move(loaded).value();
    } else {
        // Without the record every differing file counts as the user's: nothing is overwritten.
        report.addProblem(DeviceRoot::resolve(InstallManifest::kPath),
                          "unreadable (" + loaded.error().reason() + "); changed files are kept");
    }
    for (const PayloadFile& file : files) {
        installFile(file, manifest, report);
    }
    if (auto error = manifest.save()) {
        report.addProblem(DeviceRoot::resolve(InstallManifest::kPath), error->reason());
    }
    return report;
}

bool DeviceInstaller::prepareRoot(InstallReport& report) const
{
    const std::filesystem::path root = DeviceRoot::root();
    std::error_code error;
    const auto status = std::filesystem::status(root, error);
    if (std::filesystem::is_directory(status)) {
        return true;
    }
    if (std::filesystem::exists(status)) {
        report.addProblem(root, "exists and is not a folder");
        return false;
    }
    std::filesystem::create_directories(root, error);
    if (error) {
        report.addProblem(root, "cannot create the device root: " + error.message());
        return false;
    }
    report.add(InstallReport::Action::CreatedRoot, "/");
    return true;
}

void DeviceInstaller::createFolder(const std::string& devicePath, InstallReport& report) const
{
    NSFileManager& files = NSFileManager::defaultManager();
    bool isDirectory = false;
    if (files.fileExistsAtPath(devicePath, isDirectory)) {
        if (!isDirectory) {
            report.addProblem(DeviceRoot::resolve(devicePath), "a file is in the way of this folder");
        }
        return;
    }
    if (auto error = files.createDirectoryAtPath(devicePath, true)) {
        report.addProblem(DeviceRoot::resolve(devicePath), error->reason());
        return;
    }
    report.add(InstallReport::Action::CreatedFolder, devicePath);
}

std::vector<DeviceInstaller::PayloadFile> DeviceInstaller::payloadFiles(InstallReport& report) const
{
    std::vector<PayloadFile> files;
    std::error_code error;
    if (!std::filesystem::is_directory(payload_, error)) {
        report.addProblem(payload_, "no artwork here (build the vantle_artwork target, or pass --from)");
        return files;
    }
    std::filesystem::recursive_directory_iterator walk(payload_, error), end;
    for (; !error && walk != end; walk.increment(error)) {
        if (walk->is_regular_file()) {
            files.push_back({walk->path(), devicePathOf(walk->path().lexically_relative(payload_))});
        }
    }
    if (error) {
        report.addProblem(payload_, "cannot list the artwork: " + error.message());
    }
    for (PayloadFile& file : deliverableFiles()) {
        files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end(),
              [](const PayloadFile& a, const PayloadFile& b) { return a.devicePath < b.devicePath; });
    return files;
}

// The loadable deliverables, once the build makes them: the tweak library and its filter plist go to
// /Library/MobileSubstrate/DynamicLibraries/, the settings bundle's library and specifier files to
// /System/Library/PreferenceBundles/VantlePro.bundle/. List them here (build file, device path); they
// are then installed and upgraded exactly like the artwork. Neither is built as a loadable library yet.
std::vector<DeviceInstaller::PayloadFile> DeviceInstaller::deliverableFiles()
{
    return {};
}

void DeviceInstaller::installFile(const PayloadFile& file, InstallManifest& manifest, InstallReport& report) const
{
    std::ifstream in(file.source, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        report.addProblem(file.source, std::string("cannot read: ") + std::strerror(errno));
        return;
    }
    const std::string hash = InstallManifest::contentHash(bytes);

    NSFileManager& files = NSFileManager::defaultManager();
    bool isDirectory = false;
    InstallReport::Action action = InstallReport::Action::Installed;
    if (files.fileExistsAtPath(file.devicePath, isDirectory)) {
        if (isDirectory) {
            report.addProblem(DeviceRoot::resolve(file.devicePath), "a folder is in the way of this file");
            return;
        }
        const Result<std::string> current = files.contentsAtPath(file.devicePath, kMaxFileBytes);
        if (!current.ok()) {
            report.addProblem(DeviceRoot::resolve(file.devicePath), current.error().reason());
            return;
        }
        if (current.value() == bytes) {
            manifest.setHashForPath(file.devicePath, hash);
            report.add(InstallReport::Action::Unchanged, file.devicePath);
            return;
        }
        if (manifest.hashForPath(file.devicePath) != InstallManifest::contentHash(current.value())) {
            report.add(InstallReport::Action::Kept, file.devicePath);
            return;
        }
        action = InstallReport::Action::Updated;
    }
    const std::string folder = std::filesystem::path(file.devicePath).parent_path().generic_string();
    if (!files.fileExistsAtPath(folder)) {
        createFolder(folder, report);
    }
    if (auto error = files.createFileAtPath(file.devicePath, bytes)) {
        report.addProblem(DeviceRoot::resolve(file.devicePath), error->reason());
        return;
    }
    manifest.setHashForPath(file.devicePath, hash);
    report.add(action, file.devicePath);
}
