// The store offers a newer client package: buyservice downloads and installs
// it, and the caller, answered canceled, asks again.
#include <sys/stat.h>

#include <filesystem>

#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

class BuyServiceSelfUpdateTest : public BuyServiceE2eTest {
protected:
    void SetUp() override {
        BuyServiceE2eTest::SetUp();
        char pattern[] = "/tmp/e2e-package-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        workDir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(workDir_, ignored);
    }

    // A client package of `version` made with iap-package. With the service
    // inside, the update also replaces buyservice, as an installation of the
    // two applications together would.
    std::string MakePackage(const std::string& version, bool withService) {
        std::string client = workDir_ + "/buyclient";
        std::ofstream(client) << "#!/bin/sh\nexit 0\n";
        chmod(client.c_str(), 0755);
        std::vector<std::string> args{Bin("iap-package"), "create", "--package-id", "buyclient",
                                      "--version",        version,  "--app",        "buyclient=" + client};
        if (withService) {
            args.push_back("--app");
            args.push_back(std::string(kBuyService) + "=" + Bin("buyservice"));
        } else {
            // Enough bytes for the download to report progress more than once.
            std::string blob = workDir_ + "/blob";
            std::ofstream(blob, std::ios::binary) << std::string(4 << 20, 'x');
            args.push_back("--file");
            args.push_back(blob + "=data/blob");
        }
        std::string path = workDir_ + "/buyclient-" + version + ".vpk";
        args.push_back("-o");
        args.push_back(path);
        RunResult made = RunProgram(args);
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return path;
    }
    std::string Installed(const std::string& appId) const {
        return ReadFile(home_.Path() + "/apps/" + appId + ".manifest");
    }
    std::string Notifications() const { return ReadFile(home_.Path() + "/notifications.log"); }

    std::string workDir_;
};

TEST_F(BuyServiceSelfUpdateTest, NewerClientIsDownloadedInstalledAndTheRequestCanceled) {
    ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", "2.0.0", MakePackage("2.0.0", false)));
    AppctlAnswer answer = Ask(kItemList, {"_transactionId=41", std::string("_itemGroupId=") + kCharacterGroup,
                                          "_startNumber=1", "_endNumber=3"});
    ASSERT_EQ(answer.exitCode, 0) << Diagnose(answer);
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.result, 2);
    EXPECT_FALSE(answer.hasExtra);

    EXPECT_NE(Installed("buyclient").find("version=2.0.0"), std::string::npos) << Installed("buyclient");
    EXPECT_TRUE(std::filesystem::exists(home_.Path() + "/packages/buyclient/2.0.0/bin/buyclient"));

    std::string notes = Notifications();
    EXPECT_NE(notes.find("notify: Downloading new InApp version"), std::string::npos) << notes;
    EXPECT_NE(notes.find("notify: Download finished"), std::string::npos) << notes;
    EXPECT_NE(notes.find("ongoing-removed"), std::string::npos) << notes;
    int progressLines = 0;
    for (std::size_t at = notes.find("ongoing: "); at != std::string::npos; at = notes.find("ongoing: ", at + 1)) {
        ++progressLines;
    }
    EXPECT_GE(progressLines, 2) << notes;

    // No store query after the update: the caller asks again.
    EXPECT_EQ(StoreFunctions(), (std::vector<std::string>{"countrySearch", "checkAppUpgrade", "download"}));
}

TEST_F(BuyServiceSelfUpdateTest, PurchasedListIsCanceledWithoutAskingForTheAccount) {
    ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", "2.0.0", MakePackage("2.0.0", false)));
    RunResult added =
        RunProgram({Bin("appctl"), "account", "add", "--user-name", "demo@vexmora.com", "--user-id", "U1000001"});
    ASSERT_EQ(added.exitCode, 0) << added.output;
    AppctlAnswer answer = Ask(kPurchasedList, {"_transactionId=44", std::string("_itemGroupId=") + kGemGroup,
                                               "_startNumber=1", "_endNumber=10"});
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.result, 2);
    EXPECT_FALSE(answer.hasExtra);
    EXPECT_NE(Installed("buyclient").find("version=2.0.0"), std::string::npos);
    // Its answer would go to a request already answered.
    EXPECT_FALSE(WasLaunched(kAccountServiceApp));
    EXPECT_EQ(StoreFunctions(), (std::vector<std::string>{"countrySearch", "checkAppUpgrade", "download"}));
}

TEST_F(BuyServiceSelfUpdateTest, UpdatedServiceServesTheRepeatedRequest) {
    ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", "2.0.0", MakePackage("2.0.0", true)));
    std::vector<std::string> request{"_transactionId=42", std::string("_itemGroupId=") + kCharacterGroup,
                                     "_startNumber=1", "_endNumber=3"};
    AppctlAnswer first = Ask(kItemList, request);
    ASSERT_TRUE(first.parsed) << Diagnose(first);
    ASSERT_EQ(first.result, 2) << Diagnose(first);
    ASSERT_NE(Installed(kBuyService).find("version=2.0.0"), std::string::npos) << Installed(kBuyService);

    ASSERT_EQ(sandbox_.Admin("DELETE", "/admin/requests").status, 200);
    AppctlAnswer again = Ask(kItemList, request);
    ASSERT_TRUE(again.parsed) << Diagnose(again);
    EXPECT_EQ(again.result, 0);
    EXPECT_EQ(again.Get("_result"), "0");
    EXPECT_EQ(again.CountRecords(), 3);
    std::vector<StoreRequest> requests = StoreRequests();
    ASSERT_EQ(requests.size(), 3u) << sandbox_.RecentRequests();
    EXPECT_EQ(requests[1].params["preloadApp"], "buyservice@2.0.0@1");
}

TEST_F(BuyServiceSelfUpdateTest, FailedUpdateInstallsNothingAndIsAnsweredCanceled) {
    ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", "2.0.0", MakePackage("2.0.0", false)));
    struct Case {
        const char* what;
        const char* storeFault;     // for the sandbox
        const char* platformFault;  // IAP_PLATFORM_FAULTS
    };
    const Case cases[] = {
        {"corrupted download", "download:malformed", ""},
        {"download refused", "download:status=404", ""},
        {"full storage", "", "storage-full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(sandbox_.ClearFaults());
        if (*c.storeFault) {
            ASSERT_TRUE(sandbox_.AddFault(c.storeFault));
        }
        setenv("IAP_PLATFORM_FAULTS", c.platformFault, 1);
        AppctlAnswer answer = Ask(kItemList, {"_transactionId=43", std::string("_itemGroupId=") + kCharacterGroup,
                                              "_startNumber=1", "_endNumber=3"});
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.result, 2);
        EXPECT_EQ(Installed("buyclient"), "");
        EXPECT_FALSE(std::filesystem::exists(home_.Path() + "/packages/buyclient/2.0.0"));
        std::string notes = Notifications();
        std::size_t lastProgress = notes.rfind("ongoing: ");
        EXPECT_TRUE(lastProgress == std::string::npos ||
                    notes.find("ongoing-removed", lastProgress) != std::string::npos)
            << "a progress notification was left behind:\n"
            << notes;
    }
}

}  // namespace
