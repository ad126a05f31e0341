// What a cold list request loads: the caller and the service it launches
// open no library that only other paths need (signing, the account database).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

class BuyServiceStartupTest : public BuyServiceE2eTest {
protected:
    void TearDown() override {
        unsetenv("LD_DEBUG");
        unsetenv("LD_DEBUG_OUTPUT");
    }
};

TEST_F(BuyServiceStartupTest, AListRequestLoadsNeitherCryptoNorSqlite) {
    // The dynamic loader of each process writes every library it opens,
    // at start or later, to <prefix>.<pid>.
    std::string folder = home_.Path() + "/loader";
    std::filesystem::create_directories(folder);
    setenv("LD_DEBUG", "files", 1);
    setenv("LD_DEBUG_OUTPUT", (folder + "/ld").c_str(), 1);
    AppctlAnswer answer = Ask(kItemList, {"_transactionId=3", std::string("_itemGroupId=") + kCharacterGroup,
                                          "_startNumber=1", "_endNumber=2"});
    unsetenv("LD_DEBUG");
    unsetenv("LD_DEBUG_OUTPUT");
    ASSERT_EQ(answer.exitCode, 0) << Diagnose(answer);
    EXPECT_EQ(answer.Get("_result"), "0") << Diagnose(answer);
    EXPECT_EQ(answer.CountRecords(), 2) << Diagnose(answer);

    // The service answers before it ends; its trace is complete once the
    // loader has run the libraries' finalisers.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::map<std::string, std::string> traces;
    bool serviceEnded = false;
    while (!serviceEnded && std::chrono::steady_clock::now() < deadline) {
        traces.clear();
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::string text = ReadFile(entry.path().string());
            serviceEnded = serviceEnded || (text.find("libQt6Core") != std::string::npos &&
                                            text.find("calling fini") != std::string::npos);
            traces[entry.path().filename().string()] = text;
        }
        if (!serviceEnded) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(serviceEnded) << "buyservice did not end after answering (" << traces.size() << " traces)";
    for (const auto& [name, text] : traces) {
        EXPECT_EQ(text.find("libcrypto"), std::string::npos) << name << " opened libcrypto";
        EXPECT_EQ(text.find("libsqlite3"), std::string::npos) << name << " opened SQLite";
    }
    EXPECT_GE(traces.size(), 2u) << "a trace of appctl and one of buyservice";
}

}  // namespace
