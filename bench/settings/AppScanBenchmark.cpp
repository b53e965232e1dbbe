// The application picker's scan of the installed applications, as the ignored-applications page meets it
// when the picker is made: the six system applications of the artwork and 500 user applications, beside the
// floor of listing the same folders and reading the same Info.plist files' bytes.
#include "AppListViewController.h"
#include "DeviceRoot.h"
#include "NSDictionary.h"
#include "NSFileManager.h"
#include "NSString.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kUserApplicationCount = 500;

// A device root with the artwork's system applications and `count` user applications, each in a container
// of its own with an Info.plist and an icon.
class ApplicationsDevice {
public:
    explicit ApplicationsDevice(int count)
    {
        std::string pattern = (fs::temp_directory_path() / "vantle-appscan-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            return;
        }
        root_ = pattern;
        DeviceRoot::setRoot(root_);
        fs::copy(fs::path(VANTLE_ARTWORK_DIR) / "Applications", DeviceRoot::resolve("/Applications"),
                 fs::copy_options::recursive);
        const auto icon = fs::path(VANTLE_ARTWORK_DIR) / "Applications/MobileSMS.app/Icon.png";
        for (int i = 0; i < count; ++i) {
            char container[64];
            std::snprintf(container, sizeof container, "/var/mobile/Applications/5A1E0000-0000-4000-8000-%012d", i);
            const auto name = "App " + std::to_string(i);
            const auto bundle = std::string(container) + "/" + name + ".app";
            fs::create_directories(DeviceRoot::resolve(bundle));
            fs::copy_file(icon, DeviceRoot::resolve(bundle + "/Icon.png"));
            (void)NSFileManager::defaultManager().writePropertyList(
                NSDictionary::dictionaryWithEntries(
                    {{"CFBundleIdentifier", NSString::stringWithString("com.example.app" + std::to_string(i))},
                     {"CFBundleDisplayName", NSString::stringWithString(name)},
                     {"CFBundleIconFile", NSString::stringWithString("Icon.png")}}),
                bundle + "/Info.plist");
        }
    }
    ~ApplicationsDevice()
    {
        if (!root_.empty()) {
            fs::remove_all(root_);
        }
    }

private:
    fs::path root_;
};

// The bytes of a bundle's Info.plist, counted in `total` and `files` when it opens.
void readInfoBytes(const fs::path& bundle, std::size_t& total, std::size_t& files)
{
    std::ifstream in(bundle / "Info.plist", std::ios::binary);
    if (!in) {
        return;
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    total += bytes.str().size();
    ++files;
}

void BM_ScanInstalledApplications(benchmark::State& state)
{
    const ApplicationsDevice device(kUserApplicationCount);
    std::size_t listed = 0;
    for (auto _ : state) {
        const AppListViewController picker;
        listed = picker.apps().size();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["applications"] = static_cast<double>(listed);
}
BENCHMARK(BM_ScanInstalledApplications)->Unit(benchmark::kMillisecond);

// The same folders listed and the same Info.plist files read with plain calls, without parsing.
void BM_FloorListFoldersAndReadInfoBytes(benchmark::State& state)
{
    const ApplicationsDevice device(kUserApplicationCount);
    std::size_t read = 0;
    for (auto _ : state) {
        std::size_t total = 0;
        std::size_t files = 0;
        for (const auto& bundle : fs::directory_iterator(DeviceRoot::resolve("/Applications"))) {
            readInfoBytes(bundle.path(), total, files);
        }
        for (const auto& container : fs::directory_iterator(DeviceRoot::resolve("/var/mobile/Applications"))) {
            for (const auto& entry : fs::directory_iterator(container.path())) {
                if (entry.path().extension() == ".app") {
                    readInfoBytes(entry.path(), total, files);
                    break;
                }
            }
        }
        benchmark::DoNotOptimize(total);
        read = files;
    }
    state.counters["files"] = static_cast<double>(read);
}
BENCHMARK(BM_FloorListFoldersAndReadInfoBytes)->Unit(benchmark::kMillisecond);

} // namespace
