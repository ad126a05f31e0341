// The store offers a newer client package: buyservice downloads and installs
// it, and the caller, answered canceled, asks again. Packages that are not
// signed by a trusted key, that reach for another package's applications, or
// that never install are refused without blocking later requests.
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <sys/stat.h>

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <regex>
#include <thread>

#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

std::string LittleEndian(std::uint64_t value, int size) {
    std::string out;
    for (int i = 0; i < size; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    return out;
}

std::string Sha256(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
    return std::string(reinterpret_cast<char*>(digest), size);
}

// Appends the signer's raw public key and its Ed25519 signature of everything
// before the signature, with the private key in keyPath (PEM).
bool AppendSignature(std::string& bytes, const std::string& keyPath) {
    FILE* file = std::fopen(keyPath.c_str(), "r");
    if (!file) return false;
    EVP_PKEY* key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    if (!key) return false;
    std::string publicKey(32, '\0');
    std::size_t size = publicKey.size();
    bool ok = EVP_PKEY_get_raw_public_key(key, reinterpret_cast<unsigned char*>(publicKey.data()), &size) == 1;
    bytes += publicKey;
    std::string signature(64, '\0');
    size = signature.size();
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ok = ok && EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, key) == 1 &&
         EVP_DigestSign(ctx, reinterpret_cast<unsigned char*>(signature.data()), &size,
                        reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) == 1;
    EVP_MD_CTX_free(ctx);
    EVP_PKEY_free(key);
    bytes += signature;
    return ok;
}

struct HandMadeFile {
    std::string path;
    std::uint32_t mode;
    std::string data;
};

// A package file written byte by byte, as a hostile tool would: format 2
// signed with keyPath, or the unsigned format 1 when keyPath is empty.
std::string HandMadePackage(const std::string& manifest, const std::vector<HandMadeFile>& files,
                            const std::string& keyPath) {
    std::string bytes("VXPKG\x1a\r\n", 8);
    bytes += LittleEndian(keyPath.empty() ? 1 : 2, 2) + LittleEndian(0, 2) + LittleEndian(manifest.size(), 4) +
             LittleEndian(files.size(), 4) + manifest;
    for (const HandMadeFile& file : files) {
        bytes += LittleEndian(file.path.size(), 4) + file.path + LittleEndian(file.mode, 4) +
                 LittleEndian(file.data.size(), 8) + file.data;
    }
    bytes += Sha256(bytes);
    if (!keyPath.empty()) {
        EXPECT_TRUE(AppendSignature(bytes, keyPath)) << "cannot sign with " << keyPath;
    }
    return bytes;
}

// The store as seen through a front that passes everything on, except that
// the download address it offers names no version: the device learns the
// version only from the "version" beside it.
class UnnamedDownloadStore {
public:
    explicit UnnamedDownloadStore(int storePort) : store_("127.0.0.1", storePort) {
        server_.set_keep_alive_max_count(1);
        server_.Post(".*", [this](const httplib::Request& req, httplib::Response& res) { PassOn(req, res); });
        server_.Get(kDownloadPath, [this](const httplib::Request&, httplib::Response& res) { Download(res); });
    }
    ~UnnamedDownloadStore() {
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }
    bool Start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) return false;
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() before the loop runs would be lost and the join would hang.
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string OfferedUrls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return offered_;
    }

private:
    static constexpr const char* kDownloadPath = "/latest-client";

    void PassOn(const httplib::Request& req, httplib::Response& res) {
        // The store writes the addresses of the Host it is asked as.
        httplib::Result reply =
            store_.Post(req.path, {{"Host", Host()}}, req.body, req.get_header_value("Content-Type"));
        if (!reply) {
            res.status = 502;
            return;
        }
        std::string body = reply->body;
        std::smatch found;
        static const std::regex packagePath("/packages/[^<\"' ]+");
        if (std::regex_search(body, found, packagePath)) {
            std::lock_guard<std::mutex> lock(mutex_);
            packagePath_ = found.str();
            body = std::regex_replace(body, packagePath, kDownloadPath);
            offered_ += "http://" + Host() + kDownloadPath + "\n";
        }
        res.status = reply->status;
        res.set_content(body, reply->get_header_value("Content-Type"));
    }
    void Download(httplib::Response& res) {
        std::string path;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            path = packagePath_;
        }
        if (path.empty()) {
            res.status = 404;
            return;
        }
        httplib::Result file = store_.Get(path);
        if (!file) {
            res.status = 404;
            return;
        }
        res.status = file->status;
        res.set_content(file->body, "application/octet-stream");
    }

    httplib::Client store_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::string packagePath_;
    std::string offered_;
};

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
    // A client package of `version` holding a name longer than any file
    // system allows: its installation fails every time.
    std::string MakeUninstallablePackage(const std::string& version) {
        MakePackage("0.0.1", false);  // leaves the client program and the blob in workDir_
        std::string path = workDir_ + "/unwritable-" + version + ".vxp";
        std::vector<std::string> args{Bin("iap-package"),
                                      "create",
                                      "--package-id",
                                      "buyclient",
                                      "--version",
                                      version,
                                      "--app",
                                      "buyclient=" + workDir_ + "/buyclient",
                                      "--file",
                                      workDir_ + "/blob=" + std::string(300, 'n'),
                                      "-o",
                                      path};
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

TEST_F(BuyServiceSelfUpdateTest, InstalledClientIsNotFetchedAgainAndTheRepeatedRequestIsServed) {
    ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", "2.0.0", MakePackage("2.0.0", false)));
    std::vector<std::string> request{"_transactionId=42", std::string("_itemGroupId=") + kCharacterGroup,
                                     "_startNumber=1", "_endNumber=3"};
    AppctlAnswer first = Ask(kItemList, request);
    ASSERT_TRUE(first.parsed) << Diagnose(first);
    ASSERT_EQ(first.result, 2) << Diagnose(first);
    ASSERT_NE(Installed("buyclient").find("version=2.0.0"), std::string::npos) << Installed("buyclient");
    EXPECT_TRUE(std::filesystem::is_empty(home_.Path() + "/downloads")) << "the installed file is not kept";

    // The store still offers 2.0.0 (it compares with the service's version); it is installed already.
    ASSERT_EQ(sandbox_.Admin("DELETE", "/admin/requests").status, 200);
    AppctlAnswer again = Ask(kItemList, request);
    ASSERT_TRUE(again.parsed) << Diagnose(again);
    EXPECT_EQ(again.result, 0);
    EXPECT_EQ(again.Get("_result"), "0");
    EXPECT_EQ(again.CountRecords(), 3);
    EXPECT_EQ(StoreFunctions(), (std::vector<std::string>{"countrySearch", "checkAppUpgrade", "getAppsItemList"}));
}

TEST_F(BuyServiceSelfUpdateTest, FailedUpdateInstallsNothingAndIsAnsweredCanceled) {
    ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", "2.0.0", MakePackage("2.0.0", false)));
    struct Case {
        const char* what;
        const char* storeFault;     // for the sandbox
        const char* platformFault;  // IAP_PLATFORM_FAULTS
    };
    // Each of these may mend, so the same offer is fetched again for the next case.
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
        EXPECT_TRUE(std::filesystem::is_empty(home_.Path() + "/downloads"));
        std::string notes = Notifications();
        std::size_t lastProgress = notes.rfind("ongoing: ");
        EXPECT_TRUE(lastProgress == std::string::npos ||
                    notes.find("ongoing-removed", lastProgress) != std::string::npos)
            << "a progress notification was left behind:\n"
            << notes;
    }
}

// Whatever the store serves, a package that is not signed by a key this device
// trusts is not installed: unsigned, signed by a stranger, or changed after signing.
TEST_F(BuyServiceSelfUpdateTest, PackagesWithoutATrustedSignatureAreNotInstalled) {
    std::string stranger = workDir_ + "/stranger.key";
    ASSERT_EQ(RunProgram({Bin("iap-package"), "keygen", "-o", stranger}).exitCode, 0);
    std::string client = workDir_ + "/buyclient";
    std::ofstream(client) << "#!/bin/sh\nexit 0\n";
    chmod(client.c_str(), 0755);

    struct Case {
        const char* what;
        const char* version;
        const char* reason;  // in the service's log
    };
    const Case cases[] = {
        {"signed by a stranger", "2.0.1", "which this device does not trust"},
        {"signed, then re-signed by a stranger", "2.0.2", "which this device does not trust"},
        {"changed after signing", "2.0.3", "signature does not match"},
        {"unsigned", "2.0.4", "not signed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = workDir_ + "/buyclient-" + c.version + ".vxp";
        std::string what = c.what;
        if (what == "signed by a stranger") {
            ASSERT_EQ(RunProgram({Bin("iap-package"), "create", "--package-id", "buyclient", "--version", c.version,
                                  "--app", "buyclient=" + client, "--key", stranger, "-o", path})
                          .exitCode,
                      0);
        } else if (what == "signed, then re-signed by a stranger") {
            ASSERT_EQ(RunProgram({Bin("iap-package"), "create", "--package-id", "buyclient", "--version", c.version,
                                  "--app", "buyclient=" + client, "-o", path})
                          .exitCode,
                      0);
            ASSERT_EQ(RunProgram({Bin("iap-package"), "sign", path, "--key", stranger}).exitCode, 0);
        } else {
            // The home's own key, made by the first create above, is trusted here.
            std::string manifest =
                "packageId=buyclient\nversion=" + std::string(c.version) + "\napp=buyclient=bin/buyclient\n";
            std::string bytes = HandMadePackage(manifest, {{"bin/buyclient", 0755, "#!/bin/sh\nexit 0\n"}},
                                                what == "unsigned" ? "" : home_.Path() + "/keys/developer.key");
            if (what == "changed after signing") {
                // The digest is made to match again; only the signature tells.
                std::size_t at = bytes.find("exit 0");
                bytes[at + 5] = '7';
                std::size_t bodySize = bytes.size() - 128;
                bytes.replace(bodySize, 32, Sha256(bytes.substr(0, bodySize)));
            }
            std::ofstream(path, std::ios::binary) << bytes;
        }
        ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", c.version, path));
        AppctlAnswer answer = Ask(kItemList, {"_transactionId=45", std::string("_itemGroupId=") + kCharacterGroup,
                                              "_startNumber=1", "_endNumber=3"});
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.result, 2) << Diagnose(answer);
        EXPECT_EQ(Installed("buyclient"), "");
        EXPECT_FALSE(std::filesystem::exists(home_.Path() + "/packages/buyclient"));
        EXPECT_NE(ServiceLog().find(c.reason), std::string::npos) << ServiceLog();
    }
    // The same file installs once the device trusts the stranger's key.
    ASSERT_EQ(RunProgram({Bin("iap-package"), "trust", stranger + ".pub"}).exitCode, 0);
    RunResult installed = RunProgram({Bin("iap-package"), "install", workDir_ + "/buyclient-2.0.1.vxp"});
    EXPECT_EQ(installed.exitCode, 0) << installed.output;
}

// A signed, intact client package that names the account sign-in application:
// had it been installed, its program would be handed the user's password.
TEST_F(BuyServiceSelfUpdateTest, PackageReachingForAnotherPackagesApplicationIsRefused) {
    std::string vendor = workDir_ + "/vendor.key";
    ASSERT_EQ(RunProgram({Bin("iap-package"), "keygen", "-o", vendor}).exitCode, 0);
    ASSERT_EQ(RunProgram({Bin("iap-package"), "trust", vendor + ".pub"}).exitCode, 0);
    std::string manifest =
        "packageId=buyclient\nversion=2.0.0\napp=buyclient=bin/buyclient\napp=" + std::string(kSignInApp) +
        "=bin/phish\n";
    std::string path = workDir_ + "/hostile.vxp";
    std::ofstream(path, std::ios::binary) << HandMadePackage(
        manifest, {{"bin/buyclient", 0755, "#!/bin/sh\nexit 0\n"}, {"bin/phish", 0755, "#!/bin/sh\nexit 0\n"}}, vendor);

    RunResult direct = RunProgram({Bin("iap-package"), "install", path});
    EXPECT_EQ(direct.exitCode, 1);
    EXPECT_NE(direct.output.find("belongs to package 'a7qd02lm9x'"), std::string::npos) << direct.output;

    ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", "2.0.0", path));
    std::vector<std::string> request{"_transactionId=46", std::string("_itemGroupId=") + kCharacterGroup,
                                     "_startNumber=1", "_endNumber=3"};
    AppctlAnswer answer = Ask(kItemList, request);
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.result, 2);
    EXPECT_FALSE(std::filesystem::exists(home_.Path() + "/apps/" + kSignInApp + ".manifest"));
    EXPECT_FALSE(std::filesystem::exists(home_.Path() + "/packages/buyclient"));
    EXPECT_NE(ServiceLog().find("belongs to package 'a7qd02lm9x'"), std::string::npos) << ServiceLog();

    // The refused offer is not fetched again: the next caller is served.
    AppctlAnswer again = Ask(kItemList, request);
    ASSERT_TRUE(again.parsed) << Diagnose(again);
    EXPECT_EQ(again.result, 0) << Diagnose(again);
    EXPECT_EQ(again.CountRecords(), 3);
}

// Offers that never end up installed used to be fetched for every request, each
// request answered canceled and each copy left in downloads/.
TEST_F(BuyServiceSelfUpdateTest, AnOfferThatNeverInstallsDoesNotBlockLaterRequests) {
    std::string otherVersion = MakePackage("1.9.0", false);  // its own version is not the one offered
    struct Case {
        const char* what;
        const char* version;
        std::string path;
    };
    const Case cases[] = {{"another version inside", "2.0.0", otherVersion},
                          {"a path that cannot be created", "3.0.0", MakeUninstallablePackage("3.0.0")}};
    std::vector<std::string> request{"_transactionId=47", std::string("_itemGroupId=") + kCharacterGroup,
                                     "_startNumber=1", "_endNumber=3"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", c.version, c.path));
        AppctlAnswer first = Ask(kItemList, request);
        ASSERT_TRUE(first.parsed) << Diagnose(first);
        EXPECT_EQ(first.result, 2) << Diagnose(first);
        EXPECT_EQ(Installed("buyclient"), "");
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(sandbox_.Admin("DELETE", "/admin/requests").status, 200);
            AppctlAnswer next = Ask(kItemList, request);
            ASSERT_TRUE(next.parsed) << Diagnose(next);
            EXPECT_EQ(next.result, 0) << Diagnose(next);
            EXPECT_EQ(next.CountRecords(), 3);
            EXPECT_EQ(StoreFunctions(),
                      (std::vector<std::string>{"countrySearch", "checkAppUpgrade", "getAppsItemList"}));
        }
        EXPECT_TRUE(std::filesystem::is_empty(home_.Path() + "/downloads"));
    }
}

// The same, when the address names no version: the device goes by the
// version the store names beside it.
TEST_F(BuyServiceSelfUpdateTest, AnOfferWhoseAddressNamesNoVersionIsNotFetchedAgainOnceFailed) {
    UnnamedDownloadStore store(sandbox_.Port());
    ASSERT_TRUE(store.Start());
    setenv("IAP_COUNTRY_SEARCH_URL", ("http://" + store.Host() + "/ods.as").c_str(), 1);
    struct Case {
        const char* what;
        const char* version;
        std::string path;
    };
    const Case cases[] = {{"another version inside", "2.0.0", MakePackage("1.9.0", false)},
                          {"a path that cannot be created", "3.0.0", MakeUninstallablePackage("3.0.0")}};
    std::vector<std::string> request{"_transactionId=48", std::string("_itemGroupId=") + kCharacterGroup,
                                     "_startNumber=1", "_endNumber=3"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(sandbox_.RegisterPackage("buyclient", c.version, c.path));
        ASSERT_EQ(sandbox_.Admin("DELETE", "/admin/requests").status, 200);
        AppctlAnswer first = Ask(kItemList, request);
        ASSERT_TRUE(first.parsed) << Diagnose(first);
        EXPECT_EQ(first.result, 2) << Diagnose(first);
        EXPECT_EQ(Installed("buyclient"), "");
        EXPECT_EQ(StoreFunctions(), (std::vector<std::string>{"countrySearch", "checkAppUpgrade", "download"}));
        ASSERT_EQ(sandbox_.Admin("DELETE", "/admin/requests").status, 200);
        AppctlAnswer next = Ask(kItemList, request);
        ASSERT_TRUE(next.parsed) << Diagnose(next);
        EXPECT_EQ(next.result, 0) << Diagnose(next);
        EXPECT_EQ(next.CountRecords(), 3);
        EXPECT_EQ(StoreFunctions(), (std::vector<std::string>{"countrySearch", "checkAppUpgrade", "getAppsItemList"}));
        EXPECT_TRUE(std::filesystem::is_empty(home_.Path() + "/downloads"));
    }
    EXPECT_NE(store.OfferedUrls().find("/latest-client"), std::string::npos) << "the offers went through the front";
}

}  // namespace
