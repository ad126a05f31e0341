#pragma once
// The base of every way of paying. It runs the purchase sequence the methods
// share: purchase id, ticket to the caller, the method's own charge when the
// caller resumes, the purchased item to the caller, and a bounded
// "checkPurchasedItem" when a charge's reply was lost.
#include "client/payment/IapClientPaymentMethodInfo.h"
#include "lib/protocol/IapCommonHttpTypes.h"
#include "lib/records/IapItemInformation.h"
#include "lib/records/IapLibUtils.h"
#include "platform/base/Result.h"
#include "platform/base/String.h"

class IapClientPaymentMethodListener;
class IapClientPaymentMethodPrivate;
class IapClientPrivate;
class IapCommonHttpReply;

class IapClientPaymentMethod {
public:
    // Checks sent in a row before the purchase is given up as unknown.
    static constexpr int kMaxChecks = 3;

    IapClientPaymentMethod();
    virtual ~IapClientPaymentMethod();
    IapClientPaymentMethod(const IapClientPaymentMethod&) = delete;
    IapClientPaymentMethod& operator=(const IapClientPaymentMethod&) = delete;

    virtual Vx::result Construct(const IapClientPaymentMethodInfo& info, const IapItemInformation& item);
    virtual Vx::Base::String GetDisplayName() const = 0;
    virtual void OnError(const IapCommonHttpReply& reply);
    virtual void OnProcessResponse(const IapCommonHttpReply& reply) = 0;
    // Starts the method's own charge; reached through PurchaseItemFinish.
    virtual void OnPurchaseIdReceived() = 0;

    // The method for the offered code ("CreditCard"), or null when this client
    // cannot pay that way or the facade is missing.
    static IapClientPaymentMethod* PaymentMethod(const IapClientPaymentMethodInfo& info, const IapItemInformation& item,
                                                 IapClientPrivate* facade);

    // Asks for a purchase id. E_INVALID_STATE while an earlier purchase is
    // still under way (its ticket is out and not resumed, or its charge is
    // unsettled): the purchase id and the owed answer stay that purchase's.
    Vx::result RequestPurchase(int transactionId, const Vx::Base::String& itemId, const Vx::Base::String& userId);
    // The caller resumed. E_INVALID_STATE unless a ticket is waiting for it,
    // so a repeated resume never charges twice.
    Vx::result PurchaseItemFinish();
    int SendPaymentMethodRequest(IapCommonHttp::FunctionId function, const IapCommonHttp::Params& params);
    void SendCheckPurchasedItemRequest();
    void ProcessPurchaseIdReceived(const IapCommonHttpReply& reply);
    void ProcessPurchaseCompleted(const IapCommonHttpReply& reply);
    // Ends buyclient with this exit status (an owed answer carries it).
    virtual void SendTerminate(IapLib::StatusCode status);

    const Vx::Base::String& GetPaymentTypeId() const;
    const Vx::Base::String& GetTransactionId() const;
    const Vx::Base::String& GetVerificationUrl() const;
    const IapItemInformation& GetItemInformation() const;
    const IapClientPaymentMethodInfo& GetPaymentMethodInfo() const;
    void SetUserID(const Vx::Base::String& userId);
    const Vx::Base::String& GetUserID() const;
    const Vx::Base::String& GetPurchasingUserId() const { return purchasingUserId_; }
    int GetCheckCounter() const;
    IapClientPrivate* GetFacade() const;

    // Every reply to this method's requests, from its private part.
    void RouteReply(const IapCommonHttpReply& reply);

    // Not owned; null for none. Told whenever the method waits for the user.
    void SetListener(IapClientPaymentMethodListener* listener) { listener_ = listener; }
    // Nothing of a purchase is under way: RequestPurchase may start one.
    bool IsIdle() const;
    // The caller holds this method's ticket and PurchaseItemFinish may run.
    bool IsAwaitingResume() const;
    // The caller resumed and the charge has not gone out yet (the method may
    // still be asking the user, e.g. for the security code).
    bool IsAwaitingCharge() const;

protected:
    // Seam for tests: how a message is shown (a modal popup on the device).
    virtual void ShowTimedErrorMessage(const Vx::Base::String& text);
    // The text of a resource id.
    static Vx::Base::String Text(const wchar_t* resourceId);
    // Whether a charge may go out now; marks it sent. Methods call it before
    // sending their charge so the device never sends one twice on its own.
    bool BeginCharge();
    // The charge was refused without being made: a new purchase may start.
    void ChargeRefused();
    // The user backed out before the charge: the purchase waits for the next resume.
    void ChargeCancelled();
    // Binds a constructed method to the facade its requests go through.
    void AttachFacade(IapClientPrivate* facade);
    // Tells the listener that the method no longer waits for the store.
    void NotifyWaitsForUser();

private:
    IapClientPaymentMethodPrivate* d_ = nullptr;
    IapClientPaymentMethodListener* listener_ = nullptr;
    Vx::Base::String purchasingUserId_;
};
