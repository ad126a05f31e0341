#include "platform/package/PackageManager.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/package/PackageFile.h"
#include "platform/package/PackageSigningKey.h"
#include "platform/package/PackageTrustStore.h"
#include "tests/platform/content/ContentTestSupport.h"

using namespace Vx;
using namespace Vx::App::Package;
using ContentTest::ListFolder;
using ContentTest::ReadFile;
using ContentTest::Wait;

namespace {

class Recorder : public IPackageInstallationEventListener, public IPackageInstallationResponseListener {
public:
    void OnPackageInstallationCompleted(const PackageId& id, PackageInstallationResult r) override {
        events.push_back("completed:" + id.ToUtf8() + ":" + std::to_string(r));
    }
    void OnPackageInstallationInProgress(const PackageId& id, int progress) override {
        events.push_back("progress:" + id.ToUtf8());
        progresses.push_back(progress);
    }
    void OnPackageUninstallationCompleted(const PackageId& id, bool ok) override {
        events.push_back("uninstalled:" + id.ToUtf8() + ":" + (ok ? "true" : "false"));
    }
    void OnPackageInstallationResponseReceived(const PackageId& id, PackageInstallationResult r) override {
        responses.push_back(id.ToUtf8() + ":" + std::to_string(r));
    }

    bool Done() const { return !events.empty() && events.back().rfind("progress", 0) != 0; }
    std::vector<std::string> events;
    std::vector<int> progresses;
    std::vector<std::string> responses;
};

class PackageManagerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Vx::App::EventLoop::EnsureApplication();
        manager_ = PackageManager::GetInstance();
        ASSERT_NE(manager_, nullptr);
        ASSERT_EQ(manager_->AddPackageInstallationEventListener(recorder_), E_SUCCESS);
    }
    void TearDown() override { manager_->RemovePackageInstallationEventListener(recorder_); }

    // A package whose files all say which version they belong to, signed
    // with the key given or else with the key this home trusts.
    std::string MakePackage(const std::string& id, const std::string& version, std::vector<std::string> appIds,
                            const std::string& name = "pkg.vxp", const PackageSigningKey* key = nullptr) {
        PackageSigningKey developer;
        if (!key) {
            EXPECT_EQ(PackageSigningKey::LoadDeveloperKey(home_.Path(), developer), E_SUCCESS);
            key = &developer;
        }
        std::string bytes;
        EXPECT_EQ(PackageFile::Serialize(Contents(id, version, appIds), *key, bytes), E_SUCCESS);
        std::string path = home_ / name;
        ContentTest::WriteFile(path, bytes);
        return path;
    }
    static PackageContents Contents(const std::string& id, const std::string& version,
                                    const std::vector<std::string>& appIds) {
        PackageContents contents;
        contents.packageId = id;
        contents.version = version;
        for (const auto& appId : appIds) {
            contents.applications.push_back({appId, "bin/" + appId});
            contents.files.push_back({"bin/" + appId, 0750, "#!/bin/sh\necho " + appId + " " + version + "\n"});
        }
        contents.files.push_back({"share/readme.txt", 0640, "version " + version});
        return contents;
    }

    std::string Install(const std::string& id, const std::string& path,
                        IPackageInstallationResponseListener* responder = nullptr) {
        recorder_.events.clear();
        recorder_.progresses.clear();
        result r = manager_->InstallPackage(Base::String::FromUtf8(id), Base::String::FromUtf8(path), responder);
        EXPECT_EQ(r, E_SUCCESS) << GetResultName(r);
        EXPECT_TRUE(recorder_.events.empty()) << "events come later, from the event loop";
        EXPECT_TRUE(Wait([&] { return recorder_.Done(); }));
        return recorder_.events.empty() ? "" : recorder_.events.back();
    }

    std::map<std::string, std::string> Manifest(const std::string& appId) {
        std::map<std::string, std::string> values;
        std::istringstream in(ReadFile(home_ / ("apps/" + appId + ".manifest")));
        for (std::string line; std::getline(in, line);) {
            std::size_t eq = line.find('=');
            if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return values;
    }

    // Neither staging folders nor temporary manifests may survive anything.
    void ExpectNoLeftovers(const std::string& id) {
        for (const auto& name : ListFolder(home_ / ("packages/" + id)))
            EXPECT_NE(name[0], '.') << name;
        for (const auto& name : ListFolder(home_ / "apps"))
            EXPECT_NE(name[0], '.') << name;
    }

    ContentTest::TempPlatformHome home_;
    PackageManager* manager_ = nullptr;
    Recorder recorder_;
};

TEST_F(PackageManagerFixture, InstallsFilesWithTheirOwnerModesAndRegistersTheApplications) {
    Recorder responder;
    std::string path = MakePackage("shop", "1.0", {"shop", "shop.worker"});
    EXPECT_EQ(Install("shop", path, &responder), "completed:shop:0");
    EXPECT_EQ(responder.responses, std::vector<std::string>{"shop:0"});

    ASSERT_FALSE(recorder_.progresses.empty());
    EXPECT_EQ(recorder_.progresses.back(), 100);
    for (std::size_t i = 1; i < recorder_.progresses.size(); ++i) {
        EXPECT_LT(recorder_.progresses[i - 1], recorder_.progresses[i]);
    }

    std::string folder = home_ / "packages/shop/1.0";
    EXPECT_EQ(ReadFile(folder + "/bin/shop"), "#!/bin/sh\necho shop 1.0\n");
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/bin/shop.worker").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((folder + "/share/readme.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    auto manifest = Manifest("shop.worker");
    EXPECT_EQ(manifest["appId"], "shop.worker");
    EXPECT_EQ(manifest["packageId"], "shop");
    EXPECT_EQ(manifest["version"], "1.0");
    EXPECT_EQ(manifest["executable"], folder + "/bin/shop.worker");

    Base::String version;
    EXPECT_EQ(manager_->GetPackageVersion(L"shop", version), E_SUCCESS);
    EXPECT_EQ(version, L"1.0");
    ExpectNoLeftovers("shop");
}

TEST_F(PackageManagerFixture, EverythingAnInstallationWritesIsTheOwnersAlone) {
    mode_t previousUmask = ::umask(022);
    PackageContents contents = Contents("shop", "1.0", {"shop"});
    contents.files.push_back({"bin/tool", 0755, "#!/bin/sh\n"});
    contents.files.push_back({"share/deep/data.txt", 0644, "data"});
    PackageSigningKey developer;
    ASSERT_EQ(PackageSigningKey::LoadDeveloperKey(home_.Path(), developer), E_SUCCESS);
    std::string bytes;
    ASSERT_EQ(PackageFile::Serialize(contents, developer, bytes), E_SUCCESS);
    // The package file is the test's input, not something the device wrote.
    std::string input = home_ / "input.vxp";
    ContentTest::WriteFile(input, bytes);
    EXPECT_EQ(Install("shop", input), "completed:shop:0");
    // Replacing the installed version goes through the other paths of a commit.
    EXPECT_EQ(Install("shop", input), "completed:shop:0");
    EXPECT_EQ(Install("shop", MakePackage("shop", "2.0", {"shop", "shop.worker"})), "completed:shop:0");
    ::umask(previousUmask);

    std::vector<std::string> seen;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(home_.Path(), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".vxp") continue;
        struct stat info {};
        ASSERT_EQ(::lstat(it->path().c_str(), &info), 0) << it->path();
        unsigned int mode = info.st_mode & 07777;
        bool executable = it->path().parent_path().filename() == "bin";
        unsigned int expected = S_ISDIR(info.st_mode) || executable ? 0700u : 0600u;
        EXPECT_EQ(mode, expected) << it->path() << " has mode " << std::oct << mode;
        seen.push_back(it->path().lexically_relative(home_.Path()).string());
    }
    ASSERT_FALSE(ec) << ec.message();
    for (const char* written : {"packages", "packages/shop/2.0/bin/shop.worker", "packages/shop/2.0/share/readme.txt",
                                "apps/shop.manifest", "trusted-keys", "keys/developer.key"}) {
        EXPECT_NE(std::find(seen.begin(), seen.end(), written), seen.end()) << written;
    }
}

TEST_F(PackageManagerFixture, UpgradeReplacesTheOldVersionAndItsDroppedApplications) {
    ASSERT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop", "shop.old"})), "completed:shop:0");
    ASSERT_EQ(Install("shop", MakePackage("shop", "2.0", {"shop"})), "completed:shop:0");

    EXPECT_EQ(ListFolder(home_ / "packages/shop"), std::vector<std::string>{"2.0"});
    EXPECT_EQ(ListFolder(home_ / "apps"), std::vector<std::string>{"shop.manifest"});
    EXPECT_EQ(Manifest("shop")["version"], "2.0");
    EXPECT_EQ(ReadFile(Manifest("shop")["executable"]), "#!/bin/sh\necho shop 2.0\n");
}

TEST_F(PackageManagerFixture, DamagedOrForeignPackagesAreInvalidAndChangeNothing) {
    ASSERT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop"})), "completed:shop:0");

    std::string damaged = MakePackage("shop", "2.0", {"shop"}, "damaged.vxp");
    std::string bytes = ReadFile(damaged);
    bytes[bytes.size() / 2] ^= 0x01;
    ContentTest::WriteFile(damaged, bytes);
    EXPECT_EQ(Install("shop", damaged), "completed:shop:1");

    EXPECT_EQ(Install("shop", MakePackage("other", "2.0", {"other"}, "other.vxp")), "completed:shop:1");

    ContentTest::WriteFile(home_ / "empty.vxp", "");
    EXPECT_EQ(Install("shop", home_ / "empty.vxp"), "completed:shop:1");

    EXPECT_EQ(ListFolder(home_ / "packages/shop"), std::vector<std::string>{"1.0"});
    EXPECT_EQ(ListFolder(home_ / "apps"), std::vector<std::string>{"shop.manifest"});
    EXPECT_EQ(Manifest("shop")["version"], "1.0");
}

TEST_F(PackageManagerFixture, OnlyPackagesSignedWithATrustedKeyAreInstalled) {
    ASSERT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop"})), "completed:shop:0");

    std::string unsignedBytes;
    ASSERT_EQ(PackageFile::SerializeUnsigned(Contents("shop", "2.0", {"shop"}), unsignedBytes), E_SUCCESS);
    ContentTest::WriteFile(home_ / "unsigned.vxp", unsignedBytes);
    EXPECT_EQ(Install("shop", home_ / "unsigned.vxp"), "completed:shop:1");

    PackageSigningKey stranger;
    ASSERT_EQ(stranger.Generate(), E_SUCCESS);
    std::string foreign = MakePackage("shop", "2.0", {"shop"}, "stranger.vxp", &stranger);
    EXPECT_EQ(Install("shop", foreign), "completed:shop:1");
    EXPECT_EQ(ListFolder(home_ / "packages/shop"), std::vector<std::string>{"1.0"});
    EXPECT_EQ(Manifest("shop")["version"], "1.0");
    ExpectNoLeftovers("shop");

    // Once the device trusts the key, the same file installs.
    ASSERT_EQ(PackageTrustStore::Trust(home_.Path(), stranger.GetPublicKey()), E_SUCCESS);
    EXPECT_EQ(Install("shop", foreign), "completed:shop:0");
    EXPECT_EQ(Manifest("shop")["version"], "2.0");
}

TEST_F(PackageManagerFixture, AnApplicationThatComesWithTheDeviceStaysWithItsPackage) {
    // The device's own copy of shop.tool belongs to another package.
    std::string preinstalled = home_ / "preinstalled";
    std::filesystem::create_directories(preinstalled);
    ContentTest::WriteFile(preinstalled + "/shop.tool.manifest",
                           "appId=shop.tool\npackageId=vendor\nversion=1\nexecutable=/bin/true\n");
    ::setenv("IAP_APPS_DIR", preinstalled.c_str(), 1);
    EXPECT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop", "shop.tool"})), "completed:shop:3");
    EXPECT_FALSE(manager_->IsPackageInstalled(L"shop"));
    EXPECT_TRUE(ListFolder(home_ / "apps").empty());
    // Its own preinstalled applications a package may update.
    ContentTest::WriteFile(preinstalled + "/shop.tool.manifest",
                           "appId=shop.tool\npackageId=shop\nversion=1\nexecutable=/bin/true\n");
    EXPECT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop", "shop.tool"})), "completed:shop:0");
    ::unsetenv("IAP_APPS_DIR");
    EXPECT_EQ(Manifest("shop.tool")["packageId"], "shop");
}

TEST_F(PackageManagerFixture, FullStorageLeavesTheOldVersionWorking) {
    ASSERT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop"})), "completed:shop:0");
    std::string upgrade = MakePackage("shop", "2.0", {"shop"}, "upgrade.vxp");
    ::setenv("IAP_PLATFORM_FAULTS", "storage-full", 1);
    EXPECT_EQ(Install("shop", upgrade), "completed:shop:2");
    ::unsetenv("IAP_PLATFORM_FAULTS");

    EXPECT_EQ(ListFolder(home_ / "packages/shop"), std::vector<std::string>{"1.0"});
    EXPECT_EQ(Manifest("shop")["version"], "1.0");
    EXPECT_EQ(ReadFile(Manifest("shop")["executable"]), "#!/bin/sh\necho shop 1.0\n");
    ExpectNoLeftovers("shop");
}

TEST_F(PackageManagerFixture, FailedRegistrationRestoresTheSameVersionItReplaced) {
    ASSERT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop"})), "completed:shop:0");
    // An application of another package blocks the reinstall after its files are in place.
    ContentTest::WriteFile(home_ / "apps/shop.taken.manifest", "appId=shop.taken\npackageId=someone-else\n");
    std::string reinstall = MakePackage("shop", "1.0", {"shop", "shop.taken"}, "reinstall.vxp");
    ContentTest::WriteFile(home_ / "packages/shop/1.0/share/readme.txt", "the installed one");

    EXPECT_EQ(Install("shop", reinstall), "completed:shop:3");
    EXPECT_EQ(ReadFile(home_ / "packages/shop/1.0/share/readme.txt"), "the installed one");
    EXPECT_EQ(ListFolder(home_ / "packages/shop"), std::vector<std::string>{"1.0"});
    EXPECT_EQ(Manifest("shop.taken")["packageId"], "someone-else");
    ExpectNoLeftovers("shop");
}

TEST_F(PackageManagerFixture, RequestsThatCannotStartAreRefusedAtOnce) {
    std::string path = MakePackage("shop", "1.0", {"shop"});
    EXPECT_EQ(manager_->InstallPackage(L"shop", Base::String::FromUtf8(home_ / "nothing.vxp")), E_OBJ_NOT_FOUND);
    EXPECT_EQ(manager_->InstallPackage(L"shop", L""), E_INVALID_ARG);
    EXPECT_EQ(manager_->InstallPackage(L"", Base::String::FromUtf8(path)), E_INVALID_ARG);
    EXPECT_EQ(manager_->InstallPackage(L"../shop", Base::String::FromUtf8(path)), E_INVALID_ARG);
    EXPECT_EQ(manager_->InstallPackage(L"shop", Base::String::FromUtf8(home_.Path())), E_INVALID_ARG);

    ASSERT_EQ(manager_->InstallPackage(L"shop", Base::String::FromUtf8(path)), E_SUCCESS);
    EXPECT_EQ(manager_->InstallPackage(L"shop", Base::String::FromUtf8(path)), E_IN_PROGRESS);
    ASSERT_TRUE(Wait([&] { return recorder_.Done(); }));
    EXPECT_EQ(recorder_.events.back(), "completed:shop:0");
    EXPECT_EQ(manager_->AddPackageInstallationEventListener(recorder_), E_OBJ_ALREADY_EXIST);
}

TEST_F(PackageManagerFixture, UninstallRemovesFilesAndApplications) {
    ASSERT_EQ(Install("shop", MakePackage("shop", "1.0", {"shop"})), "completed:shop:0");
    recorder_.events.clear();
    ASSERT_EQ(manager_->UninstallPackage(L"shop"), E_SUCCESS);
    ASSERT_TRUE(Wait([&] { return recorder_.Done(); }));
    EXPECT_EQ(recorder_.events.back(), "uninstalled:shop:true");
    EXPECT_FALSE(manager_->IsPackageInstalled(L"shop"));
    EXPECT_TRUE(ListFolder(home_ / "apps").empty());
    EXPECT_EQ(manager_->UninstallPackage(L"shop"), E_OBJ_NOT_FOUND);
}

TEST(PackageManagerFault, MissingManagerIsReportedAsNull) {
    ContentTest::TempPlatformHome home;
    ::setenv("IAP_PLATFORM_FAULTS", "no-package-manager", 1);
    EXPECT_EQ(PackageManager::GetInstance(), nullptr);
    ::unsetenv("IAP_PLATFORM_FAULTS");
    EXPECT_NE(PackageManager::GetInstance(), nullptr);
}

}  // namespace
