#include "client/ui/IapClientPurchasePlaceholderForm.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "client/IapClientFormFactory.h"
#include "client/IapClientPrivate.h"
#include "client/IapResourceManager.h"
#include "client/ui/DlgEngine.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace {

bool TestHooksWanted() {
    const char* value = std::getenv("IAP_CLIENT_TEST_HOOKS");
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace

IapClientPurchasePlaceholderForm::~IapClientPurchasePlaceholderForm() {
    if (factory_) factory_->OnPurchaseScreenDestroyed(this);
}

result IapClientPurchasePlaceholderForm::Construct(IapClientPrivate* client) {
    if (!client || client->transactionId < 0) return E_INVALID_ARG;
    client_ = client;
    result r = IapClientPlaceholderForm::Construct(String(L"purchase"), String(L"PAYMENT"));
    if (r != E_SUCCESS) return r;
    Graphics::Rectangle area = GetClientAreaBounds();
    auto* item = new (std::nothrow) Label();
    if (!item) return E_OUT_OF_MEMORY;
    r = item->Construct(Graphics::Rectangle{24, 24, area.width - 48, 60}, client->item.GetItemId());
    if (r != E_SUCCESS || (r = AddControl(item)) != E_SUCCESS) {
        delete item;
        return r;
    }
    item->SetName(L"itemId");
    // Shown while a resumed purchase is being finished, as the real screen shows its waiting popup.
    waiting_ = new (std::nothrow) Label();
    if (!waiting_) return E_OUT_OF_MEMORY;
    r = waiting_->Construct(Graphics::Rectangle{24, 320, area.width - 48, 60},
                            IapResourceManager::GetStringFromID(L"IDS_ZUMEA_BODY_WAITING_ING"));
    if (r != E_SUCCESS || (r = AddControl(waiting_)) != E_SUCCESS) {
        delete waiting_;
        waiting_ = nullptr;
        return r;
    }
    waiting_->SetName(L"waiting");
    waiting_->SetShowState(false);
    return TestHooksWanted() ? AddTestButtons() : E_SUCCESS;
}

result IapClientPurchasePlaceholderForm::AddTestButtons() {
    struct Hook {
        const wchar_t* name;
        int actionId;
        int y;
    };
    for (const Hook& hook :
         {Hook{L"testIssueTicket", kActionIssueTicket, 120}, Hook{L"testFinishPurchase", kActionFinishPurchase, 220},
          Hook{L"testQuestion", kActionAskQuestion, 400}}) {
        auto* button = new (std::nothrow) Button();
        if (!button) return E_OUT_OF_MEMORY;
        result r = button->Construct(Graphics::Rectangle{24, hook.y, 400, 80}, String(hook.name));
        if (r == E_SUCCESS) r = AddControl(button);
        if (r != E_SUCCESS) {
            delete button;
            return r;
        }
        button->SetName(hook.name);
        button->SetActionId(hook.actionId);
        button->AddActionEventListener(*this);
    }
    questionAnswer_ = new (std::nothrow) Label();
    if (!questionAnswer_) return E_OUT_OF_MEMORY;
    Graphics::Rectangle area = GetClientAreaBounds();
    result r = questionAnswer_->Construct(Graphics::Rectangle{24, 500, area.width - 48, 60}, String());
    if (r != E_SUCCESS || (r = AddControl(questionAnswer_)) != E_SUCCESS) {
        delete questionAnswer_;
        questionAnswer_ = nullptr;
        return r;
    }
    questionAnswer_->SetName(L"testQuestionAnswer");
    questionAnswer_->SetShowState(false);
    return E_SUCCESS;
}

void IapClientPurchasePlaceholderForm::AskTestQuestion() {
    // Runs a nested event loop: requests, foreground changes and termination
    // arrive meanwhile, as they do under a real screen's question.
    const int answer = DlgEngine::DlgShowQuestionPopup(L"Go on with the test purchase?");
    if (!questionAnswer_) return;
    questionAnswer_->SetText(String(std::to_wstring(answer)));
    questionAnswer_->SetShowState(true);
    questionAnswer_->Invalidate();
}

void IapClientPurchasePlaceholderForm::EasyBuyPurchaseItemFinish() {
    ++finishRequests_;
    if (waiting_) {
        waiting_->SetShowState(true);
        waiting_->Invalidate();
    }
}

void IapClientPurchasePlaceholderForm::OnActionPerformed(const Ui::Control&, int actionId) {
    if (actionId == kActionIssueTicket) {
        IapPurchaseTicket ticket;
        ticket.SetItemId(client_->item.GetItemId());
        ticket.SetPurchaseId(L"test-purchase");
        client_->OnPurchaseItemInitialized(client_->transactionId, IapLib::STATUS_SUCCESS, ticket);
    } else if (actionId == kActionFinishPurchase) {
        IapPurchasedItemInformation item;
        item.SetItemId(client_->item.GetItemId());
        item.SetItemGroupId(client_->item.GetItemGroupId());
        item.SetPaymentId(L"test-payment");
        client_->OnPurchaseItemFinished(client_->transactionId, IapLib::STATUS_SUCCESS, item);
    } else if (actionId == kActionAskQuestion) {
        AskTestQuestion();
    }
}
