#include "lib/protocol/IapCommonHttpTypes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace IapCommonHttp;
using Vx::Base::String;

std::vector<std::pair<std::wstring, std::wstring>> Entries(const Params& params) {
    std::unique_ptr<Vx::Base::Collection::IEnumeratorT<Params::Entry>> it(params.GetEnumeratorN());
    std::vector<std::pair<std::wstring, std::wstring>> out;
    Params::Entry entry;
    while (it->MoveNext() == Vx::E_SUCCESS) {
        EXPECT_EQ(it->GetCurrent(entry), Vx::E_SUCCESS);
        out.emplace_back(entry.name.ToStdWString(), entry.value.ToStdWString());
    }
    return out;
}

TEST(IapCommonHttpFunctionName, WholeTable) {
    const std::pair<int, const char*> table[] = {
        {2200, "countrySearch"},
        {2230, "searchCard"},
        {2250, "getCountryList"},
        {2300, "countrySearchEx"},
        {2306, "checkAppUpgrade"},
        {5012, "checkPassword"},
        {6001, "easybuyPurchaseItem"},
        {6003, "getPurchasedAppsItemList"},
        {6005, "getAppsItemList"},
        {6006, "appItemPurchaseCyberCash"},
        {6007, "getPaymentMethodSearch"},
        {6009, "appItemPurchasePrepaid"},
        {6012, "MicroPurchaseItem"},
        {6013, "MicroPurchaseItemAuthCode"},
        {6014, "registerCreditCardForIAP"},
        {6015, "registerPrepaidCardForIap"},
        {6016, "checkPurchasedItem"},
        {6017, "IAPPSMSBilling"},
        {6018, "IAPPSMSMODeliveryResult"},
        {6019, "IAPPSMSConfirmSMSPurchaseNS"},
        {6020, "getPurchaseID"},
    };
    for (const auto& [id, name] : table) {
        EXPECT_STREQ(GetFunctionName(static_cast<FunctionId>(id)), name) << id;
        EXPECT_TRUE(IsKnownFunction(id)) << id;
    }
    for (int id : {0, 2201, 6002, 6021, -1}) {
        EXPECT_EQ(GetFunctionName(static_cast<FunctionId>(id)), nullptr) << id;
        EXPECT_FALSE(IsKnownFunction(id)) << id;
    }
}

TEST(IapCommonHttpErrorCode, RecognisedSetIsClosed) {
    for (int code : {0, 1, 2, 3, 1000, 3013, 4002, 9000, 9001, 9100, 9114, 9200, 9215, 9219}) {
        EXPECT_EQ(ValidateErrorCode(code), code);
    }
    for (int code : {-1, 4, 500, 999, 9002, 9099, 9115, 9199, 9216, 9218, 9220, -9000}) {
        EXPECT_EQ(ValidateErrorCode(code), ERROR_UNKNOWN) << code;
    }
}

TEST(IapCommonHttpErrorCode, TranslationToCallerStatus) {
    const std::pair<int, int> table[] = {
        {0, 0},       {1, 100},     {2, 200},     {3, 9200},    {1000, 1000}, {3013, 9000}, {4002, 9201}, {9000, 9000},
        {9001, 9000}, {9100, 9000}, {9101, 9000}, {9102, 9000}, {9103, 9103}, {9104, 9104}, {9105, 9000}, {9106, 9000},
        {9107, 9201}, {9108, 9203}, {9109, 9207}, {9110, 9000}, {9111, 9000}, {9112, 9000}, {9113, 9000}, {9114, 9000},
        {9200, 9200}, {9201, 9201}, {9202, 9207}, {9203, 9203}, {9204, 9000}, {9205, 9000}, {9206, 9203}, {9207, 9207},
        {9208, 9000}, {9209, 9201}, {9210, 9000}, {9211, 9000}, {9212, 9000}, {9213, 9000}, {9214, 9000}, {9215, 9000},
        {9216, -1},   {9217, -1},   {9218, -1},   {9219, 9000}, {-1, -1},     {500, -1},    {4, -1},
    };
    for (const auto& [code, status] : table) {
        EXPECT_EQ(StatusToIapLibStatus(static_cast<ErrorCode>(code)), status) << code;
    }
}

TEST(IapCommonHttpParams, KeepsOrderAndRepeatedNames) {
    Params params;
    EXPECT_EQ(params.GetCount(), 0);
    ASSERT_EQ(params.Add(L"a", L"1"), Vx::E_SUCCESS);
    ASSERT_EQ(params.Add(L"b", L""), Vx::E_SUCCESS);
    ASSERT_EQ(params.Add(L"a", L"ü"), Vx::E_SUCCESS);
    EXPECT_EQ(params.GetCount(), 3);
    EXPECT_EQ(Entries(params),
              (std::vector<std::pair<std::wstring, std::wstring>>{{L"a", L"1"}, {L"b", L""}, {L"a", L"ü"}}));
    params.RemoveAll();
    EXPECT_EQ(params.GetCount(), 0);
}

TEST(IapCommonHttpParams, EqualityIsIdentityOfTheSharedList) {
    Params a, b;
    a.Add(L"n", L"v");
    b.Add(L"n", L"v");
    EXPECT_NE(a, b);
    Params copy(a);
    EXPECT_EQ(copy, a);
    copy.Add(L"more", L"x");
    EXPECT_NE(copy, a);
    EXPECT_EQ(a.GetCount(), 1);
    EXPECT_EQ(copy.GetCount(), 2);
}

TEST(IapCommonHttpParams, AssignmentSharesAndReleases) {
    Params a;
    a.Add(L"x", L"1");
    {
        Params b;
        b.Add(L"y", L"2");
        b = a;
        EXPECT_EQ(b, a);
        b = b;
        EXPECT_EQ(b.GetCount(), 1);
    }
    a.RemoveAll();  // a was shared with b until b went away
    EXPECT_EQ(a.GetCount(), 0);

    Params source;
    source.Add(L"k", L"v");
    Params target(source);
    target.RemoveAll();
    EXPECT_EQ(source.GetCount(), 1);
}

TEST(IapCommonHttpParams, ConstructChecksCapacity) {
    Params params;
    params.Add(L"k", L"v");
    EXPECT_EQ(params.Construct(-1), Vx::E_INVALID_ARG);
    EXPECT_EQ(params.GetCount(), 1);
    EXPECT_EQ(params.Construct(0), Vx::E_SUCCESS);
    EXPECT_EQ(params.Construct(1000000000), Vx::E_SUCCESS);  // a hint, not an allocation
    EXPECT_EQ(params.GetCount(), 1);
}

TEST(IapCommonHttpParams, EnumeratorOutlivesChangesAndTheHandle) {
    auto* params = new Params;
    params->Add(L"a", L"1");
    std::unique_ptr<Vx::Base::Collection::IEnumeratorT<Params::Entry>> it(params->GetEnumeratorN());
    params->Add(L"b", L"2");
    delete params;
    Params::Entry entry;
    EXPECT_EQ(it->GetCurrent(entry), Vx::E_INVALID_STATE);
    ASSERT_EQ(it->MoveNext(), Vx::E_SUCCESS);
    ASSERT_EQ(it->GetCurrent(entry), Vx::E_SUCCESS);
    EXPECT_EQ(entry.name, String(L"a"));
    EXPECT_EQ(it->MoveNext(), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(it->Reset(), Vx::E_SUCCESS);
    EXPECT_EQ(it->MoveNext(), Vx::E_SUCCESS);
}

}  // namespace
