#pragma once
// Sends one request at a time to the store server and hands every outcome to
// HandleReply (error code 0) or HandleErrorReply (everything else). The first
// request of a session waits behind a country search that finds the server.
#include "lib/protocol/IapCommonHttpTypes.h"
#include "lib/protocol/IapListener.h"
#include "platform/base/ArrayList.h"
#include "platform/base/IMap.h"
#include "platform/base/String.h"
#include "platform/net/HttpSession.h"
#include "platform/net/IHttpTransactionEventListener.h"

class IapCommonHttpReply;

class IapCommonHttpSession : public Vx::Net::Http::IHttpTransactionEventListener {
public:
    // Every transaction gives up after this many seconds.
    static constexpr int kTransactionTimeoutSeconds = 30;

    IapCommonHttpSession();
    ~IapCommonHttpSession() override;

    Vx::result Construct(IapListener* listener);

    Vx::result SendRequest(int transactionId, const Vx::Base::String& url, IapCommonHttp::FunctionId function,
                           const IapCommonHttp::Params& params);
    Vx::result SendRequest(int transactionId, IapCommonHttp::FunctionId function, const IapCommonHttp::Params& params);
    Vx::result SearchCountryEx(int transactionId);
    Vx::result RequestCheckAppUpgrade(int transactionId, const Vx::Base::String& unused);

    void CancelCurrentTransaction();
    void CloseCurrentTransaction();
    void ZeroPendingTransaction();
    void HandleIssueOccured(IapCommonHttp::ErrorCode errorCode);

    // Item-list parameters and reply-to-record conversions.
    Vx::result BuildRequestItemListParams(const Vx::Base::String& itemGroupId, int start, int end,
                                          IapCommonHttp::Params* out) const;
    Vx::result BuildItemListFromReply(const Vx::Base::String& itemGroupId, const IapCommonHttpReply& reply,
                                      IapItemList<IapItemInformation>* out) const;
    Vx::result FillItemInformation(const Vx::Base::Collection::IMap* record, const Vx::Base::String& itemGroupId,
                                   IapItemInformation* item) const;
    Vx::result BuildCountryListFromReply(const IapCommonHttpReply& reply, Vx::Base::Collection::ArrayList* out) const;

    // Transaction events.
    void OnTransactionReadyToRead(Vx::Net::Http::HttpSession& session, Vx::Net::Http::HttpTransaction& transaction,
                                  int availableBodyLen) override;
    void OnTransactionAborted(Vx::Net::Http::HttpSession& session, Vx::Net::Http::HttpTransaction& transaction,
                              Vx::result r) override;
    void OnTransactionReadyToWrite(Vx::Net::Http::HttpSession& session, Vx::Net::Http::HttpTransaction& transaction,
                                   int recommendedChunkSize) override;
    void OnTransactionHeaderCompleted(Vx::Net::Http::HttpSession& session, Vx::Net::Http::HttpTransaction& transaction,
                                      int headerLen, bool authRequired) override;
    void OnTransactionCompleted(Vx::Net::Http::HttpSession& session,
                                Vx::Net::Http::HttpTransaction& transaction) override;
    void OnTransactionCertVerificationRequiredN(Vx::Net::Http::HttpSession& session,
                                                Vx::Net::Http::HttpTransaction& transaction,
                                                Vx::Base::String* certificate) override;

    virtual void HandleErrorReply(const IapCommonHttpReply& reply);
    virtual void HandleReply(const IapCommonHttpReply& reply);

    // Read by the sessions and by tests.
    const Vx::Base::String& GetServerUrl() const { return serverUrl; }
    const Vx::Base::String& GetCountrySearchUrl() const { return countrySearchUrl; }
    bool HasOpenTransaction() const { return currentTransaction != nullptr; }
    bool HasPendingTransaction() const { return pendingFunctionId != IapCommonHttp::FUNCTION_NONE; }
    // The version the last upgrade check offered ("version" beside "odcUrl"),
    // so that an address that names none is still known by its version; empty
    // when the store named none or offered nothing. Valid during the
    // listener's OnCheckAppUpgradeReceived and until the next upgrade check.
    const Vx::Base::String& GetOfferedUpgradeVersion() const { return offeredUpgradeVersion_; }

protected:
    // Asked before every request leaves, with the address it goes to. A
    // refused request is not sent: its sender gets E_PERMISSION_DENIED, or a
    // local error when it was held behind a country search. Everything may go here.
    virtual bool MaySend(const Vx::Base::String& url, IapCommonHttp::FunctionId function,
                         const IapCommonHttp::Params& params);

    void ProcessCountrySearchExReply(const IapCommonHttpReply& reply);
    void ProcessCheckAppUpgrade(const IapCommonHttpReply& reply);
    void ReportLocalError(int transactionId, IapCommonHttp::FunctionId function, int errorCode);

    IapListener* listener = nullptr;
    bool currencyUnitPrecedes = false;
    bool currencyUnitHasPenny = false;
    bool currencyUnitDivision = false;
    bool freeStoreClsf = false;
    IapCommonHttp::Params pendingParams;
    IapCommonHttp::FunctionId pendingFunctionId = IapCommonHttp::FUNCTION_NONE;
    int pendingTransactionId = -1;
    Vx::Net::Http::HttpTransaction* currentTransaction = nullptr;
    IapCommonHttp::FunctionId currentFunctionId = IapCommonHttp::FUNCTION_NONE;
    int currentTransactionId = -1;
    Vx::Net::Http::HttpSession httpSession;
    Vx::Base::String serverUrl;
    Vx::Base::String countrySearchUrl;
    Vx::Base::String countryCode;
    int snsVal = 0;
    bool freetabClsf = false;

private:
    void SendPendingAfterCountrySearch();
    bool IsCountrySearch(IapCommonHttp::FunctionId function) const;

    bool constructed_ = false;
    // Country searches made for the request now held; a search that leaves
    // the server unknown is repeated once, then the held request fails.
    int countrySearchesForPending_ = 0;
    Vx::Base::String offeredUpgradeVersion_;
};
