#pragma once
// Stands for the purchase screen until its own class exists: the first scene
// of buyclient, which a resumed purchase asks to finish. It does not buy.
//
// Test seam: with IAP_CLIENT_TEST_HOOKS=1 in buyclient's environment it shows
// "testIssueTicket" (answers the caller with a purchase ticket, as a chosen
// payment method would), "testFinishPurchase" (answers with a purchased item
// and ends) and "testQuestion" (asks a question in a modal popup, as a
// payment screen does, and shows the answer in "testQuestionAnswer"), so that
// whole-system tests can reach what only real payments produce. Without the
// variable they do not exist.
#include "client/ui/IapClientPlaceholderForm.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/Label.h"

class IapClientPrivate;
class IapClientFormFactory;

class IapClientPurchasePlaceholderForm : public IapClientPlaceholderForm, public Vx::Ui::IActionEventListener {
public:
    static constexpr int kActionIssueTicket = 901;
    static constexpr int kActionFinishPurchase = 902;
    static constexpr int kActionAskQuestion = 903;

    IapClientPurchasePlaceholderForm() = default;
    // Tells the factory, so that it never reaches a deleted screen.
    ~IapClientPurchasePlaceholderForm() override;

    // E_INVALID_ARG without a facade or with a negative transaction id.
    Vx::result Construct(IapClientPrivate* client);
    void SetFactory(IapClientFormFactory* factory) { factory_ = factory; }

    // A resumed purchase: the real screen lets the chosen method finish it.
    // Here nothing is bought; the caller is answered when buyclient ends.
    void EasyBuyPurchaseItemFinish();
    int GetFinishRequestCount() const { return finishRequests_; }

    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;

private:
    Vx::result AddTestButtons();
    void AskTestQuestion();

    IapClientPrivate* client_ = nullptr;
    Vx::Ui::Controls::Label* waiting_ = nullptr;
    Vx::Ui::Controls::Label* questionAnswer_ = nullptr;
    IapClientFormFactory* factory_ = nullptr;
    int finishRequests_ = 0;
};
