// The iap-package program, run as a user would.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/platform/content/ContentTestSupport.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

ToolRun Tool(const std::string& arguments) {
    std::string command = std::string(IAP_BIN_DIR) + "/iap-package " + arguments + " 2>&1";
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class IapPackageTool : public ::testing::Test {
protected:
    void SetUp() override {
        executable_ = home_ / "shop";
        ContentTest::WriteFile(executable_, "#!/bin/sh\necho shop\n");
        ::chmod(executable_.c_str(), 0755);
        ContentTest::WriteFile(home_ / "notes.txt", "notes");
        package_ = home_ / "shop.vxp";
    }

    std::string CreateArguments() const {
        return "create --package-id shop --version 3.1 --app shop=" + executable_ + " --file " + (home_ / "notes.txt") +
               "=doc/notes.txt -o " + package_;
    }

    ContentTest::TempPlatformHome home_;
    std::string executable_;
    std::string package_;
};

TEST_F(IapPackageTool, CreatesVerifiesInspectsAndInstalls) {
    ToolRun created = Tool(CreateArguments());
    ASSERT_EQ(created.exitCode, 0) << created.output;

    ToolRun verified = Tool("verify " + package_);
    EXPECT_EQ(verified.exitCode, 0) << verified.output;
    EXPECT_NE(verified.output.find("OK (shop 3.1, 2 files)"), std::string::npos) << verified.output;

    ToolRun inspected = Tool("inspect " + package_);
    EXPECT_EQ(inspected.exitCode, 0);
    EXPECT_NE(inspected.output.find("shop -> bin/shop"), std::string::npos) << inspected.output;
    EXPECT_NE(inspected.output.find("0755"), std::string::npos) << inspected.output;
    EXPECT_NE(inspected.output.find("doc/notes.txt"), std::string::npos) << inspected.output;

    ToolRun installed = Tool("install " + package_);
    ASSERT_EQ(installed.exitCode, 0) << installed.output;
    EXPECT_NE(installed.output.find("installing: 100%"), std::string::npos) << installed.output;
    EXPECT_EQ(ContentTest::ReadFile(home_ / "packages/shop/3.1/doc/notes.txt"), "notes");
    EXPECT_NE(ContentTest::ReadFile(home_ / "apps/shop.manifest")
                  .find("executable=" + (home_ / "packages/shop/3.1/bin/shop")),
              std::string::npos);
}

TEST_F(IapPackageTool, BadPackagesAndBadUsageFailWithAReason) {
    ASSERT_EQ(Tool(CreateArguments()).exitCode, 0);
    std::string bytes = ContentTest::ReadFile(package_);
    bytes[40] ^= 0x01;
    ContentTest::WriteFile(package_, bytes);
    ToolRun verified = Tool("verify " + package_);
    EXPECT_EQ(verified.exitCode, 1);
    EXPECT_NE(verified.output.find("INVALID: digest mismatch"), std::string::npos) << verified.output;
    ToolRun installed = Tool("install " + package_);
    EXPECT_EQ(installed.exitCode, 1);
    EXPECT_TRUE(ContentTest::ListFolder(home_ / "packages").empty());

    ::chmod(executable_.c_str(), 0644);
    ToolRun notExecutable = Tool(CreateArguments());
    EXPECT_EQ(notExecutable.exitCode, 1);
    EXPECT_NE(notExecutable.output.find("is not executable"), std::string::npos) << notExecutable.output;

    EXPECT_EQ(Tool("create --package-id shop").exitCode, 2);
    EXPECT_EQ(Tool("frobnicate").exitCode, 2);
    EXPECT_EQ(Tool("verify").exitCode, 2);
    EXPECT_EQ(Tool("verify " + (home_ / "absent.vxp")).exitCode, 1);
    ToolRun help = Tool("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("Usage: iap-package"), std::string::npos);
}

}  // namespace
