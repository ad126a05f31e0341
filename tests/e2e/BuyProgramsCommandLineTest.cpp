// buyservice and buyclient started by hand: --help explains and ends at once,
// anything else is refused, and neither touches the device's home.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/e2e/E2eSupport.h"

namespace {

using namespace E2e;

struct Program {
    const char* binary;
    const char* appId;
};

class BuyProgramsCommandLineTest : public ::testing::TestWithParam<Program> {
protected:
    bool HomeIsEmpty() const { return std::filesystem::is_empty(home_.Path()); }

    PlatformHome home_;
};

TEST_P(BuyProgramsCommandLineTest, HelpExplainsTheProgramAndEndsWithoutRunningIt) {
    const Program program = GetParam();
    for (const char* option : {"--help", "-h"}) {
        // Run as the application it would stay until stopped: the time limit catches that.
        const RunResult run = RunProgram({Bin(program.binary), option}, 20000);
        ASSERT_EQ(0, run.exitCode) << option << ": " << run.output;
        EXPECT_NE(std::string::npos, run.output.find(std::string("appctl ") + program.appId)) << run.output;
        for (const char* variable : {"IAP_PLATFORM_HOME", "IAP_COUNTRY_SEARCH_URL", "IAP_HTTP_TIMEOUT_MS"})
            EXPECT_NE(std::string::npos, run.output.find(variable)) << variable;
        EXPECT_TRUE(HomeIsEmpty()) << "the home was touched";
    }
}

TEST_P(BuyProgramsCommandLineTest, AnyOtherArgumentIsRefusedInOneLineWithStatusTwo) {
    const Program program = GetParam();
    for (const char* argument : {"--bogus", "-platform", "purchase"}) {
        const RunResult run = RunProgram({Bin(program.binary), argument}, 20000);
        EXPECT_EQ(2, run.exitCode) << argument << ": " << run.output;
        EXPECT_EQ(1, std::count(run.output.begin(), run.output.end(), '\n')) << run.output;
        EXPECT_NE(std::string::npos, run.output.find(argument)) << run.output;
        EXPECT_NE(std::string::npos, run.output.find("try --help")) << run.output;
    }
    EXPECT_TRUE(HomeIsEmpty()) << "the home was touched";
}

INSTANTIATE_TEST_SUITE_P(Programs, BuyProgramsCommandLineTest,
                         ::testing::Values(Program{"buyservice", "buyservice.BuyService"},
                                           Program{"buyclient", "buyclient.BuyClient"}),
                         [](const ::testing::TestParamInfo<Program>& info) { return std::string(info.param.binary); });

}  // namespace
