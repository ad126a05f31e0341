#include "client/IapClientFrame.h"

#include <new>

#include "client/IapClientFormFactory.h"
#include "client/IapClientPrivate.h"
#include "client/IapClientScenes.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/device/OblinAccount.h"
#include "lib/records/IapAppControlKeys.h"
#include "lib/records/IapHashMapUtils.h"
#include "platform/app/App.h"
#include "platform/app/AppControlProviderManager.h"
#include "platform/app/AppManager.h"
#include "platform/app/UiApp.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
namespace Keys = IapAppControlKeys;

namespace {

const wchar_t kLockScreenAppId[] = L"com.vexmora.lockscreen";
constexpr int kAllowedAppsCapacity = 4;

void ReadInto(const IMap* extraData, const wchar_t* key, String& target) {
    String value;
    if (IapHashMapUtils::GetStringValue(extraData, String(key), value) == E_SUCCESS) target = value;
}

}  // namespace

IapClientFrame::IapClientFrame() : providerManager_(App::AppControlProviderManager::GetInstance()) {}

IapClientFrame::~IapClientFrame() {
    delete formFactory_;
    delete client_;
}

IapClientPrivate* IapClientFrame::CreateClientN() { return new (std::nothrow) IapClientPrivate(); }

IapClientFormFactory* IapClientFrame::CreateFormFactoryN(IapClientPrivate& client) {
    return new (std::nothrow) IapClientFormFactory(&client);
}

result IapClientFrame::Construct() {
    App::AppManager* appManager = App::AppManager::GetInstance();
    if (!appManager) return E_FAILURE;
    result r = appManager->AddActiveAppEventListener(*this);
    if (r != E_SUCCESS) return r;
    if (!providerManager_) return E_FAILURE;
    if ((r = providerManager_->SetAppControlProviderEventListener(this)) != E_SUCCESS) return r;
    if ((r = Frame::Construct()) != E_SUCCESS) return r;

    client_ = CreateClientN();
    if (!client_) return E_OUT_OF_MEMORY;
    if ((r = client_->Construct()) != E_SUCCESS) return r;

    // Without a factory no screen can ever be shown: that is a failure.
    formFactory_ = CreateFormFactoryN(*client_);
    if (!formFactory_) return E_OUT_OF_MEMORY;
    sceneManager_ = Ui::Scenes::SceneManager::GetInstance();
    if (!sceneManager_) return E_FAILURE;
    if ((r = sceneManager_->RegisterFormFactory(*formFactory_)) != E_SUCCESS) return r;

    App::App* app = App::App::GetInstance();
    if (!app) return E_FAILURE;
    if ((r = allowedApps_.Construct(kAllowedAppsCapacity)) != E_SUCCESS) return r;
    for (const String& appId : {String(), OblinAccount::oblinAccountAppId, app->GetAppId(), String(kLockScreenAppId)})
        Allow(appId);
    return E_SUCCESS;
}

void IapClientFrame::Allow(const App::AppId& appId) {
    if (!IsAllowedInForeground(appId)) allowedApps_.Add(appId);
}

bool IapClientFrame::IsAllowedInForeground(const App::AppId& appId) const {
    for (int i = 0; i < allowedApps_.GetCount(); ++i) {
        if (allowedApps_.At(i) == appId) return true;
    }
    return false;
}

result IapClientFrame::OnInitializing() {
    if (!sceneManager_ || !formFactory_) return E_INVALID_STATE;
    for (const IapClientScenes::Scene& scene : IapClientScenes::kScenes) {
        result r = sceneManager_->RegisterScene(String(scene.sceneId), String(scene.formId), String());
        if (r != E_SUCCESS) return r;
    }
    return formFactory_->Start();
}

result IapClientFrame::OnTerminating() {
    // Answers only a caller still owed one: one already answered hears nothing more.
    if (client_ && formFactory_)
        client_->OnPurchaseItemFinished(client_->transactionId, exitStatus_, IapPurchasedItemInformation());
    return E_SUCCESS;
}

void IapClientFrame::OnAppControlRequestReceived(App::RequestId requestId, const String& operationId, const String*,
                                                 const String*, const IMap* extraData) {
    String caller;
    if (providerManager_ && providerManager_->GetClientAppId(requestId, caller) == E_SUCCESS) Allow(caller);
    if (operationId != Keys::Operation(Keys::kOperationPurchasePath)) {
        // Nothing else is offered. Kept unanswered it would wait until
        // buyclient ends; and it must not take the place of the purchase's caller.
        Refuse(requestId, requestMode_ == RequestMode::None ? Decision::Refused : Decision::RefusedAndGoOn);
        return;
    }
    HandlePurchaseRequest(requestId, extraData);
}

void IapClientFrame::HandleBogusSettings(const IMap* extraData) {
    ReadInto(extraData, Keys::kMcc, bogusSystemInfo_.mcc);
    ReadInto(extraData, Keys::kMnc, bogusSystemInfo_.mnc);
    ReadInto(extraData, Keys::kImei, bogusSystemInfo_.imei);
    ReadInto(extraData, Keys::kPhoneNumber, bogusSystemInfo_.phoneNumber);
    ReadInto(extraData, Keys::kDeviceModel, bogusSystemInfo_.deviceModel);
    ReadInto(extraData, Keys::kMode, modeOverride_);
    bogusSystemInfo_.Set();
    if (!modeOverride_.IsEmpty()) IapSystemInfo::GetInstance().mode = modeOverride_ == L"1" ? L"1" : L"0";
}

IapClientFrame::Decision IapClientFrame::HandlePurchaseRequest(App::RequestId requestId, const IMap* extraData) {
    int transactionId = -1;
    // A negative number cannot name a purchase: the screens refuse it later, so refuse it now.
    if (IapHashMapUtils::GetIntegerValue(extraData, String(Keys::kTransactionId), transactionId) != E_SUCCESS ||
        transactionId < 0) {
        return Refuse(requestId, Decision::Refused);
    }
    int resume = 0;
    bool hasResume = false;
    if (extraData && extraData->ContainsKey(String(Keys::kPurchaseResume), hasResume) == E_SUCCESS && hasResume &&
        IapHashMapUtils::GetIntegerValue(extraData, String(Keys::kPurchaseResume), resume) != E_SUCCESS) {
        return Refuse(requestId, Decision::Refused);
    }
    switch (requestMode_) {
    case RequestMode::None:
        if (resume == 0) return StartNewPurchase(requestId, transactionId, extraData);
        break;
    case RequestMode::NewPurchase:
        if (resume == 1) return ResumePurchase(requestId, transactionId);
        break;
    case RequestMode::ResumedPurchase:
        if (resume == 1) return ResumePurchase(requestId, transactionId);
        if (resume == 0) {
            // Ending now could drop a charge in flight; its caller is still owed the outcome.
            if (client_ && client_->answerRequestId != App::INVALID_REQUEST_ID)
                return Refuse(requestId, Decision::RefusedAndGoOn);
            return StartNewPurchase(requestId, transactionId, extraData);
        }
        break;
    }
    return Refuse(requestId, Decision::Refused);
}

IapClientFrame::Decision IapClientFrame::StartNewPurchase(App::RequestId requestId, int transactionId,
                                                          const IMap* extraData) {
    String itemId;
    String itemGroupId;
    IapHashMapUtils::GetStringValue(extraData, String(Keys::kItemId), itemId);
    IapHashMapUtils::GetStringValue(extraData, String(Keys::kItemGroupId), itemGroupId);
    if (itemId.IsEmpty() || itemGroupId.IsEmpty() || !client_ || !formFactory_)
        return Refuse(requestId, Decision::Refused);
    // Overrides are taken from accepted requests only: a refused caller must
    // not change the identity a purchase under way is sent with.
    HandleBogusSettings(extraData);
    requestMode_ = RequestMode::NewPurchase;
    formFactory_->SetStartScene(String(IapClientScenes::kScenePurchase));
    client_->transactionId = transactionId;
    client_->item.SetItemId(itemId);
    client_->item.SetItemGroupId(itemGroupId);
    client_->purchaseRequestId = requestId;
    client_->answerRequestId = requestId;
    return Decision::Accepted;
}

IapClientFrame::Decision IapClientFrame::ResumePurchase(App::RequestId requestId, int transactionId) {
    if (!client_ || !formFactory_) return Refuse(requestId, Decision::Refused);
    requestMode_ = RequestMode::ResumedPurchase;
    formFactory_->SetStartScene(String(IapClientScenes::kScenePurchase));
    client_->purchaseRequestId = requestId;
    client_->answerRequestId = requestId;
    client_->transactionId = transactionId;
    formFactory_->EasyBuyPurchaseItemFinish();
    return Decision::Accepted;
}

IapClientFrame::Decision IapClientFrame::Refuse(App::RequestId requestId, Decision decision) {
    // The request still owed an answer keeps its place: its caller hears at
    // the end; the refused caller hears this once and nothing more.
    SendRefusal(requestId);
    if (decision == Decision::Refused) RequestTermination();
    return decision;
}

void IapClientFrame::SendRefusal(App::RequestId requestId) {
    if (providerManager_) providerManager_->SendAppControlResult(requestId, App::APP_CTRL_RESULT_FAILED, nullptr);
}

void IapClientFrame::RequestTermination() { App::App::Terminate(); }

void IapClientFrame::OnActiveAppChanged(const App::AppId& appId) {
    if (!IsAllowedInForeground(appId)) RequestTermination();
}

void IapClientFrame::SendTerminate(IapLib::StatusCode status) {
    exitStatus_ = status;
    RequestTermination();
}

void IapClientFrame::SendTerminateFromAnywhere(IapLib::StatusCode status) {
    App::UiApp* app = App::UiApp::GetInstance();
    auto* frame = app ? dynamic_cast<IapClientFrame*>(app->GetAppFrame()) : nullptr;
    if (frame) {
        frame->SendTerminate(status);
    } else {
        App::App::Terminate();
    }
}
