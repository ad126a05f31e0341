#pragma once
// A credit card method whose screens are recorded instead of shown, bound to
// a facade whose answers are recorded, against a real iap-sandbox.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/payment/IapClientPaymentCreditCard.h"
#include "tests/client/ClientTestSupport.h"
#include "tests/support/SandboxProcess.h"

namespace PaymentTest {

inline constexpr const wchar_t* kKnight = L"000000002001";
inline constexpr const wchar_t* kCharacters = L"100000000002";
inline constexpr const wchar_t* kDemoUser = L"U1000001";

class RecordingCard : public IapClientPaymentCreditCard {
public:
    std::vector<std::string> errors;
    std::vector<std::string> messages;
    std::vector<int> terminations;
    int cvcShown = 0;
    int cvcHidden = 0;
    int registrations = 0;
    int backs = 0;
    std::wstring cvc;
    Vx::result registrationResult = Vx::E_SUCCESS;  // what opening the registration screen gives

    void Attach(IapClientPrivate* facade) { AttachFacade(facade); }

protected:
    void ShowTimedErrorMessage(const Vx::Base::String& text) override { errors.push_back(text.ToUtf8()); }
    void ShowTimedMessage(const Vx::Base::String& text) override { messages.push_back(text.ToUtf8()); }
    void SendTerminate(IapLib::StatusCode status) override { terminations.push_back(status); }
    void ShowCvcPopup() override { ++cvcShown; }
    void HideCvcPopup() override { ++cvcHidden; }
    Vx::Base::String GetEnteredCvc() const override { return Vx::Base::String(cvc.c_str()); }
    void ClearEnteredCvc() override { cvc.clear(); }
    Vx::result GoToRegistration() override {
        ++registrations;
        return registrationResult;
    }
    Vx::result GoBackToPurchase() override {
        ++backs;
        return Vx::E_SUCCESS;
    }
};

inline IapItemInformation Knight() {
    IapItemInformation item;
    item.SetItemId(kKnight);
    item.SetItemGroupId(kCharacters);
    item.SetItemName(L"Knight");
    item.SetItemPrice(1.5);
    return item;
}

inline IapClientPaymentMethodInfo CreditCardInfo() {
    IapClientPaymentMethodInfo info;
    info.SetPaymentMethod(L"CreditCard");
    info.SetPaymentTypeId(L"CC01");
    return info;
}

// How many requests of this function the sandbox has seen.
inline int RequestsOf(const IapTest::SandboxProcess& sandbox, const std::string& function) {
    const std::string log = sandbox.Admin("GET", "/admin/requests?limit=500").body;
    const std::string needle = "\"function\":\"" + function + "\"";
    int count = 0;
    for (std::size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1))
        ++count;
    return count;
}

// How many charges the sandbox recorded for the purchase id.
inline int Charges(const IapTest::SandboxProcess& sandbox, const std::string& purchaseId) {
    const std::string body = sandbox.Admin("GET", "/admin/charges?purchaseId=" + purchaseId).body;
    int count = 0;
    for (std::size_t at = body.find("\"purchaseId\""); at != std::string::npos;
         at = body.find("\"purchaseId\"", at + 1))
        ++count;
    return count;
}

}  // namespace PaymentTest
