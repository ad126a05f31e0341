#include "platform/notification/NotificationManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "platform/notification/NotificationRequest.h"

using namespace Vx;
using namespace Vx::Shell;

namespace {

class NotificationManagerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "iap-notify-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        ::setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        ASSERT_EQ(manager_.Construct(), E_SUCCESS);
    }
    void TearDown() override { std::filesystem::remove_all(home_); }

    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::ifstream in(home_ + "/notifications.log");
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    static NotificationRequest ProgressRequest(int progress, int badge) {
        NotificationRequest request(true);
        request.SetBadgeNumber(badge);
        request.SetOngoingActivityType(ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE);
        request.SetOngoingActivityProgress(progress);
        return request;
    }

    std::string home_;
    NotificationManager manager_;
};

TEST_F(NotificationManagerFixture, NotifyAppendsOneTimedLinePerEvent) {
    ASSERT_EQ(manager_.Notify(L"Download finished"), E_SUCCESS);
    ASSERT_EQ(manager_.Notify(L"two\nlines\r\there"), E_SUCCESS);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(
        std::regex_match(lines[0], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \[\d+\] notify: Download finished)")))
        << lines[0];
    EXPECT_NE(lines[1].find("notify: two lines  here"), std::string::npos) << lines[1];
}

TEST_F(NotificationManagerFixture, OngoingActivityIsLoggedAndKeepsTheBadge) {
    EXPECT_EQ(manager_.GetBadgeNumber(), 0);
    ASSERT_EQ(manager_.NotifyOngoingActivity(ProgressRequest(25, 3)), E_SUCCESS);
    EXPECT_EQ(manager_.GetBadgeNumber(), 3);
    ASSERT_EQ(manager_.RemoveOngoingActivityNotification(), E_SUCCESS);
    // A second removal has nothing to remove and logs nothing.
    ASSERT_EQ(manager_.RemoveOngoingActivityNotification(), E_SUCCESS);

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("ongoing: 25% badge=3 style=normal type=progress-percentage"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("ongoing-removed"), std::string::npos);

    NotificationManager other;
    other.Construct();
    EXPECT_EQ(other.GetBadgeNumber(), 3) << "the badge belongs to the device, not to one manager";
}

TEST_F(NotificationManagerFixture, MisuseIsRefused) {
    EXPECT_EQ(manager_.Construct(), E_INVALID_STATE);
    EXPECT_EQ(manager_.Notify(L""), E_INVALID_ARG);

    NotificationManager unconstructed;
    EXPECT_EQ(unconstructed.Notify(L"x"), E_INVALID_STATE);
    EXPECT_EQ(unconstructed.NotifyOngoingActivity(ProgressRequest(1, 1)), E_INVALID_STATE);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(NotificationManagerFixture, UnwritableHomeGivesAResultNotACrash) {
    ::setenv("IAP_PLATFORM_HOME", "/proc/version/not-a-folder", 1);
    EXPECT_NE(manager_.Notify(L"lost"), E_SUCCESS);
    EXPECT_NE(manager_.NotifyOngoingActivity(ProgressRequest(5, 1)), E_SUCCESS);
    ::setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
}

}  // namespace
