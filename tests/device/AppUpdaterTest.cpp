#include "lib/device/AppUpdater.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lib/device/FailedUpdateRecord.h"
#include "lib/device/IAppUpdateListener.h"
#include "platform/base/PlatformHome.h"
#include "platform/content/DownloadManager.h"
#include "platform/notification/NotificationManager.h"
#include "platform/package/PackageFile.h"
#include "platform/package/PackageManager.h"
#include "platform/package/PackageSigningKey.h"
#include "tests/platform/content/ContentTestSupport.h"

using namespace Vx;
using ContentTest::Wait;

namespace {

class UpdateRecorder : public IAppUpdateListener {
public:
    void OnUpdateCompleted(AppUpdater::UpdateResult r) override { results.push_back(r); }
    void OnDownloadProgressChanged(int percent) override {
        downloadProgress.push_back(percent);
        if (onDownloadProgress) onDownloadProgress(percent);
    }
    void OnInstallProgressChanged(int progress) override { installProgress.push_back(progress); }

    std::vector<int> results;
    std::vector<int> downloadProgress;
    std::vector<int> installProgress;
    std::function<void(int)> onDownloadProgress;
};

// Signed with the key of the platform home in use, which trusts it.
std::string PackageBytes(const std::string& packageId, const std::string& version) {
    App::Package::PackageContents contents;
    contents.packageId = packageId;
    contents.version = version;
    contents.applications = {{packageId, "bin/" + packageId}};
    contents.files = {{"bin/" + packageId, 0755, "#!/bin/sh\necho " + version + "\n"},
                      {"share/blob", 0644, std::string(300 * 1024, 'x')}};
    App::Package::PackageSigningKey key;
    EXPECT_EQ(App::Package::PackageSigningKey::LoadDeveloperKey(Base::GetPlatformHome(), key), E_SUCCESS);
    std::string bytes;
    EXPECT_EQ(App::Package::PackageFile::Serialize(contents, key, bytes), E_SUCCESS);
    return bytes;
}

class AppUpdaterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Vx::App::EventLoop::EnsureApplication();
        served_ = PackageBytes("buyclient", "2.0");
        // Streams the file in pieces so that the download reports progress several times.
        server_.Get().Get(R"(/packages/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
            std::string body = req.matches[1] == "garbage.vxp" ? "garbage" : "";
            if (req.matches[1].str().rfind("buyclient", 0) == 0) body = Served();
            if (body.empty()) {
                res.status = 404;
                return;
            }
            res.set_content_provider(body.size(), "application/octet-stream",
                                     [body, this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                         std::this_thread::sleep_for(std::chrono::milliseconds(stepMs_));
                                         return sink.write(body.data() + offset,
                                                           std::min<std::size_t>(length, 32 * 1024));
                                     });
        });
        ASSERT_TRUE(server_.Start());
    }

    std::string Served() {
        std::lock_guard<std::mutex> lock(servedMutex_);
        return served_;
    }
    void Serve(std::string bytes) {
        std::lock_guard<std::mutex> lock(servedMutex_);
        served_ = std::move(bytes);
    }

    Base::String Url(const std::string& name) const { return Base::String::FromUtf8(server_.Url("/packages/" + name)); }

    // Runs an update to its outcome.
    int RunUpdate(AppUpdater& updater, const Base::String& url, const Base::String& offeredVersion = {}) {
        std::size_t before = recorder_.results.size();
        result r = updater.Update(url, offeredVersion);
        EXPECT_EQ(r, E_SUCCESS) << GetResultName(r);
        EXPECT_TRUE(Wait([&] { return recorder_.results.size() > before; }, 20000));
        return recorder_.results.size() > before ? recorder_.results.back() : -1;
    }

    std::vector<std::string> LogEvents() const {
        std::vector<std::string> events;
        std::istringstream in(ContentTest::ReadFile(home_ / "notifications.log"));
        for (std::string line; std::getline(in, line);) {
            std::size_t start = line.find("] ");
            events.push_back(start == std::string::npos ? line : line.substr(start + 2));
        }
        return events;
    }

    static int Count(const std::vector<std::string>& events, const std::string& text) {
        int n = 0;
        for (const auto& e : events)
            n += e == text;
        return n;
    }

    ContentTest::TempPlatformHome home_;
    ContentTest::LocalHttpServer server_;
    UpdateRecorder recorder_;
    std::mutex servedMutex_;
    std::string served_;
    std::atomic<int> stepMs_{2};
};

TEST_F(AppUpdaterFixture, DownloadsShowsProgressAndInstalls) {
    Shell::NotificationManager notifications;
    notifications.Construct();
    int badge = notifications.GetBadgeNumber();

    AppUpdater updater(&recorder_);
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp")), AppUpdater::UPDATE_SUCCESS);
    EXPECT_EQ(updater.GetResultMessage(AppUpdater::UPDATE_SUCCESS), L"");

    ASSERT_GE(recorder_.downloadProgress.size(), 2u);
    EXPECT_EQ(recorder_.downloadProgress.back(), 100);
    ASSERT_FALSE(recorder_.installProgress.empty());
    EXPECT_EQ(recorder_.installProgress.back(), 100);

    Base::String version;
    EXPECT_EQ(App::Package::PackageManager::GetInstance()->GetPackageVersion(L"buyclient", version), E_SUCCESS);
    EXPECT_EQ(version, L"2.0");
    EXPECT_TRUE(ContentTest::ReadFile(home_ / "apps/buyclient.manifest").find("version=2.0") != std::string::npos);

    std::vector<std::string> events = LogEvents();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[0].rfind("ongoing: ", 0), 0u) << events[0];
    EXPECT_NE(events[0].find("badge=" + std::to_string(badge + 1) + " style=normal type=progress-percentage"),
              std::string::npos)
        << events[0];
    EXPECT_EQ(events[1], "notify: Downloading new InApp version");
    EXPECT_EQ(Count(events, "notify: Downloading new InApp version"), 1);
    EXPECT_EQ(events[events.size() - 2], "ongoing-removed");
    EXPECT_EQ(events.back(), "notify: Download finished");
    EXPECT_EQ(notifications.GetBadgeNumber(), badge + 1);
}

TEST_F(AppUpdaterFixture, DownloadFailuresAreReportedWithThePlatformText) {
    AppUpdater updater(&recorder_);
    EXPECT_EQ(RunUpdate(updater, Url("missing.vxp")), AppUpdater::UPDATE_ERROR_DOWNLOAD_FAILED);
    EXPECT_EQ(updater.GetResultMessage(AppUpdater::UPDATE_ERROR_DOWNLOAD_FAILED),
              Base::String(L"Download failed. ") + Base::String(GetErrorMessage(E_OBJ_NOT_FOUND)));

    EXPECT_EQ(RunUpdate(updater, Base::String::FromUtf8(ContentTest::RefusedUrl("/buyclient.vxp"))),
              AppUpdater::UPDATE_ERROR_DOWNLOAD_FAILED);
    EXPECT_EQ(updater.GetResultMessage(AppUpdater::UPDATE_ERROR_DOWNLOAD_FAILED),
              L"Download failed. The connection failed.");

    // A new Update forgets the last failure.
    EXPECT_EQ(updater.Update(L""), E_INVALID_ARG);
    EXPECT_EQ(updater.GetResultMessage(AppUpdater::UPDATE_ERROR_DOWNLOAD_FAILED), L"Download failed. ");
    EXPECT_FALSE(App::Package::PackageManager::GetInstance()->IsPackageInstalled(L"buyclient"));
}

TEST_F(AppUpdaterFixture, InstallationOutcomesAreMapped) {
    AppUpdater updater(&recorder_);
    EXPECT_EQ(RunUpdate(updater, Url("garbage.vxp")), AppUpdater::UPDATE_ERROR_INVALID_PACKAGE);
    EXPECT_EQ(updater.GetResultMessage(AppUpdater::UPDATE_ERROR_INVALID_PACKAGE), L"Package manager: Invalid package.");

    Serve(PackageBytes("somebody-else", "2.0"));
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp")), AppUpdater::UPDATE_ERROR_INVALID_PACKAGE);

    // The disk fills up between the download and the installation.
    Serve(PackageBytes("buyclient", "2.0"));
    recorder_.onDownloadProgress = [](int percent) {
        if (percent == 100) ::setenv("IAP_PLATFORM_FAULTS", "storage-full", 1);
    };
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp")), AppUpdater::UPDATE_ERROR_STORAGE_FULL);
    EXPECT_EQ(updater.GetResultMessage(AppUpdater::UPDATE_ERROR_STORAGE_FULL), L"Package manager: Storage full.");
    ::unsetenv("IAP_PLATFORM_FAULTS");
    EXPECT_FALSE(App::Package::PackageManager::GetInstance()->IsPackageInstalled(L"buyclient"));

    std::vector<std::string> events = LogEvents();
    EXPECT_EQ(Count(events, "notify: Downloading new InApp version"), 3);
    EXPECT_EQ(Count(events, "ongoing-removed"), 3);
}

TEST_F(AppUpdaterFixture, RefusedInstallRequestIsReportedWithTheReason) {
    AppUpdater updater(&recorder_);
    std::string other = home_ / "other.vxp";
    ContentTest::WriteFile(other, PackageBytes("buyclient", "1.5"));
    // Another installation of the same package is still running when the download ends.
    recorder_.onDownloadProgress = [&](int percent) {
        if (percent == 100) {
            EXPECT_EQ(App::Package::PackageManager::GetInstance()->InstallPackage(L"buyclient",
                                                                                  Base::String::FromUtf8(other)),
                      E_SUCCESS);
        }
    };
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp")), AppUpdater::UPDATE_ERROR_INSTALL_FAILED);
    Base::String message = updater.GetResultMessage(AppUpdater::UPDATE_ERROR_INSTALL_FAILED);
    EXPECT_TRUE(message.StartsWith(L"Package manager install failed. ")) << message.ToUtf8();
    EXPECT_EQ(message,
              Base::String(L"Package manager install failed. ") + Base::String(GetErrorMessage(E_IN_PROGRESS)));

    // The other installation's outcome is not this updater's.
    Wait([] { return App::Package::PackageManager::GetInstance()->IsPackageInstalled(L"buyclient"); });
    Wait([] { return false; }, 50);
    EXPECT_EQ(recorder_.results.size(), 1u);
}

TEST_F(AppUpdaterFixture, MissingPlatformManagersAreReported) {
    AppUpdater updater(&recorder_);
    ::setenv("IAP_PLATFORM_FAULTS", "no-download-manager", 1);
    EXPECT_EQ(updater.Update(Url("buyclient.vxp")), E_FAILURE);
    ::unsetenv("IAP_PLATFORM_FAULTS");
    EXPECT_EQ(recorder_.results, std::vector<int>{AppUpdater::UPDATE_ERROR_NO_DOWNLOAD_MANAGER});

    recorder_.onDownloadProgress = [](int percent) {
        if (percent == 100) ::setenv("IAP_PLATFORM_FAULTS", "no-package-manager", 1);
    };
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp")), AppUpdater::UPDATE_ERROR_NO_PACKAGE_MANAGER);
    ::unsetenv("IAP_PLATFORM_FAULTS");
    EXPECT_EQ(updater.GetResultMessage(AppUpdater::UPDATE_ERROR_NO_PACKAGE_MANAGER), L"Failed to get package manager.");
}

TEST_F(AppUpdaterFixture, EmptyUrlIsRefusedSilently) {
    AppUpdater updater(&recorder_);
    EXPECT_EQ(updater.Update(L""), E_INVALID_ARG);
    Wait([] { return false; }, 20);
    EXPECT_TRUE(recorder_.results.empty());

    AppUpdater withoutListener(nullptr);
    EXPECT_EQ(withoutListener.Update(L""), E_INVALID_ARG);
}

// Request id 1 is the one the updater checks, so this runs in a fresh process
// where the first download is its own.
TEST_F(AppUpdaterFixture, BusyPausedAndCanceledDownloads) {
    if (!std::getenv("APP_UPDATER_FRESH_PROCESS")) {
        char self[4096] = {};
        ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
        std::string command = std::string("APP_UPDATER_FRESH_PROCESS=1 '") + self +
                              "' --gtest_filter=AppUpdaterFixture.BusyPausedAndCanceledDownloads >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << "run " << command << " to see why";
        return;
    }
    stepMs_ = 20;
    AppUpdater first(&recorder_);
    UpdateRecorder secondRecorder;
    AppUpdater second(&secondRecorder);
    Content::DownloadManager* downloads = Content::DownloadManager::GetInstance();

    ASSERT_EQ(first.Update(Url("buyclient.vxp")), E_SUCCESS);
    ASSERT_EQ(downloads->GetState(1), Content::DOWNLOAD_STATE_DOWNLOADING);
    EXPECT_EQ(second.Update(Url("buyclient.vxp")), E_FAILURE);
    EXPECT_EQ(secondRecorder.results, std::vector<int>{AppUpdater::UPDATE_ERROR_DOWNLOAD_MANAGER_STATE});
    EXPECT_EQ(second.GetResultMessage(AppUpdater::UPDATE_ERROR_DOWNLOAD_MANAGER_STATE),
              L"Invalid download manager state.");

    ASSERT_TRUE(Wait([&] { return !recorder_.downloadProgress.empty(); }));
    ASSERT_EQ(downloads->Pause(1), E_SUCCESS);
    ASSERT_TRUE(Wait([&] { return !recorder_.results.empty(); }));
    EXPECT_EQ(recorder_.results.back(), AppUpdater::UPDATE_DOWNLOAD_PAUSED);
    EXPECT_EQ(first.GetResultMessage(AppUpdater::UPDATE_DOWNLOAD_PAUSED), L"Download paused.");

    // Progress arithmetic, by truncation; the notification is posted once.
    first.OnDownloadInProgress(1, 512, 2048);
    first.OnDownloadInProgress(1, 2047, 2048);
    EXPECT_EQ(recorder_.downloadProgress[recorder_.downloadProgress.size() - 2], 25);
    EXPECT_EQ(recorder_.downloadProgress.back(), 99);
    EXPECT_EQ(Count(LogEvents(), "notify: Downloading new InApp version"), 1);

    ASSERT_EQ(downloads->Cancel(1), E_SUCCESS);
    ASSERT_TRUE(Wait([&] { return recorder_.results.back() == AppUpdater::UPDATE_DOWNLOAD_CANCELED; }));
    EXPECT_EQ(first.GetResultMessage(AppUpdater::UPDATE_DOWNLOAD_CANCELED), L"Download canceled.");
    EXPECT_EQ(LogEvents().back(), "ongoing-removed");
    EXPECT_TRUE(ContentTest::ListFolder(home_ / "downloads").empty());

    // Once request 1 is over, another update may run.
    ASSERT_EQ(second.Update(Url("buyclient.vxp")), E_SUCCESS);
    ASSERT_TRUE(Wait([&] { return secondRecorder.results.size() == 2; }, 20000));
    EXPECT_EQ(secondRecorder.results.back(), AppUpdater::UPDATE_SUCCESS);
}

TEST_F(AppUpdaterFixture, DestroyedUpdaterHearsNothingMore) {
    stepMs_ = 10;
    auto updater = std::make_unique<AppUpdater>(&recorder_);
    ASSERT_EQ(updater->Update(Url("buyclient.vxp")), E_SUCCESS);
    ASSERT_TRUE(Wait([&] { return !recorder_.downloadProgress.empty(); }));
    updater.reset();
    EXPECT_EQ(Content::DownloadManager::GetInstance()->GetDownloadListener(), nullptr);
    EXPECT_EQ(LogEvents().back(), "ongoing-removed");
    Wait([&] { return ContentTest::ListFolder(home_ / "downloads").size() == 1; });
    EXPECT_TRUE(recorder_.results.empty());
}

TEST_F(AppUpdaterFixture, AnOfferThatCannotBeInstalledIsNotFetchedAgain) {
    AppUpdater updater(&recorder_);
    // The store offers 2.0, but the file holds 1.9.
    Serve(PackageBytes("buyclient", "1.9"));
    EXPECT_EQ(RunUpdate(updater, Url("buyclient-2.0.vxp")), AppUpdater::UPDATE_ERROR_INVALID_PACKAGE);
    EXPECT_FALSE(App::Package::PackageManager::GetInstance()->IsPackageInstalled(L"buyclient"));
    EXPECT_TRUE(ContentTest::ListFolder(home_ / "downloads").empty());
    std::string record = ContentTest::ReadFile(home_ / "updates/buyclient.failed");
    EXPECT_NE(record.find("version=2.0\n"), std::string::npos) << record;
    EXPECT_NE(record.find("not the 2.0 offered"), std::string::npos) << record;

    std::size_t reported = recorder_.results.size();
    EXPECT_EQ(updater.Update(Url("buyclient-2.0.vxp")), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(updater.Update(Url("buyclient-1.5.vxp")), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(recorder_.results.size(), reported);
    EXPECT_EQ(Content::DownloadManager::GetInstance()->GetState(1), Content::DOWNLOAD_STATE_NONE);

    // A newer offer is fetched; once installed, neither it nor an older one is fetched again.
    Serve(PackageBytes("buyclient", "2.1"));
    EXPECT_EQ(RunUpdate(updater, Url("buyclient-2.1.vxp?from=store")), AppUpdater::UPDATE_SUCCESS);
    EXPECT_TRUE(ContentTest::ListFolder(home_ / "downloads").empty());
    EXPECT_FALSE(std::filesystem::exists(home_ / "updates/buyclient.failed"));
    EXPECT_EQ(updater.Update(Url("buyclient-2.1.vxp")), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(updater.Update(Url("buyclient-2.0.5.vxp")), E_OBJ_ALREADY_EXIST);

    // A file that is not newer than the installed version is refused even when the address names no version.
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp")), AppUpdater::UPDATE_ERROR_INVALID_PACKAGE);
}

// The store may name the version beside an address that names none; it
// then decides, over a version in the file name too.
TEST_F(AppUpdaterFixture, AVersionNamedBesideTheAddressIsCheckedAndRemembered) {
    AppUpdater updater(&recorder_);
    Serve(PackageBytes("buyclient", "1.9"));
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp"), L"2.0"), AppUpdater::UPDATE_ERROR_INVALID_PACKAGE);
    EXPECT_FALSE(App::Package::PackageManager::GetInstance()->IsPackageInstalled(L"buyclient"));
    std::string record = ContentTest::ReadFile(home_ / "updates/buyclient.failed");
    EXPECT_NE(record.find("version=2.0\n"), std::string::npos) << record;

    std::size_t reported = recorder_.results.size();
    EXPECT_EQ(updater.Update(Url("buyclient.vxp"), L"2.0"), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(updater.Update(Url("buyclient-9.0.vxp"), L"2.0"), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(recorder_.results.size(), reported);

    // A malformed version counts as none: the file name tells, or nothing does.
    EXPECT_EQ(updater.Update(Url("buyclient-2.0.vxp"), L"../2.1"), E_OBJ_ALREADY_EXIST);
    Serve(PackageBytes("buyclient", "2.1"));
    EXPECT_EQ(RunUpdate(updater, Url("buyclient.vxp"), L"2.1"), AppUpdater::UPDATE_SUCCESS);
    EXPECT_EQ(updater.Update(Url("buyclient.vxp"), L"2.1"), E_OBJ_ALREADY_EXIST);
}

TEST_F(AppUpdaterFixture, AFailedInstallationIsRememberedButAFullDiskIsNot) {
    AppUpdater updater(&recorder_);
    recorder_.onDownloadProgress = [](int percent) {
        if (percent == 100) ::setenv("IAP_PLATFORM_FAULTS", "storage-full", 1);
    };
    EXPECT_EQ(RunUpdate(updater, Url("buyclient-2.0.vxp")), AppUpdater::UPDATE_ERROR_STORAGE_FULL);
    ::unsetenv("IAP_PLATFORM_FAULTS");
    recorder_.onDownloadProgress = nullptr;
    EXPECT_FALSE(std::filesystem::exists(home_ / "updates/buyclient.failed"));
    EXPECT_TRUE(ContentTest::ListFolder(home_ / "downloads").empty());

    // A path no file system can hold: the installation fails every time.
    App::Package::PackageContents contents;
    contents.packageId = "buyclient";
    contents.version = "2.0";
    contents.applications = {{"buyclient", "bin/buyclient"}};
    contents.files = {{"bin/buyclient", 0755, "#!/bin/sh\n"}, {std::string(300, 'n'), 0644, "x"}};
    App::Package::PackageSigningKey key;
    ASSERT_EQ(App::Package::PackageSigningKey::LoadDeveloperKey(home_.Path(), key), E_SUCCESS);
    std::string bytes;
    ASSERT_EQ(App::Package::PackageFile::Serialize(contents, key, bytes), E_SUCCESS);
    Serve(bytes);
    EXPECT_EQ(RunUpdate(updater, Url("buyclient-2.0.vxp")), AppUpdater::UPDATE_ERROR_UNKNOWN);
    EXPECT_TRUE(ContentTest::ListFolder(home_ / "downloads").empty());
    EXPECT_EQ(updater.Update(Url("buyclient-2.0.vxp")), E_OBJ_ALREADY_EXIST);
}

TEST_F(AppUpdaterFixture, ADamagedCopyIsFetchedAgainButNotForever) {
    AppUpdater updater(&recorder_);
    std::string damaged = PackageBytes("buyclient", "2.0");
    damaged[damaged.size() / 2] ^= 0x01;
    Serve(damaged);
    for (int attempt = 1; attempt <= FailedUpdateRecord::kDamagedAttempts; ++attempt) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(RunUpdate(updater, Url("buyclient-2.0.vxp")), AppUpdater::UPDATE_ERROR_INVALID_PACKAGE);
        EXPECT_TRUE(ContentTest::ListFolder(home_ / "downloads").empty());
    }
    EXPECT_EQ(updater.Update(Url("buyclient-2.0.vxp")), E_OBJ_ALREADY_EXIST);

    // One damaged copy, then a whole one: installed.
    std::string newer = PackageBytes("buyclient", "2.1");
    newer[newer.size() / 2] ^= 0x01;
    Serve(newer);
    EXPECT_EQ(RunUpdate(updater, Url("buyclient-2.1.vxp")), AppUpdater::UPDATE_ERROR_INVALID_PACKAGE);
    Serve(PackageBytes("buyclient", "2.1"));
    EXPECT_EQ(RunUpdate(updater, Url("buyclient-2.1.vxp")), AppUpdater::UPDATE_SUCCESS);
}

TEST(FailedUpdateRecord, GivesAVersionUpAtOnceOrAfterRepeatedDamage) {
    ContentTest::TempPlatformHome home;
    FailedUpdateRecord record("buyclient");
    EXPECT_FALSE(record.Load());
    EXPECT_FALSE(record.Covers("1.0"));

    ASSERT_EQ(record.SaveDamaged("2.0", "http://h/buyclient-2.0.vxp"), E_SUCCESS);
    ASSERT_EQ(record.SaveDamaged("2.0", "http://h/buyclient-2.0.vxp"), E_SUCCESS);
    ASSERT_TRUE(record.Load());
    EXPECT_FALSE(record.Covers("2.0"));
    ASSERT_EQ(record.SaveDamaged("2.1", "http://h/buyclient-2.1.vxp"), E_SUCCESS);
    ASSERT_EQ(record.SaveDamaged("2.1", "http://h/buyclient-2.1.vxp"), E_SUCCESS);
    ASSERT_TRUE(record.Load());
    EXPECT_FALSE(record.Covers("2.1")) << "counting starts again for another version";
    ASSERT_EQ(record.SaveDamaged("2.1", "http://h/buyclient-2.1.vxp"), E_SUCCESS);
    ASSERT_TRUE(record.Load());
    EXPECT_TRUE(record.Covers("2.1"));

    ASSERT_EQ(record.Save("3.0", "http://h/x\nattempts=1", "refused\nversion=9"), E_SUCCESS);
    FailedUpdateRecord reread("buyclient");
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.GetVersion(), "3.0") << "values cannot add lines";
    EXPECT_TRUE(reread.Covers("3.0"));
    EXPECT_TRUE(reread.Covers("2.9.9"));
    EXPECT_FALSE(reread.Covers("3.0.1"));
    struct stat info {};
    ASSERT_EQ(::stat(reread.GetPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_EQ(record.Save("../x", "u", "r"), E_INVALID_ARG);
    ContentTest::WriteFile(reread.GetPath(), "version=../../x\n");
    EXPECT_FALSE(reread.Load());
    reread.Clear();
    EXPECT_FALSE(std::filesystem::exists(reread.GetPath()));
}

TEST(AppUpdater, OfferedVersionIsTakenFromTheFileName) {
    EXPECT_EQ(AppUpdater::GetOfferedVersion("http://h/packages/buyclient-2.0.0.vxp", "buyclient"), "2.0.0");
    EXPECT_EQ(AppUpdater::GetOfferedVersion("http://h/packages/buyclient-2.0.0", "buyclient"), "2.0.0");
    EXPECT_EQ(AppUpdater::GetOfferedVersion("http://h/buyclient-1.2-beta.vpk?x=1#y", "buyclient"), "1.2-beta");
    EXPECT_EQ(AppUpdater::GetOfferedVersion("http://h/packages/buyclient.vxp", "buyclient"), "");
    EXPECT_EQ(AppUpdater::GetOfferedVersion("http://h/packages/other-2.0.vxp", "buyclient"), "");
    EXPECT_EQ(AppUpdater::GetOfferedVersion("http://h/buyclient-../x", "buyclient"), "");
    EXPECT_EQ(AppUpdater::GetOfferedVersion("", "buyclient"), "");
}

TEST(AppUpdater, ProgressIsTruncatedAndBounded) {
    EXPECT_EQ(AppUpdater::ToPercent(512, 2048), 25);
    EXPECT_EQ(AppUpdater::ToPercent(2047, 2048), 99);
    EXPECT_EQ(AppUpdater::ToPercent(2048, 2048), 100);
    EXPECT_EQ(AppUpdater::ToPercent(0, 2048), 0);
    EXPECT_EQ(AppUpdater::ToPercent(100, 0), 0) << "unknown size";
    EXPECT_EQ(AppUpdater::ToPercent(5000, 2048), 100) << "more than announced";
    EXPECT_EQ(AppUpdater::ToPercent(~0ull, 1), 100);
    EXPECT_EQ(AppUpdater::ToPercent(1ull << 62, (1ull << 62) + (1ull << 61)), 66);
}

TEST(AppUpdater, ResultMessages) {
    AppUpdater updater(nullptr);
    const wchar_t* expected[] = {L"",
                                 L"Failed to get download manager.",
                                 L"Invalid download manager state.",
                                 L"Download failed. ",
                                 L"Download paused.",
                                 L"Download canceled.",
                                 L"Failed to get package manager.",
                                 L"Package manager install failed. ",
                                 L"Package manager: Invalid package.",
                                 L"Package manager: Storage full.",
                                 L"Unknown error."};
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(updater.GetResultMessage(static_cast<AppUpdater::UpdateResult>(i)), expected[i]) << i;
    }
    EXPECT_EQ(updater.GetResultMessage(static_cast<AppUpdater::UpdateResult>(11)), L"");
    EXPECT_EQ(updater.GetResultMessage(static_cast<AppUpdater::UpdateResult>(-1)), L"");
}

}  // namespace
