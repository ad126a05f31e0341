#include <gtest/gtest.h>

#include <fstream>

#include "platform/account/AccountStore.h"
#include "tests/tools/ToolTestSupport.h"
#include "tools/oblin-account-service/AccountServiceProtocol.h"

using namespace ToolTest;
using Vx::Account::Account;
using Vx::Account::AccountProvider;
using Vx::Account::AccountStore;
using Vx::Base::String;

namespace {

class OblinAccountServiceTest : public ::testing::Test {
protected:
    RunResult AskService(std::vector<std::string> extra = {kClientId, kClientSecret,
                                                           "additional=user_id,email_id,mcc,server_url"},
                         const std::string& operation = kView) {
        std::vector<std::string> args{Bin("appctl"), "--json", "--timeout", "30", kServiceApp, operation};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(args);
    }
    static void AddAccount(const String& provider, const String& user, const String& userId) {
        AccountStore store;
        ASSERT_EQ(store.Construct(), Vx::E_SUCCESS);
        Account account(AccountProvider(provider), user);
        account.SetExtendedData(Account::USER_ID_KEY, userId);
        account.SetExtendedData(Account::MCC_KEY, L"450");
        account.SetExtendedData(Account::SERVER_URL_KEY, L"http://127.0.0.1:8640/store");
        ASSERT_EQ(store.AddAccount(account), Vx::E_SUCCESS);
    }

    PlatformHome home_;
};

TEST_F(OblinAccountServiceTest, AnswersNotSignedInWithoutAnAccount) {
    RunResult run = AskService();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(JsonValue(run.output, "result"), "0");
    EXPECT_EQ(JsonValue(run.output, "resultCode"), "1");
    EXPECT_EQ(JsonValue(run.output, "additionalValues"), "");
}

TEST_F(OblinAccountServiceTest, AnswersTheFirstAccountOfItsOwnProvider) {
    AddAccount(L"other.Provider", L"someone@example.com", L"X1");
    AddAccount(L"a7qd02lm9x.OblinAccount", L"anna@example.com", L"U42");
    AddAccount(L"a7qd02lm9x.OblinAccount", L"bob@example.com", L"U43");
    RunResult run = AskService();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(JsonValue(run.output, "resultCode"), "0");
    // The URL's colons are encoded so that a reader splitting at ',' and ':' keeps it whole.
    EXPECT_EQ(JsonValue(run.output, "additionalValues"),
              "user_id:U42,email_id:anna@example.com,mcc:450,server_url:http%3A//127.0.0.1%3A8640/store");
}

TEST_F(OblinAccountServiceTest, RefusesUnknownClientsAndOtherOperations) {
    RunResult noSecret = AskService({kClientId});
    EXPECT_EQ(JsonValue(noSecret.output, "result"), "1") << noSecret.output;
    EXPECT_EQ(JsonValue(noSecret.output, "resultCode"), "5");
    EXPECT_NE(JsonValue(noSecret.output, "errorMessage"), "");

    RunResult wrongId = AskService({"client_id=someone", kClientSecret});
    EXPECT_EQ(JsonValue(wrongId.output, "resultCode"), "5") << wrongId.output;

    AddAccount(L"a7qd02lm9x.OblinAccount", L"anna@example.com", L"U42");
    RunResult otherOperation = AskService({kClientId, kClientSecret}, "/appcontrol/operation/pick");
    EXPECT_EQ(JsonValue(otherOperation.output, "result"), "1") << otherOperation.output;
    EXPECT_EQ(JsonValue(otherOperation.output, "resultCode"), "7");
    EXPECT_EQ(otherOperation.output.find("U42"), std::string::npos);
}

TEST_F(OblinAccountServiceTest, UnreadableAccountStoreIsAFailureNotAnEmptyDevice) {
    {
        std::ofstream garbage(home_.Path() + "/accounts.db");
        garbage << std::string(2048, 'g');
    }
    RunResult run = AskService();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(JsonValue(run.output, "result"), "1");
    EXPECT_EQ(JsonValue(run.output, "resultCode"), "6");
}

TEST(AccountServiceProtocolTest, EncodesOnlyTheSeparatorsAndThePercentSign) {
    EXPECT_EQ(OblinAccountService::EncodeValue(L"a,b:c%d é"), String(L"a%2Cb%3Ac%25d é"));
    Account account(AccountProvider(L"p"), L"x,y@z");
    EXPECT_EQ(OblinAccountService::BuildAdditionalValues(account),
              String(L"user_id:,email_id:x%2Cy@z,mcc:,server_url:"));
}

}  // namespace
