// Secrets (password, card number, security code) leave the device only for
// an https or loopback store: the rule itself, and the client session that
// applies it to every request, also one held behind a country search.
#include "client/IapSecretDestination.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/IapClientHttpSession.h"
#include "tests/client/ClientTestSupport.h"

using namespace Vx;
using namespace IapCommonHttp;
using namespace ClientTest;
using Vx::Base::String;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

Params Make(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> entries) {
    Params params;
    params.Construct(static_cast<int>(entries.size()));
    for (const auto& [name, value] : entries)
        params.Add(String(name), String(value));
    return params;
}

TEST(IapSecretDestinationTest, SecretsMayGoOnlyToHttpsOrLoopback) {
    struct Row {
        const wchar_t* url;
        bool allowed;
    };
    const Row rows[] = {
        {L"https://store.vexmora.com/ods.as", true},
        {L"HTTPS://Store.Vexmora.com", true},
        {L"http://127.0.0.1:8080/store", true},
        {L"http://127.1.2.3/store", true},
        {L"http://localhost:9000/store", true},
        {L"http://LOCALHOST/store", true},
        {L"http://[::1]:9000/store", true},
        {L"http://store.vexmora.com/ods.as", false},
        {L"http://10.0.0.7/store", false},
        {L"http://127.0.0.1.evil.example/store", false},
        {L"http://127.0.0.1@evil.example/store", false},
        {L"http://evil.example/127.0.0.1", false},
        {L"http://localhost.evil.example/", false},
        {L"http://127.0.0.256/", false},
        {L"http://[::2]/", false},
        {L"ftp://127.0.0.1/", false},
        {L"https://", false},
        {L"", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.allowed, IapSecretDestination::MayReceiveSecrets(String(row.url))) << String(row.url).ToUtf8();
    }
}

TEST(IapSecretDestinationTest, OnlyFilledSecretParametersCount) {
    EXPECT_TRUE(IapSecretDestination::CarriesSecret(Make({{L"emailID", L"a@b.c"}, {L"password", L"pw"}})));
    EXPECT_TRUE(IapSecretDestination::CarriesSecret(Make({{L"cardType", L"VI"}, {L"cardNum", L"4111"}})));
    EXPECT_TRUE(IapSecretDestination::CarriesSecret(Make({{L"transID", L"P1"}, {L"cvc", L"123"}})));
    EXPECT_FALSE(IapSecretDestination::CarriesSecret(Make({{L"cvc", L""}, {L"itemID", L"7"}})));
    EXPECT_FALSE(IapSecretDestination::CarriesSecret(Make({{L"itemID", L"7"}, {L"duid", L"d"}})));
    EXPECT_FALSE(IapSecretDestination::CarriesSecret(Params()));
}

// Counts the refusals instead of showing the message.
class GuardedSession : public IapClientHttpSession {
public:
    int refusals = 0;

protected:
    void ReportRefusedDestination() override { ++refusals; }
};

// A store whose country search names a plain-http store on another host.
class SecretGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<IapSessionTest::CannedServer>([](const std::string&, int tid, int function) {
            return IapSessionTest::ReplyDocument(tid, function, 0,
                                                 {{{"countryURL", "http://store.example.com/store"}}});
        });
        ASSERT_TRUE(server_->IsRunning());
        IapSessionTest::ScopedEnv url("IAP_COUNTRY_SEARCH_URL", server_->Url("/ods.as"));
        ASSERT_EQ(E_SUCCESS, session_.Construct(&listener_));
    }

    RecordingListener listener_;
    GuardedSession session_;
    std::unique_ptr<IapSessionTest::CannedServer> server_;
};

TEST_F(SecretGuardTest, APasswordHeldBehindTheCountrySearchIsRefusedOnceTheStoreIsKnown) {
    ASSERT_EQ(E_SUCCESS, session_.RequestCheckPassword(5, L"anna@example.com", L"s3cret"));
    ASSERT_TRUE(listener_.WaitForCount(1));
    EXPECT_EQ(Heard::Password, listener_.heard[0].kind);
    EXPECT_NE(0, listener_.heard[0].errorCode) << "the sender hears a failure";
    EXPECT_EQ(0, listener_.heard[0].result);
    EXPECT_EQ(1, session_.refusals);
    EXPECT_EQ(String(L"http://store.example.com/store"), session_.GetServerUrl());
    // Only the country search went out, and it carried no secret.
    ASSERT_EQ(1u, server_->Hits().size());
    EXPECT_EQ(std::string::npos, server_->Hits()[0].body.find("s3cret"));
}

TEST_F(SecretGuardTest, CardDetailsAreRefusedAtOnceWhenTheStoreIsKnown) {
    // Learn the store's address first.
    ASSERT_EQ(E_SUCCESS, session_.RequestCheckPassword(5, L"anna@example.com", L"s3cret"));
    ASSERT_TRUE(listener_.WaitForCount(1));
    ASSERT_FALSE(session_.GetServerUrl().IsEmpty());

    Params card = Make({{L"cardType", L"VI"},
                        {L"cardNum", L"4111111111111111"},
                        {L"expirationYear", L"2031"},
                        {L"expirationMonth", L"7"},
                        {L"cvc", L"123"}});
    EXPECT_EQ(-1, session_.RequestPaymentMethodFunction(FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP, card));
    EXPECT_EQ(E_PERMISSION_DENIED, session_.RequestCheckPassword(6, L"anna@example.com", L"s3cret"));
    EXPECT_EQ(3, session_.refusals);
    EXPECT_FALSE(session_.IsGatePending()) << "a refused request does not hold the gate";
    EXPECT_FALSE(session_.HasOpenTransaction());
    EXPECT_EQ(1u, server_->Hits().size());
}

}  // namespace
