#include "ToolRun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string readAndRemove(const char* path)
{
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path);
    return bytes;
}

} // namespace

std::string ToolRun::quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

ToolRun ToolRun::of(const std::string& tool, const std::string& arguments)
{
    ToolRun run;
    char errPath[] = "/tmp/vantle-tool-stderr-XXXXXX";
    const int errFile = mkstemp(errPath);
    if (errFile < 0) {
        ADD_FAILURE() << "cannot create a file for the standard error of " << tool;
        return run;
    }
    close(errFile);
    const std::string command = quoted(tool) + " " + arguments + " 2>" + quoted(errPath);
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer{};
        std::size_t read = 0;
        while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            run.out.append(buffer.data(), read);
        }
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else {
        ADD_FAILURE() << "cannot start " << tool;
    }
    run.err = readAndRemove(errPath);
    return run;
}
