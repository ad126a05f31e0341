#include "sandbox/SensitiveParams.h"

#include <gtest/gtest.h>

namespace {

using Sandbox::SensitiveParams::IsSensitive;

TEST(SensitiveParams, PasswordsCardDataAndIdentityNumbersAreSensitive) {
    for (const char* name : {"password",
                             "Password",
                             "cardPassword",
                             "passwd",
                             "user_pwd",
                             "client_secret",
                             "cardNum",
                             "cardNumber",
                             "card_no",
                             "cardNo",
                             "cvc",
                             "CVC",
                             "cvv2",
                             "securityCode",
                             "expirationYear",
                             "expirationMonth",
                             "authNID",
                             "authPIN",
                             "pin",
                             "PIN",
                             "otp",
                             "rrn",
                             "ssn",
                             "residentNumber",
                             "identityNumber",
                             "nationalId",
                             "birthDate"})
        EXPECT_TRUE(IsSensitive(name)) << name;
}

TEST(SensitiveParams, OrdinaryParametersStayReadable) {
    for (const char* name :
         {"itemID",    "itemGroupID",    "duid",        "userID",          "emailID",           "mode",       "transID",
          "timeStamp", "cardType",       "cardCompany", "cardCompanyCode", "cardCorpSEQ",       "cardValue",  "company",
          "errNo",     "businessNumber", "shipping",    "startNum",        "latestCountryCode", "preloadApp", ""})
        EXPECT_FALSE(IsSensitive(name)) << name;
}

TEST(SensitiveParams, MaskReplacesOnlySensitiveNonEmptyValues) {
    std::vector<std::pair<std::string, std::string>> params = {
        {"emailID", "a@b.c"}, {"password", "hunter2"}, {"cvc", ""}, {"cardNum", "4111111111111111"}};
    Sandbox::SensitiveParams::Mask(params);
    EXPECT_EQ(params[0].second, "a@b.c");
    EXPECT_EQ(params[1].second, "***");
    EXPECT_EQ(params[2].second, "");
    EXPECT_EQ(params[3].second, "***");
}

}  // namespace
