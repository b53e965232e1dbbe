#include "DeviceInstaller.h"

#include "DeviceRoot.h"
#include "NSArray.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSPropertyListSerialization.h"
#include "NSString.h"

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

// The XML form of a small fixed property list (which cannot fail to serialise).
std::string xmlOf(const std::shared_ptr<NSDictionary>& plist)
{
    return NSPropertyListSerialization::dataWithPropertyList(plist).value();
}

} // namespace

DeviceInstaller::DeviceInstaller(std::filesystem::path payload, std::optional<std::filesystem::path> tweakLibrary,
                                 std::optional<std::filesystem::path> preferenceBundles)
    : payload_(std::move(payload)), tweakLibrary_(std::move(tweakLibrary)), preferenceBundles_(std::move(preferenceBundles))
{
}

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
    addFilesUnder(payload_, Policy::KeepUserChanges, files, error);
    if (error) {
        report.addProblem(payload_, "cannot list the artwork: " + error.message());
    }
    if (preferenceBundles_ && std::filesystem::is_directory(*preferenceBundles_, error)) {
        addFilesUnder(*preferenceBundles_, Policy::AlwaysReplace, files, error);
        if (error) {
            report.addProblem(*preferenceBundles_, "cannot list the preference bundles: " + error.message());
        }
    }
    for (PayloadFile& file : deliverableFiles(report)) {
        files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end(),
              [](const PayloadFile& a, const PayloadFile& b) { return a.devicePath < b.devicePath; });
    return files;
}

// Every file under the folder, as the device path of its place in the folder.
void DeviceInstaller::addFilesUnder(const std::filesystem::path& folder, Policy policy, std::vector<PayloadFile>& files,
                                    std::error_code& error)
{
    std::filesystem::recursive_directory_iterator walk(folder, error), end;
    for (; !error && walk != end; walk.increment(error)) {
        if (walk->is_regular_file()) {
            files.push_back({walk->path(), devicePathOf(walk->path().lexically_relative(folder)), policy, {}});
        }
    }
}

// The tweak library, loaded by the shell's substrate loader; the filter that tells the loader which
// processes to load it into (only the shell); and Activator's assignment of the status-bar swipe to the
// tweak's panel, so that it opens out of the box.
std::vector<DeviceInstaller::PayloadFile> DeviceInstaller::deliverableFiles(InstallReport& report) const
{
    if (!tweakLibrary_) {
        return {};
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(*tweakLibrary_, error)) {
        report.addProblem(*tweakLibrary_, "no tweak library here (build the Vantle target, or pass --tweak)");
        return {};
    }
    const auto filter = NSDictionary::dictionaryWithEntries(
        {{"Filter", NSDictionary::dictionaryWithEntries(
                        {{"Bundles", NSArray::arrayWithObjects({NSString::stringWithString("com.apple.springboard")})}})}});
    const auto assignments = NSDictionary::dictionaryWithEntries(
        {{"libactivator.statusbar.swipe.down", NSString::stringWithString("net.torvask.Vantle")}});
    return {{*tweakLibrary_, kTweakLibraryPath, Policy::AlwaysReplace, {}},
            {std::nullopt, kTweakFilterPath, Policy::AlwaysReplace, xmlOf(filter)},
            {std::nullopt, kActivatorAssignmentsPath, Policy::SeedOnce, xmlOf(assignments)}};
}

void DeviceInstaller::installFile(const PayloadFile& file, InstallManifest& manifest, InstallReport& report) const
{
    std::string bytes = file.bytes;
    if (file.source) {
        std::ifstream in(*file.source, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            report.addProblem(*file.source, std::string("cannot read: ") + std::strerror(errno));
            return;
        }
    }
    const auto action = actionFor(file, bytes, manifest, report);
    if (!action) {
        return;
    }
    const std::string hash = InstallManifest::contentHash(bytes);
    if (*action == InstallReport::Action::Unchanged || *action == InstallReport::Action::Kept) {
        if (*action == InstallReport::Action::Unchanged) {
            manifest.setHashForPath(file.devicePath, hash);
        }
        report.add(*action, file.devicePath);
        return;
    }
    NSFileManager& files = NSFileManager::defaultManager();
    const std::string folder = std::filesystem::path(file.devicePath).parent_path().generic_string();
    if (!files.fileExistsAtPath(folder)) {
        createFolder(folder, report);
    }
    if (auto error = NSFileManager::failureToChange(files.createFileAtPath(file.devicePath, bytes))) {
        report.addProblem(DeviceRoot::resolve(file.devicePath), error->reason());
        return;
    }
    manifest.setHashForPath(file.devicePath, hash);
    report.add(*action, file.devicePath);
}

// What to do with one file given what the device holds; none when there is nothing to do or to report.
std::optional<InstallReport::Action> DeviceInstaller::actionFor(const PayloadFile& file, const std::string& bytes,
                                                                InstallManifest& manifest, InstallReport& report) const
{
    NSFileManager& files = NSFileManager::defaultManager();
    bool isDirectory = false;
    if (!files.fileExistsAtPath(file.devicePath, isDirectory)) {
        // A default the user removed stays removed.
        const bool removedByUser = file.policy == Policy::SeedOnce && manifest.hashForPath(file.devicePath);
        return removedByUser ? std::nullopt : std::optional(InstallReport::Action::Installed);
    }
    if (isDirectory) {
        report.addProblem(DeviceRoot::resolve(file.devicePath), "a folder is in the way of this file");
        return std::nullopt;
    }
    const Result<std::string> current = files.contentsAtPath(file.devicePath, kMaxFileBytes);
    if (!current.ok()) {
        report.addProblem(DeviceRoot::resolve(file.devicePath), current.error().reason());
        return std::nullopt;
    }
    if (current.value() == bytes) {
        return InstallReport::Action::Unchanged;
    }
    const bool toolsOwn = manifest.hashForPath(file.devicePath) == InstallManifest::contentHash(current.value());
    if (file.policy == Policy::AlwaysReplace || (file.policy == Policy::KeepUserChanges && toolsOwn)) {
        return InstallReport::Action::Updated;
    }
    return InstallReport::Action::Kept;
}
