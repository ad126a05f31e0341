#pragma once
// The client facade: the one gate through which screens and payment methods
// reach the store (one request outstanding at a time, its reply handed to the
// listener that asked), and the one object that answers the application that
// launched buyclient.
#include "client/IapClientListener.h"
#include "lib/records/IapItemInformation.h"
#include "platform/app/AppTypes.h"
#include "platform/base/HashMap.h"

class IapClientHttpSession;

class IapClientPrivate : public IapClientListener {
public:
    IapClientPrivate();
    ~IapClientPrivate() override;

    // E_INVALID_STATE when called twice; E_OUT_OF_MEMORY when the session
    // cannot be made; the session's own failure otherwise.
    Vx::result Construct();

    // Each fails with E_IN_PROGRESS while a request is outstanding and then
    // changes nothing; a send failure is returned and nothing is recorded.
    Vx::result RequestPaymentMethodSearch(int transactionId, const IapItemInformation& item,
                                          IapClientListener* listener);
    Vx::result RequestPurchaseId(int transactionId, const Vx::Base::String& itemId, IapClientListener* listener);
    Vx::result RequestCheckPassword(int transactionId, const Vx::Base::String& accountId,
                                    const Vx::Base::String& password, IapClientListener* listener);
    // The transaction id the session chose, or -1.
    int RequestPaymentMethodFunction(IapCommonHttp::FunctionId function, const IapCommonHttp::Params& params,
                                     IapClientListener* listener);

    // Replies from the session, forwarded to the waiting listener when they
    // answer the outstanding request; the gate is clear before the call.
    void OnPaymentMethodListReceived(int transactionId, IapCommonHttp::ErrorCode errorCode,
                                     const IapItemList<IapClientPaymentMethodInfo>& methods) override;
    void OnPaymentMethodFunction(const IapCommonHttpReply& reply) override;
    void OnCheckPasswordReceived(int transactionId, IapCommonHttp::ErrorCode errorCode, int result) override;

    // Answers the caller with the ticket; buyclient keeps running for the resume.
    void OnPurchaseItemInitialized(int transactionId, IapLib::StatusCode status,
                                   const IapPurchaseTicket& ticket) override;
    // Answers the caller (if still owed) with the stored transaction id, then
    // asks the application to end, also when nothing was owed.
    void OnPurchaseItemFinished(int transactionId, IapLib::StatusCode status,
                                const IapPurchasedItemInformation& item) override;

    bool IsRequestPending() const { return pendingTransactionId_ != -1; }
    IapClientHttpSession* GetSession() const { return session_; }

    // What the frame learned from the purchase request; read by the screens.
    IapItemInformation item;
    Vx::App::RequestId purchaseRequestId = Vx::App::INVALID_REQUEST_ID;
    int transactionId = -1;
    // The request still owed an answer; -1 when none.
    Vx::App::RequestId answerRequestId = Vx::App::INVALID_REQUEST_ID;

protected:
    // Seams for tests: where answers go, how the answer map is made (null
    // when it cannot be), and how the application is asked to end.
    virtual Vx::result SendAnswer(Vx::App::RequestId requestId, Vx::App::AppCtrlResult result,
                                  const Vx::Base::Collection::IMap* extraData);
    virtual Vx::Base::Collection::HashMap* CreateAnswerMapN();
    virtual void RequestTermination();

private:
    bool Matches(int transactionId, IapCommonHttp::FunctionId function) const;
    IapClientListener* TakeListener();
    void Remember(int transactionId, IapCommonHttp::FunctionId function, IapClientListener* listener);
    template <typename Record>
    void Answer(Vx::App::RequestId requestId, const Record& record,
                Vx::result (*writer)(const Record&, Vx::Base::Collection::HashMap*), int transactionId,
                const wchar_t* method, IapLib::StatusCode status);

    IapClientHttpSession* session_ = nullptr;
    IapClientListener* pendingListener_ = nullptr;
    int pendingTransactionId_ = -1;
    IapCommonHttp::FunctionId pendingFunction_ = IapCommonHttp::FUNCTION_NONE;
};
