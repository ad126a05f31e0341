// The iap-package program, run as a user would.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "platform/package/PackageFile.h"
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

    ToolRun hostile = Tool("create --package-id shop --version 1 --app a7qd02lm9x.OblinAccount=" + executable_ +
                           " -o " + (home_ / "hostile.vxp"));
    EXPECT_EQ(hostile.exitCode, 1);
    EXPECT_NE(hostile.output.find("belongs to package 'a7qd02lm9x'"), std::string::npos) << hostile.output;

    EXPECT_EQ(Tool("create --package-id shop").exitCode, 2);
    EXPECT_EQ(Tool("keygen").exitCode, 2);
    EXPECT_EQ(Tool("trust").exitCode, 2);
    EXPECT_EQ(Tool("sign").exitCode, 2);
    EXPECT_EQ(Tool("frobnicate").exitCode, 2);
    EXPECT_EQ(Tool("verify").exitCode, 2);
    EXPECT_EQ(Tool("verify " + (home_ / "absent.vxp")).exitCode, 1);
    ToolRun help = Tool("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("Usage: iap-package"), std::string::npos);
}

TEST_F(IapPackageTool, OnlyPackagesSignedWithATrustedKeyInstall) {
    ToolRun made = Tool("keygen -o " + (home_ / "vendor.key"));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    struct stat info {};
    ASSERT_EQ(::stat((home_ / "vendor.key").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Tool("keygen -o " + (home_ / "vendor.key")).exitCode, 1) << "an existing key is kept";

    ASSERT_EQ(Tool(CreateArguments() + " --key " + (home_ / "vendor.key")).exitCode, 0);
    ToolRun inspected = Tool("inspect " + package_);
    EXPECT_NE(inspected.output.find("NOT trusted here"), std::string::npos) << inspected.output;
    ToolRun refused = Tool("install " + package_);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find("which this device does not trust"), std::string::npos) << refused.output;
    EXPECT_TRUE(ContentTest::ListFolder(home_ / "packages").empty());

    ToolRun trusted = Tool("trust " + (home_ / "vendor.key.pub"));
    ASSERT_EQ(trusted.exitCode, 0) << trusted.output;
    ToolRun installed = Tool("install " + package_);
    EXPECT_EQ(installed.exitCode, 0) << installed.output;

    // Re-signed by someone else, the same contents are refused again.
    ASSERT_EQ(Tool("keygen -o " + (home_ / "stranger.key")).exitCode, 0);
    ToolRun resigned = Tool("sign " + package_ + " --key " + (home_ / "stranger.key") + " -o " + (home_ / "re.vxp"));
    ASSERT_EQ(resigned.exitCode, 0) << resigned.output;
    EXPECT_EQ(Tool("install " + (home_ / "re.vxp")).exitCode, 1);

    // An unsigned package says what to do; signing it with this home's key mends it.
    Vx::App::Package::PackageContents contents;
    contents.packageId = "shop";
    contents.version = "3.2";
    contents.applications = {{"shop", "bin/shop"}};
    contents.files = {{"bin/shop", 0755, "#!/bin/sh\n"}};
    std::string unsignedBytes;
    ASSERT_EQ(Vx::App::Package::PackageFile::SerializeUnsigned(contents, unsignedBytes), Vx::E_SUCCESS);
    ContentTest::WriteFile(home_ / "old.vxp", unsignedBytes);
    ToolRun old = Tool("install " + (home_ / "old.vxp"));
    EXPECT_EQ(old.exitCode, 1);
    EXPECT_NE(old.output.find("not signed (format 1); sign it with 'iap-package sign FILE'"), std::string::npos)
        << old.output;
    EXPECT_EQ(Tool("verify " + (home_ / "old.vxp")).exitCode, 1);
    ASSERT_EQ(Tool("sign " + (home_ / "old.vxp")).exitCode, 0);
    ToolRun mended = Tool("install " + (home_ / "old.vxp"));
    EXPECT_EQ(mended.exitCode, 0) << mended.output;
    EXPECT_NE(ContentTest::ReadFile(home_ / "apps/shop.manifest").find("version=3.2"), std::string::npos);
}

}  // namespace
