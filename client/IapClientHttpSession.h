#pragma once
// The client's connection to the store: payment method search, purchase id,
// password check and the payment methods' own functions. One gated request
// (all but the password check) may be outstanding at a time; every reply goes
// to the client listener.
#include "lib/protocol/IapCommonHttpSession.h"
#include "lib/records/IapItemInformation.h"

class IapClientListener;
class IapClientHttpSessionPrivate;

class IapClientHttpSession : public IapCommonHttpSession {
public:
    static constexpr const wchar_t* kRefusedTitle = L"Error";
    static constexpr const wchar_t* kRefusedText =
        L"Not sent: the store's address is not secure (https), and card details and passwords go only to a "
        L"secure store.";
    static constexpr unsigned long kRefusedTimeoutMs = 5000;

    IapClientHttpSession();
    ~IapClientHttpSession() override;

    // E_OUT_OF_MEMORY when the private part cannot be made; the common
    // session's failure otherwise.
    Vx::result Construct(IapClientListener* listener);

    // E_INVALID_ARG for a negative transaction id or an empty item id;
    // E_IN_PROGRESS while a gated request is outstanding.
    Vx::result RequestPaymentMethodSearch(int transactionId, const IapItemInformation& item);
    Vx::result RequestPurchaseId(int transactionId, const Vx::Base::String& itemId);
    // Not gated.
    Vx::result RequestCheckPassword(int transactionId, const Vx::Base::String& accountId,
                                    const Vx::Base::String& password);
    // The transaction id used (10000, 10001, ...; one is used up by every
    // call), or -1 when a request is outstanding or sending failed.
    int RequestPaymentMethodFunction(IapCommonHttp::FunctionId function, const IapCommonHttp::Params& params);

    void HandleErrorReply(const IapCommonHttpReply& reply) override;
    void HandleReply(const IapCommonHttpReply& reply) override;

    void WaitDialogShow();
    void WaitDialogHide();

    // For tests and the facade: whether a gated request is outstanding.
    bool IsGatePending() const;

protected:
    // Secrets (password, card number, security code) go only to an https or
    // loopback store; anything else is refused here, where every request passes.
    bool MaySend(const Vx::Base::String& url, IapCommonHttp::FunctionId function,
                 const IapCommonHttp::Params& params) override;
    // Tells the user that nothing was sent (a timed message box); a seam for tests.
    virtual void ReportRefusedDestination();

private:
    enum class Fallback { Reply, ErrorReply };
    void Dispatch(const IapCommonHttpReply& reply, Fallback fallback);
    void ProcessPaymentMethodList(const IapCommonHttpReply& reply);
    void ProcessCheckPassword(const IapCommonHttpReply& reply);
    Vx::result SendGated(int transactionId, IapCommonHttp::FunctionId function, const IapCommonHttp::Params& params);

    IapClientHttpSessionPrivate* d_ = nullptr;
};
