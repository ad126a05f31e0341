#include <filesystem>

#include "platform/app/AppManifest.h"
#include "platform/app/AppSocketDirectory.h"
#include "tests/platform/app/AppTestSupport.h"

using namespace AppTest;
using Vx::App::AppManifest;
using Vx::App::AppManifestRegistry;

namespace {

class AppManifestTest : public AppFixture {};

TEST_F(AppManifestTest, ParsesKeysAndResolvesPathsAgainstTheManifestFolder) {
    WriteFile(home_ + "/apps/com.example.a.manifest",
              "# comment\n\n appId = com.example.a \npackageId=pkg\nversion=2.0\nexecutable=bin/a\r\nfuture=1\n");
    AppManifest m;
    ASSERT_EQ(AppManifestRegistry::Find("com.example.a", m), Vx::E_SUCCESS);
    EXPECT_EQ(m.appId, "com.example.a");
    EXPECT_EQ(m.version, "2.0");
    EXPECT_EQ(m.executable, home_ + "/apps/bin/a");
    EXPECT_EQ(m.name, "com.example.a");
    EXPECT_EQ(m.resourceDir, home_ + "/apps/bin/res/com.example.a");
}

TEST_F(AppManifestTest, RefusesIncompleteOrMalformedManifests) {
    const char* bad[] = {
        "packageId=p\nversion=1\nexecutable=/bin/true\n",                             // no appId
        "appId=com.example.b\npackageId=p\nversion=1\n",                              // no executable
        "appId=com.example.b\npackageId=p\nversion=1\nexecutable=/bin/true\njunk\n",  // not key=value
        "appId=../b\npackageId=p\nversion=1\nexecutable=/bin/true\n",                 // unsafe id
    };
    for (const char* text : bad) {
        WriteFile(home_ + "/m.manifest", text);
        AppManifest m;
        std::string error;
        EXPECT_EQ(AppManifestRegistry::Parse(home_ + "/m.manifest", m, error), Vx::E_INVALID_FORMAT) << text;
        EXPECT_NE(error.find("m.manifest"), std::string::npos);
    }
    AppManifest m;
    std::string error;
    EXPECT_EQ(AppManifestRegistry::Parse(home_ + "/none.manifest", m, error), Vx::E_OBJ_NOT_FOUND);
    WriteFile(home_ + "/big.manifest", std::string(70000, '#'));
    EXPECT_EQ(AppManifestRegistry::Parse(home_ + "/big.manifest", m, error), Vx::E_INVALID_FORMAT);
}

TEST_F(AppManifestTest, InstalledPackagesWinOverTheBuildTree) {
    WriteFile(
        home_ + "/apps/" + std::string(kProvider) + ".manifest",
        std::string("appId=") + kProvider + "\npackageId=com.vexmora.test\nversion=9.9\nexecutable=/opt/provider\n");
    AppManifest m;
    ASSERT_EQ(AppManifestRegistry::Find(kProvider, m), Vx::E_SUCCESS);
    EXPECT_EQ(m.version, "9.9");
    std::string version;
    ASSERT_EQ(AppManifestRegistry::FindPackageVersion("com.vexmora.test", version), Vx::E_SUCCESS);
    EXPECT_EQ(version, "9.9");
    ASSERT_EQ(AppManifestRegistry::FindPreinstalled(kProvider, m), Vx::E_SUCCESS);
    EXPECT_EQ(m.version, "1.2.3");

    // Another package's manifest in the home does not take the application over.
    WriteFile(home_ + "/apps/" + std::string(kProvider) + ".manifest",
              std::string("appId=") + kProvider + "\npackageId=p\nversion=9.9\nexecutable=/opt/provider\n");
    ASSERT_EQ(AppManifestRegistry::Find(kProvider, m), Vx::E_SUCCESS);
    EXPECT_EQ(m.version, "1.2.3");
    EXPECT_EQ(m.packageId, "com.vexmora.test");
    EXPECT_EQ(AppManifestRegistry::FindByExecutable("/opt/provider", m), Vx::E_OBJ_NOT_FOUND)
        << "its program does not pass for the application either";
    std::filesystem::remove(home_ + "/apps/" + std::string(kProvider) + ".manifest");
    ASSERT_EQ(AppManifestRegistry::Find(kProvider, m), Vx::E_SUCCESS);
    EXPECT_EQ(m.version, "1.2.3");
    EXPECT_EQ(m.name, "Test provider");
}

TEST_F(AppManifestTest, AManifestNamingAnotherAppIsIgnored) {
    WriteFile(home_ + "/apps/com.example.c.manifest", "appId=com.example.d\npackageId=p\nversion=1\nexecutable=/x\n");
    AppManifest m;
    EXPECT_EQ(AppManifestRegistry::Find("com.example.c", m), Vx::E_OBJ_NOT_FOUND);
}

TEST_F(AppManifestTest, AppIdsThatCouldEscapeTheFolderAreInvalid) {
    for (const char* id : {"", ".", "..", "../x", "a/b", ".hidden", "a b", "a\nb"})
        EXPECT_FALSE(Vx::App::IsValidAppId(id)) << id;
    for (const char* id : {"a", "a7qd02lm9x.OblinAccount", "com.vexmora.lockscreen", "x_y-z"})
        EXPECT_TRUE(Vx::App::IsValidAppId(id)) << id;
    EXPECT_FALSE(Vx::App::IsValidAppId(std::string(129, 'a')));
    AppManifest m;
    EXPECT_EQ(AppManifestRegistry::Find("../../etc/passwd", m), Vx::E_INVALID_ARG);
}

TEST_F(AppManifestTest, FindsTheManifestOfAnExecutable) {
    AppManifest m;
    ASSERT_EQ(AppManifestRegistry::FindByExecutable(IAP_BIN_DIR "/vx_test_provider", m), Vx::E_SUCCESS);
    EXPECT_EQ(m.appId, kProvider);
    EXPECT_EQ(AppManifestRegistry::FindByExecutable("/bin/sh", m), Vx::E_OBJ_NOT_FOUND);
}

TEST_F(AppManifestTest, SocketFolderIsPrivateAndSocketPathsFit) {
    std::string dir, error;
    ASSERT_EQ(Vx::App::AppSocketDirectory::Get(dir, error), Vx::E_SUCCESS) << error;
    auto perms = std::filesystem::status(dir).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::group_all, std::filesystem::perms::none);
    EXPECT_EQ(perms & std::filesystem::perms::others_all, std::filesystem::perms::none);
    std::string longId(128, 'a');
    EXPECT_LT(Vx::App::AppSocketDirectory::GetSocketPath(dir, longId).size(), 108u);
    EXPECT_EQ(Vx::App::AppSocketDirectory::GetSocketPath(dir, "short"), dir + "/short");
    // Another platform home gets another folder.
    std::string otherDir;
    ::setenv("IAP_PLATFORM_HOME", (home_ + "/other").c_str(), 1);
    ASSERT_EQ(Vx::App::AppSocketDirectory::Get(otherDir, error), Vx::E_SUCCESS);
    EXPECT_NE(otherDir, dir);
}

}  // namespace
