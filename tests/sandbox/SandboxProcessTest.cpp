#include "tests/support/SandboxProcess.h"

#include "SandboxTestDocuments.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using IapTest::SandboxProcess;
using SandboxTest::ParseReply;
using SandboxTest::ReplyDoc;
using SandboxTest::RequestXml;

namespace {

struct CommandResult {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

CommandResult RunSandbox(const std::string& args) {
    CommandResult result;
    const std::string command = SandboxProcess::BinaryPath() + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 512> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class SandboxProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/sandbox-process-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    static ReplyDoc Call(const SandboxProcess& sandbox, const std::string& path, const std::string& body) {
        const SandboxProcess::Reply reply = sandbox.Request("POST", path, body);
        return reply.status == 200 ? ParseReply(reply.body) : ReplyDoc{};
    }

    static std::string IsValid(const SandboxProcess& sandbox, const std::string& email, const std::string& password) {
        const ReplyDoc doc =
            Call(sandbox, "/store", RequestXml(5012, "checkPassword", 1, {{"emailID", email}, {"password", password}}));
        return doc.records.size() == 1 ? doc.records[0].at("isValid") : "no record";
    }

    static std::string Upgrade(const SandboxProcess& sandbox) {
        const ReplyDoc doc =
            Call(sandbox, "/store",
                 RequestXml(2306, "checkAppUpgrade", 1, {{"duid", "D"}, {"preloadApp", "buyservice@1.0.0@1"}}));
        return doc.records.size() == 1 ? doc.records[0].at("upgrade") : "no record";
    }

    std::filesystem::path dir_;
};

}  // namespace

TEST_F(SandboxProcessTest, PrintsItsUrlFirstAndAnswersTheCountrySearch) {
    SandboxProcess sandbox;
    ASSERT_TRUE(sandbox.IsRunning()) << sandbox.Error();
    EXPECT_EQ(sandbox.BaseUrl(), "http://127.0.0.1:" + std::to_string(sandbox.Port()));
    EXPECT_GT(sandbox.Port(), 0);
    const ReplyDoc doc =
        Call(sandbox, "/ods.as", RequestXml(2300, "countrySearchEx", 8, {{"latestCountryCode", "450"}}));
    ASSERT_TRUE(doc.ok);
    ASSERT_EQ(doc.records.size(), 1u);
    EXPECT_EQ(doc.records[0].at("countryURL"), sandbox.StoreUrl());
    EXPECT_EQ(doc.records[0].at("countryCode"), "KR");
    EXPECT_EQ(sandbox.Stop(), 0);
}

TEST_F(SandboxProcessTest, StopsCleanlyOnSigint) {
    SandboxProcess sandbox;
    ASSERT_TRUE(sandbox.IsRunning()) << sandbox.Error();
    ::kill(sandbox.Pid(), SIGINT);
    EXPECT_EQ(sandbox.Stop(), 0);
}

TEST_F(SandboxProcessTest, DatabaseFileKeepsAccountsAndPackagesAcrossARestart) {
    const std::string db = Path("store.db");
    const std::string package = Path("buyclient.vpk");
    std::ofstream(package) << "package";
    {
        SandboxProcess first({"--db", db});
        ASSERT_TRUE(first.IsRunning()) << first.Error();
        EXPECT_EQ(IsValid(first, "restart@x.com", "pw"), "0");
        ASSERT_TRUE(first.AddAccount("restart@x.com", "pw", "U-restart", "450"));
        ASSERT_TRUE(first.RegisterPackage("buyclient", "1.1.0", package));
        EXPECT_EQ(first.Stop(), 0);
    }
    SandboxProcess second({"--db", db});
    ASSERT_TRUE(second.IsRunning()) << second.Error();
    EXPECT_EQ(IsValid(second, "restart@x.com", "pw"), "1");
    EXPECT_EQ(IsValid(second, "demo@vexmora.com", "demo1234"), "1");  // seeded once, still there
    EXPECT_EQ(Upgrade(second), "1");
}

TEST_F(SandboxProcessTest, StartupFlagsSetFaultsPackagesAndSeed) {
    const std::string package = Path("client.vpk");
    std::ofstream(package) << "bytes";
    const std::string seed = Path("seed.sql");
    std::ofstream(seed) << "INSERT INTO countries (country_code, mcc, name, currency_unit, is_default) "
                           "VALUES ('JP', '440', 'Japan', 'JPY', 1);\n";
    SandboxProcess sandbox({"--fault", "getAppsItemList:error=9204", "--fault=checkPassword:status=502:1", "--package",
                            "buyclient=1.0.1:" + package, "--seed", seed});
    ASSERT_TRUE(sandbox.IsRunning()) << sandbox.Error();

    const ReplyDoc items =
        Call(sandbox, "/store", RequestXml(6005, "getAppsItemList", 3, SandboxTest::ItemListParams("g", "1", "2")));
    EXPECT_EQ(items.errorCode, 9204);
    EXPECT_EQ(sandbox.Request("POST", "/store", RequestXml(5012, "checkPassword", 1, {})).status, 502);
    EXPECT_EQ(Upgrade(sandbox), "1");
    const ReplyDoc countries = Call(sandbox, "/ods.as", RequestXml(2250, "getCountryList", 1, {}));
    ASSERT_EQ(countries.records.size(), 1u);
    EXPECT_EQ(countries.records[0].at("countryName"), "Japan");
    const SandboxProcess::Reply download = sandbox.Request("GET", "/packages/buyclient-1.0.1.vpk");
    EXPECT_EQ(download.body, "bytes");
}

TEST_F(SandboxProcessTest, HelpDescribesOptionsAndExitsZero) {
    const CommandResult help = RunSandbox("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"--port", "--db", "--seed", "--fault", "--package", "--idle-timeout", "--request-timeout",
                             "/admin/faults", "/admin/offers", "/purchases/", "getPurchaseID", "drop"})
        EXPECT_NE(help.output.find(word), std::string::npos) << word;
}

TEST_F(SandboxProcessTest, BadCommandLinesSayWhatFailed) {
    struct Case {
        std::string args;
        int exitCode;
        const char* mentions;
    };
    const Case cases[] = {
        {"--port nope", 2, "--port"},
        {"--port 70000", 2, "--port"},
        {"--port", 2, "needs a value"},
        {"--fault getAppsItemList:explode", 2, "unknown fault kind"},
        {"--package buyclient=1.0:" + Path("missing.vpk"), 2, "no package file"},
        {"--package buyclient:1.0", 2, "ID=VERSION:PATH"},
        {"--seed " + Path("missing.sql"), 2, "seed file"},
        {"--colour red", 2, "unknown option"},
        {"stray", 2, "unexpected argument"},
        {"--idle-timeout 0", 2, "--idle-timeout"},
        {"--request-timeout soon", 2, "--request-timeout"},
        {"--port 0 --db " + Path("a-file/dir/x.db"), 1, "cannot create the folder"},
    };
    std::ofstream(Path("a-file")) << "in the way of a folder";
    for (const Case& c : cases) {
        const CommandResult result = RunSandbox(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args << "\n" << result.output;
        EXPECT_NE(result.output.find(c.mentions), std::string::npos) << c.args << "\n" << result.output;
    }
}

TEST_F(SandboxProcessTest, BusyPortIsRefused) {
    SandboxProcess first;
    ASSERT_TRUE(first.IsRunning()) << first.Error();
    const CommandResult second = RunSandbox("--port " + std::to_string(first.Port()));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.output.find("cannot listen"), std::string::npos) << second.output;
}

TEST(SandboxProcessHelper, ReportsAMissingBinary) {
    ::setenv("IAP_SANDBOX_BIN", "/nonexistent/iap-sandbox", 1);
    SandboxProcess sandbox;
    ::unsetenv("IAP_SANDBOX_BIN");
    EXPECT_FALSE(sandbox.IsRunning());
    EXPECT_FALSE(sandbox.Error().empty());
    EXPECT_EQ(sandbox.Admin("GET", "/admin/status").status, 0);
}

TEST(SandboxProcessHelper, FormEncodesReservedCharacters) {
    EXPECT_EQ(SandboxProcess::Form({{"rule", "getAppsItemList:error=9105"}, {"a b", "x&y"}}),
              "rule=getAppsItemList%3Aerror%3D9105&a%20b=x%26y");
}
