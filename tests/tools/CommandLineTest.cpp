// Every program answers --help and --version, and a bad command line with status 2 and a message that names
// what was wrong, as the README promises.
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Program {
    const char* name;
    const char* path;
};

const Program kPrograms[] = {
    {"springboard", VANTLE_SPRINGBOARD_HOST}, {"preferences", VANTLE_PREFERENCES_HOST},
    {"sbctl", VANTLE_SBCTL_TOOL},             {"settingsctl", VANTLE_SETTINGSCTL_TOOL},
    {"vantle-device", VANTLE_DEVICE_TOOL},    {"vantle-log", VANTLE_LOG_TOOL},
    {"vantle-post", VANTLE_POST_TOOL},        {"vantlectl", VANTLECTL_TOOL},
    {"toolkit-sample", VANTLE_TOOLKIT_SAMPLE_TOOL},
};

} // namespace

TEST(CommandLine, EveryProgramAnswersVersionHelpAndAnUnknownOptionAlike)
{
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        const ToolRun version = ToolRun::of(program.path, "--version");
        EXPECT_EQ(version.status, 0) << version.err;
        EXPECT_EQ(version.out, std::string(program.name) + " " + VANTLE_VERSION + "\n");

        const ToolRun help = ToolRun::of(program.path, "--help");
        EXPECT_EQ(help.status, 0) << help.err;
        EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;

        const ToolRun bad = ToolRun::of(program.path, "--no-such-option");
        EXPECT_EQ(bad.status, 2) << bad.all();
        EXPECT_NE(bad.err.find(std::string(program.name) + ": unknown option \"--no-such-option\""), std::string::npos)
            << bad.err;
    }
}

TEST(CommandLine, AWordThatIsNoCommandIsNamed)
{
    const struct {
        const char* path;
        const char* arguments;
        const char* message;
    } cases[] = {
        {VANTLE_SBCTL_TOOL, "bogus", "sbctl: unknown command \"bogus\""},
        {VANTLE_SETTINGSCTL_TOOL, "bogus", "settingsctl: unknown command \"bogus\""},
        {VANTLE_DEVICE_TOOL, "bogus", "vantle-device: unknown command \"bogus\""},
        {VANTLECTL_TOOL, "bogus", "vantlectl: unknown command \"bogus\""},
        {VANTLE_SBCTL_TOOL, "tap 1 2 3", "sbctl: unexpected argument \"3\""},
        {VANTLE_POST_TOOL, "--app A extra", "vantle-post: unexpected argument \"extra\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = ToolRun::of(c.path, c.arguments);
        EXPECT_EQ(run.status, 2) << run.all();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}
