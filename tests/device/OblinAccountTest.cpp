#include "lib/device/OblinAccount.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/account/AccountStore.h"
#include "platform/base/HashMap.h"
#include "tests/platform/system/TempPlatformHome.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;

namespace {

struct Reply {
    enum Kind { kAccessToken, kSignIn } kind;
    int code;
    std::vector<std::string> values;  // user id, email id, mcc, server url (access token only)
};

class RecordingListener : public IOblinAccountListener {
public:
    void OnAccessTokenReply(OblinAccountResult::ResultCode result, const String& userId, const String& emailId,
                            const String& mcc, const String& serverUrl) override {
        replies.push_back(
            {Reply::kAccessToken, result, {userId.ToUtf8(), emailId.ToUtf8(), mcc.ToUtf8(), serverUrl.ToUtf8()}});
    }
    void OnSignInTokenReply(OblinAccountResult::ResultCode result) override {
        replies.push_back({Reply::kSignIn, result, {}});
    }
    std::vector<Reply> replies;
};

// Extra data as the account applications send it: a map that owns its strings.
class Answer {
public:
    using Entries = std::vector<std::pair<std::string, std::string>>;
    Answer(std::initializer_list<std::pair<std::string, std::string>> entries) : Answer(Entries(entries)) {}
    explicit Answer(const Entries& entries) : map_(ElementOwnership::Owned) {
        map_.Construct(8);
        for (const auto& [key, value] : entries) {
            map_.Add(new String(String::FromUtf8(key)), new String(String::FromUtf8(value)));
        }
    }
    const IMap* Get() const { return &map_; }

private:
    HashMap map_;
};

class OblinAccountTest : public ::testing::Test {
protected:
    // Delivers an answer as the platform would, from the given application.
    void Deliver(const String& fromApp, const Answer& answer,
                 const String& operation = OblinAccount::oblinAccountOperationView) {
        account_.OnAppControlCompleteResponseReceived(fromApp, operation, App::APP_CTRL_RESULT_SUCCEEDED, answer.Get());
    }
    void DeliverToken(const Answer& answer) { Deliver(OblinAccount::oblinAccountServiceAppId, answer); }
    void DeliverSignIn(const Answer& answer) { Deliver(OblinAccount::oblinAccountAppId, answer); }

    RecordingListener listener_;
    OblinAccount account_{listener_};
};

TEST_F(OblinAccountTest, AccessTokenValuesAreTakenInOrderFromThePairs) {
    struct Row {
        const char* additional;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"user_id:abc,email_id:e1,mcc:450,server_url:xyz", {"abc", "e1", "450", "xyz"}},
        {"user_id:abc,email_id:e1", {"abc", "e1", "", ""}},
        {"user_id:abc,email_id", {"abc", "", "", ""}},
        // Names are not checked: the position decides.
        {"a:U7,b:mail,c:262,d:url", {"U7", "mail", "262", "url"}},
        // A URL keeps its own colons; only the first one separates name and value.
        {"user_id:U42,email_id:anna@example.com,mcc:450,server_url:http://127.0.0.1:8640/store",
         {"U42", "anna@example.com", "450", "http://127.0.0.1:8640/store"}},
        {"user_id:U1,email_id:,mcc:,server_url:http://h/s", {"U1", "", "", "http://h/s"}},
        // Separators inside values arrive escaped and are decoded once.
        {"user_id:U%2C1,email_id:a%25b,mcc:450,server_url:http%3A//h%3A80/s%252C",
         {"U,1", "a%b", "450", "http://h:80/s%2C"}},
    };
    for (const Row& row : rows) {
        listener_.replies.clear();
        account_.SetLastRequest(OblinAccount::REQUEST_ACCESS_TOKEN);
        DeliverToken(Answer{{"resultCode", "0"}, {"additionalValues", row.additional}});
        ASSERT_EQ(listener_.replies.size(), 1u) << row.additional;
        EXPECT_EQ(listener_.replies[0].kind, Reply::kAccessToken);
        EXPECT_EQ(listener_.replies[0].code, 0) << row.additional;
        EXPECT_EQ(listener_.replies[0].values, row.expected) << row.additional;
        EXPECT_EQ(account_.GetLastRequest(), OblinAccount::REQUEST_NONE);
    }
}

TEST_F(OblinAccountTest, UnusableTokenAnswersAreFailuresWithoutUserData) {
    const std::vector<std::pair<const char*, Answer::Entries>> cases = {
        {"no result code", {{"additionalValues", "user_id:abc"}}},
        {"result code not a number", {{"resultCode", "ok"}, {"additionalValues", "user_id:abc"}}},
        {"result code with trailing text", {{"resultCode", "0x"}, {"additionalValues", "user_id:abc"}}},
        {"success without user data", {{"resultCode", "0"}}},
        {"success with an empty user id", {{"resultCode", "0"}, {"additionalValues", "user_id:,email_id:e"}}},
    };
    for (const auto& [what, entries] : cases) {
        listener_.replies.clear();
        account_.SetLastRequest(OblinAccount::REQUEST_ACCESS_TOKEN);
        DeliverToken(Answer(entries));
        ASSERT_EQ(listener_.replies.size(), 1u) << what;
        EXPECT_NE(listener_.replies[0].code, OblinAccountResult::RESULT_SUCCESS) << what;
        EXPECT_NE(listener_.replies[0].code, OblinAccountResult::RESULT_NOT_SIGNED_IN)
            << what << ": must not start yet another sign-in";
        EXPECT_EQ(listener_.replies[0].values, (std::vector<std::string>{"", "", "", ""})) << what;
    }
}

TEST_F(OblinAccountTest, MissingExtraDataIsAFailureNotAStaleSuccess) {
    account_.SetLastRequest(OblinAccount::REQUEST_ACCESS_TOKEN);
    DeliverToken(Answer{{"resultCode", "0"}, {"additionalValues", "user_id:abc"}});
    ASSERT_EQ(listener_.replies.back().code, 0);

    account_.SetLastRequest(OblinAccount::REQUEST_SIGN_IN);
    account_.OnAppControlCompleteResponseReceived(OblinAccount::oblinAccountAppId,
                                                  OblinAccount::oblinAccountOperationView, App::APP_CTRL_RESULT_ABORTED,
                                                  nullptr);
    ASSERT_EQ(listener_.replies.size(), 2u);
    EXPECT_EQ(listener_.replies[1].kind, Reply::kSignIn);
    EXPECT_NE(listener_.replies[1].code, 0);

    account_.SetLastRequest(OblinAccount::REQUEST_ACCESS_TOKEN);
    account_.OnAppControlCompleteResponseReceived(OblinAccount::oblinAccountServiceAppId,
                                                  OblinAccount::oblinAccountOperationView,
                                                  App::APP_CTRL_RESULT_TERMINATED, nullptr);
    ASSERT_EQ(listener_.replies.size(), 3u);
    EXPECT_NE(listener_.replies[2].code, 0);
    EXPECT_EQ(listener_.replies[2].values[0], "");
}

TEST_F(OblinAccountTest, FailureCodesAndErrorTextArePassedOn) {
    for (const char* code : {"1", "2", "3", "-7", "42"}) {
        listener_.replies.clear();
        account_.SetLastRequest(OblinAccount::REQUEST_ACCESS_TOKEN);
        // User data beside a failure code is not handed out.
        DeliverToken(Answer{{"resultCode", code}, {"errorMessage", code}, {"additionalValues", "user_id:abc"}});
        ASSERT_EQ(listener_.replies.size(), 1u);
        EXPECT_EQ(std::to_string(listener_.replies[0].code), code);
        EXPECT_EQ(listener_.replies[0].values[0], "");
        EXPECT_EQ(account_.GetLastError().ToUtf8(), code);
    }
    account_.SetLastRequest(OblinAccount::REQUEST_SIGN_IN);
    DeliverSignIn(Answer{{"resultCode", "2"}});
    ASSERT_EQ(listener_.replies.size(), 2u);
    EXPECT_EQ(listener_.replies[1].kind, Reply::kSignIn);
    EXPECT_EQ(listener_.replies[1].code, 2);
    EXPECT_EQ(account_.GetLastError().ToUtf8(), "42") << "an answer without a message keeps the last one";
}

TEST_F(OblinAccountTest, OnlyTheAwaitedApplicationAndOperationAnswer) {
    account_.SetLastRequest(OblinAccount::REQUEST_ACCESS_TOKEN);
    Answer success{{"resultCode", "0"}, {"additionalValues", "user_id:abc"}};
    Deliver(OblinAccount::oblinAccountAppId, success);  // the sign-in application, not the service
    Deliver(OblinAccount::oblinAccountServiceAppId, success, String(L"http://vexmora.com/appcontrol/operation/pick"));
    Deliver(String(L"com.example.other"), success);
    EXPECT_TRUE(listener_.replies.empty());
    EXPECT_EQ(account_.GetLastRequest(), OblinAccount::REQUEST_ACCESS_TOKEN) << "a stray answer must not consume it";

    DeliverToken(success);
    ASSERT_EQ(listener_.replies.size(), 1u);
    EXPECT_EQ(listener_.replies[0].values[0], "abc");

    // Answered once: a late duplicate reports nothing.
    DeliverToken(success);
    EXPECT_EQ(listener_.replies.size(), 1u);

    account_.SetLastRequest(OblinAccount::REQUEST_SIGN_IN);
    DeliverToken(success);
    EXPECT_EQ(listener_.replies.size(), 1u);
    DeliverSignIn(Answer{{"resultCode", "0"}});
    ASSERT_EQ(listener_.replies.size(), 2u);
    EXPECT_EQ(listener_.replies[1].kind, Reply::kSignIn);
    EXPECT_EQ(listener_.replies[1].code, 0);
}

TEST_F(OblinAccountTest, ReplacingAPendingTokenRequestAnswersItFirst) {
    account_.SetLastRequest(OblinAccount::REQUEST_ACCESS_TOKEN);
    account_.SetLastRequest(OblinAccount::REQUEST_SIGN_IN);
    ASSERT_EQ(listener_.replies.size(), 1u);
    EXPECT_EQ(listener_.replies[0].kind, Reply::kAccessToken);
    EXPECT_EQ(listener_.replies[0].code, OblinAccountResult::RESULT_NOT_SIGNED_IN);
    EXPECT_EQ(listener_.replies[0].values, (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(account_.GetLastRequest(), OblinAccount::REQUEST_SIGN_IN);

    // A pending sign-in is replaced silently.
    account_.SetLastRequest(OblinAccount::REQUEST_NONE);
    EXPECT_EQ(listener_.replies.size(), 1u);
}

TEST_F(OblinAccountTest, StartingWithoutTheAccountApplicationsFailsAndKeepsThePendingRequest) {
    TempPlatformHome home;  // no application installed there
    unsetenv("IAP_APPS_DIR");
    account_.SetLastRequest(OblinAccount::REQUEST_SIGN_IN);
    EXPECT_EQ(account_.RequestAccessToken(), E_FAILURE);
    EXPECT_EQ(account_.RequestSignIn(), E_FAILURE);
    EXPECT_EQ(account_.GetLastRequest(), OblinAccount::REQUEST_SIGN_IN);
    EXPECT_TRUE(listener_.replies.empty());
}

// Accounts in a store of a private platform home.
class OblinAccountSignInStatusTest : public ::testing::Test {
protected:
    void Add(const char* provider, const char* userName) {
        Account::AccountStore store;
        ASSERT_EQ(store.Construct(), E_SUCCESS);
        Account::Account account(Account::AccountProvider(String::FromUtf8(provider)), String::FromUtf8(userName));
        ASSERT_EQ(store.AddAccount(account), E_SUCCESS);
    }

    TempPlatformHome home_;
    RecordingListener listener_;
    OblinAccount account_{listener_};
};

TEST_F(OblinAccountSignInStatusTest, OnlyANamedAccountOfTheAccountServiceCounts) {
    EXPECT_FALSE(account_.CheckSignInStatus()) << "no account store at all";
    Add("com.example.mail", "anna@example.com");
    EXPECT_FALSE(account_.CheckSignInStatus()) << "another provider's account";
    Add("a7qd02lm9x.OblinAccountService", "anna@example.com");
    EXPECT_FALSE(account_.CheckSignInStatus()) << "the service is not the provider of accounts";
    Add("a7qd02lm9x.OblinAccount", "kim@example.com");
    EXPECT_TRUE(account_.CheckSignInStatus());
}

TEST_F(OblinAccountSignInStatusTest, UnreadableAccountStoreMeansNotSignedIn) {
    std::ofstream(Account::AccountStore::GetDefaultPath(), std::ios::binary) << "not a database, just text\n";
    EXPECT_FALSE(account_.CheckSignInStatus());
}

}  // namespace
