#include "platform/base/PlatformHome.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

// A platform home inside a fresh folder, written with the usual umask.
class PlatformHomeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vx-home-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        parent_ = pattern;
        previousUmask_ = ::umask(022);
    }
    void TearDown() override {
        ::umask(previousUmask_);
        ::unsetenv("IAP_PLATFORM_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(parent_, ignored);
    }
    static unsigned Mode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    std::string parent_;
    mode_t previousUmask_ = 022;
};

TEST_F(PlatformHomeTest, TheHomeAndTheFoldersMadeInItAreTheOwnersAlone) {
    std::string home = parent_ + "/a/home";
    ::setenv("IAP_PLATFORM_HOME", (home + "/").c_str(), 1);
    EXPECT_EQ(Vx::Base::GetPlatformHome(), home) << "absolute, without a trailing slash";
    EXPECT_EQ(Mode(home), 0700u);
    EXPECT_EQ(Mode(parent_ + "/a"), 0755u) << "folders above the home are not the device's";

    EXPECT_EQ(Vx::Base::GetPlatformPath("logs/deep/x.log"), home + "/logs/deep/x.log");
    EXPECT_EQ(Mode(home + "/logs"), 0700u);
    EXPECT_EQ(Mode(home + "/logs/deep"), 0700u);
}

TEST_F(PlatformHomeTest, AnExistingHomeOpenToOthersIsRestricted) {
    std::string home = parent_ + "/home";
    ASSERT_EQ(::mkdir(home.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(home.c_str(), 0775), 0);
    ::setenv("IAP_PLATFORM_HOME", home.c_str(), 1);
    Vx::Base::GetPlatformHome();
    EXPECT_EQ(Mode(home), 0700u);

    std::string file = home + "/file";
    ASSERT_EQ(::close(::open(file.c_str(), O_CREAT | O_WRONLY, 0664)), 0);
    Vx::Base::RestrictToOwner(file);
    EXPECT_EQ(Mode(file), 0600u);
}

}  // namespace
