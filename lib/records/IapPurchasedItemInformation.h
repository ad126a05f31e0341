#pragma once
// An item the user has bought: the item's fields (in the item's own shared
// body) plus the payment id and purchase date in a second shared body. The two
// bodies are shared and copied independently.
#include "lib/records/IapItemInformation.h"
#include "platform/base/DateTime.h"

class IapPurchasedItemInformationPrivate;

class IapPurchasedItemInformation : public IapItemInformation {
public:
    IapPurchasedItemInformation();
    IapPurchasedItemInformation(const IapPurchasedItemInformation& other);
    // Shares the item's body; empty payment id and default purchase date.
    explicit IapPurchasedItemInformation(const IapItemInformation& item);
    ~IapPurchasedItemInformation() override;

    IapPurchasedItemInformation& operator=(const IapPurchasedItemInformation& other);
    bool operator==(const IapPurchasedItemInformation& other) const;
    bool operator!=(const IapPurchasedItemInformation& other) const { return !(*this == other); }

    Vx::Base::String GetPaymentId() const;
    void SetPaymentId(const Vx::Base::String& value);
    Vx::Base::DateTime GetPurchaseDate() const;
    void SetPurchaseDate(const Vx::Base::DateTime& value);

private:
    bool HasSamePurchase(const IapPurchasedItemInformation& other) const;

    IapPurchasedItemInformationPrivate* p_;
};
