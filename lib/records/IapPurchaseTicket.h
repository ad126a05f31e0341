#pragma once
// The ticket the store issues when a purchase starts. A handle to a shared,
// copy-on-write body.
#include "platform/base/String.h"

class IapPurchaseTicketPrivate;

class IapPurchaseTicket {
public:
    IapPurchaseTicket();
    IapPurchaseTicket(const IapPurchaseTicket& other);
    ~IapPurchaseTicket();

    IapPurchaseTicket& operator=(const IapPurchaseTicket& other);
    bool operator==(const IapPurchaseTicket& other) const;
    bool operator!=(const IapPurchaseTicket& other) const { return !(*this == other); }

    Vx::Base::String GetItemId() const;
    Vx::Base::String GetPurchaseId() const;
    Vx::Base::String GetVerifyUrl() const;
    Vx::Base::String GetParam1() const;
    Vx::Base::String GetParam2() const;
    Vx::Base::String GetParam3() const;

    void SetItemId(const Vx::Base::String& value);
    void SetPurchaseId(const Vx::Base::String& value);
    void SetVerifyUrl(const Vx::Base::String& value);
    void SetParam1(const Vx::Base::String& value);
    void SetParam2(const Vx::Base::String& value);
    void SetParam3(const Vx::Base::String& value);

private:
    IapPurchaseTicketPrivate* Writable();

    IapPurchaseTicketPrivate* d_;
};
