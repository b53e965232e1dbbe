#include "FuzzDeviceRoot.h"

#include "DeviceRoot.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

std::filesystem::path scratchFolder()
{
    const std::filesystem::path memory("/dev/shm");
    std::error_code error;
    if (std::filesystem::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0) {
        return memory;
    }
    return std::filesystem::temp_directory_path();
}

[[noreturn]] void fail(const std::string& what)
{
    std::perror(what.c_str());
    std::abort();
}

} // namespace

FuzzDeviceRoot::FuzzDeviceRoot()
{
    std::string pattern = (scratchFolder() / "vantle-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        fail("cannot create a scratch device root " + pattern);
    }
    path_ = pattern;
    DeviceRoot::setRoot(path_);
}

FuzzDeviceRoot::~FuzzDeviceRoot()
{
    DeviceRoot::resetRoot();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path FuzzDeviceRoot::hostPath(std::string_view devicePath) const
{
    const std::string normalised = DeviceRoot::normalise(devicePath);
    return normalised == "/" ? path_ : path_ / normalised.substr(1);
}

void FuzzDeviceRoot::createDirectory(std::string_view devicePath) const
{
    std::error_code error;
    std::filesystem::create_directories(hostPath(devicePath), error);
    if (error) {
        fail("cannot create " + hostPath(devicePath).string());
    }
}

void FuzzDeviceRoot::writeFile(std::string_view devicePath, std::string_view bytes) const
{
    // Plain system calls rather than a stream: a target writes a file for every input.
    const std::filesystem::path target = hostPath(devicePath);
    std::filesystem::path written = target;
    written += ".fuzz-new";
    const int fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail("cannot create " + written.string());
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            fail("cannot write " + written.string());
        }
        done += static_cast<std::size_t>(count);
    }
    if (::close(fd) != 0) {
        fail("cannot write " + written.string());
    }
    if (::rename(written.c_str(), target.c_str()) != 0) {
        fail("cannot replace " + target.string());
    }
}

void FuzzDeviceRoot::remove(std::string_view devicePath) const
{
    std::error_code ignored;
    std::filesystem::remove_all(hostPath(devicePath), ignored);
}
