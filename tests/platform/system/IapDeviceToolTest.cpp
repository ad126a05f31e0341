// Runs build/bin/iap-device as a developer would.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "TempPlatformHome.h"
#include "platform/system/SettingInfo.h"
#include "platform/system/SimInfo.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

class IapDeviceToolTest : public ::testing::Test {
protected:
    ToolRun Tool(const std::string& arguments) {
        ToolRun run;
        std::string command = std::string(IAP_BIN_DIR) + "/iap-device " + arguments + " 2>&1";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) {
            ADD_FAILURE() << "cannot start " << command;
            return run;
        }
        char buffer[512];
        while (std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
            run.output.append(buffer, count);
        int raw = ::pclose(pipe);
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return run;
    }

    TempPlatformHome home_;
};

TEST_F(IapDeviceToolTest, SetWritesWhatTheSimReads) {
    ToolRun set = Tool("set sim.mcc=450 sim.mnc=5 sim.phone_number=+821012345678 wifi.mac=00:11:22:AA:BB:CC");
    ASSERT_EQ(set.status, 0) << set.output;
    Vx::Telephony::SimInfo sim;
    ASSERT_EQ(sim.Construct(), Vx::E_SUCCESS);
    EXPECT_EQ(sim.GetMobileCountryCode(), 450);
    EXPECT_EQ(sim.GetMobileNetworkCode(), 5);

    ToolRun get = Tool("get wifi.mac");
    EXPECT_EQ(get.status, 0);
    EXPECT_EQ(get.output, "00:11:22:AA:BB:CC\n");

    ToolRun show = Tool("show");
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.output.find(home_.ProfilePath()), std::string::npos) << show.output;
    EXPECT_NE(show.output.find("sim.mnc=5"), std::string::npos) << show.output;
    EXPECT_NE(show.output.find("mcc 450, mnc 5"), std::string::npos) << show.output;
}

TEST_F(IapDeviceToolTest, UnsetAndClearTakeTheSimAway) {
    ASSERT_EQ(Tool("set sim.mcc=450 system.duid=D1").status, 0);
    ASSERT_EQ(Tool("unset sim").status, 0);
    Vx::Telephony::SimInfo sim;
    EXPECT_EQ(sim.Construct(), Vx::E_DEVICE_UNAVAILABLE);
    EXPECT_EQ(Tool("get system.duid").output, "D1\n");

    ASSERT_EQ(Tool("clear").status, 0);
    ToolRun get = Tool("get system.duid");
    EXPECT_EQ(get.status, 1);
    EXPECT_NE(get.output.find("not set"), std::string::npos);
}

TEST_F(IapDeviceToolTest, BadValuesChangeNothingUnlessForced) {
    ASSERT_EQ(Tool("set sim.mcc=450").status, 0);
    std::string before = home_.ReadProfile();
    for (const char* arguments : {"set sim.mcc=310 sim.mnc=99999", "set wifi.mac=00:11", "set sim.mcc=abc",
                                  "set nosuch.key=1", "set sim.mcc", "set"}) {
        ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.output.find("--help"), std::string::npos) << run.output;
        EXPECT_EQ(home_.ReadProfile(), before) << arguments;
    }
    ASSERT_EQ(Tool("--force set wifi.mac=00:11 sim.mcc=99999").status, 0);
    EXPECT_EQ(Tool("get wifi.mac").output, "00:11\n");
    Vx::Telephony::SimInfo sim;
    ASSERT_EQ(sim.Construct(), Vx::E_SUCCESS);
    EXPECT_EQ(sim.GetMobileCountryCode(), -1);
}

// The font settings, in both spellings the platform reads; empty means a
// device without the setting. Values the readers would reject need --force.
TEST_F(IapDeviceToolTest, SetTakesTheFontSettings) {
    ToolRun set = Tool("set font.size=42 \"font.type=Liberation Serif\" FontSize=large FontType=Noto");
    ASSERT_EQ(set.status, 0) << set.output;
    using Vx::System::SettingInfo;
    int size = 0;
    ASSERT_EQ(SettingInfo::GetValue(L"font.size", size), Vx::E_SUCCESS);
    EXPECT_EQ(size, 42);
    Vx::Base::String text;
    ASSERT_EQ(SettingInfo::GetValue(L"font.type", text), Vx::E_SUCCESS);
    EXPECT_EQ(text, Vx::Base::String(L"Liberation Serif"));
    ASSERT_EQ(SettingInfo::GetValue(L"FontSize", text), Vx::E_SUCCESS);
    EXPECT_EQ(text, Vx::Base::String(L"large"));
    ASSERT_EQ(SettingInfo::GetValue(L"FontType", text), Vx::E_SUCCESS);
    EXPECT_EQ(text, Vx::Base::String(L"Noto"));

    ASSERT_EQ(Tool("set setting.FontSize=small font.size=").status, 0);
    EXPECT_EQ(SettingInfo::GetValue(L"FontSize", text), Vx::E_SUCCESS);
    EXPECT_EQ(text, Vx::Base::String(L"small"));
    EXPECT_EQ(SettingInfo::GetValue(L"font.size", size), Vx::E_OBJ_NOT_FOUND);

    std::string before = home_.ReadProfile();
    for (const char* arguments : {"set font.size=big", "set font.size=-3", "set FontSize=huge"}) {
        ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(home_.ReadProfile(), before) << arguments;
    }
    ASSERT_EQ(Tool("--force set font.size=big").status, 0);
    EXPECT_EQ(SettingInfo::GetValue(L"font.size", size), Vx::E_NUM_FORMAT);
}

TEST_F(IapDeviceToolTest, HelpHomeAndUsageErrors) {
    ToolRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Usage: iap-device"), std::string::npos);

    std::string other = home_.Path() + "/other";
    ASSERT_EQ(Tool("--home " + other + " set system.model_name=VX").status, 0);
    EXPECT_EQ(Tool("path").output, home_.ProfilePath() + "\n");
    EXPECT_EQ(Tool("--home " + other + " get system.model_name").output, "VX\n");
    EXPECT_EQ(Tool("get system.model_name").status, 1);

    EXPECT_EQ(Tool("").status, 2);
    EXPECT_EQ(Tool("frobnicate").status, 2);
    EXPECT_EQ(Tool("--bogus show").status, 2);
    EXPECT_EQ(Tool("show extra").status, 2);
}

TEST_F(IapDeviceToolTest, UnreadableProfileIsReportedWithAdvice) {
    std::filesystem::create_directories(home_.ProfilePath());
    ToolRun show = Tool("show");
    EXPECT_EQ(show.status, 1);
    EXPECT_NE(show.output.find("cannot read"), std::string::npos) << show.output;
    EXPECT_NE(show.output.find("E_IO"), std::string::npos) << show.output;
}

}  // namespace
