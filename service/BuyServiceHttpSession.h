#pragma once
// The service's server session: item lists, purchased-item lists and the
// country list, reported to the service as records.
#include "lib/protocol/IapCommonHttpSession.h"

class BuyServiceHttpSession : public IapCommonHttpSession {
public:
    BuyServiceHttpSession() = default;
    ~BuyServiceHttpSession() override = default;

    Vx::result RequestItemList(const Vx::Base::String& itemGroupId, int transactionId, int start, int end,
                               IapCommonHttp::FunctionId function);
    Vx::result RequestPurchasedItemList(const Vx::Base::String& userId, const Vx::Base::String& itemGroupId,
                                        int transactionId, int start, int end, IapCommonHttp::FunctionId function);
    Vx::result RequestCountryList(int transactionId, IapCommonHttp::FunctionId function);

    void HandleReply(const IapCommonHttpReply& reply) override;
    void HandleErrorReply(const IapCommonHttpReply& reply) override;

private:
    void ProcessGetAppsItemListReply(const IapCommonHttpReply& reply);
    void ProcessGetPurchasedAppsItemListReply(const IapCommonHttpReply& reply);
    void ProcessGetCountryListReply(const IapCommonHttpReply& reply);
    IapLib::StatusCode FillPurchasedItems(const IapCommonHttpReply& reply,
                                          IapItemList<IapPurchasedItemInformation>& list) const;

    // The item group of the request in progress; also marks the session busy.
    Vx::Base::String itemGroupId_;
};
