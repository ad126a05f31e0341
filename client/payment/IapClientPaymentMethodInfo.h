#pragma once
// One payment method the store offers for the item being bought. A handle to
// a shared body: copies are cheap and a setter copies the body first when
// another handle still shares it.
#include "platform/base/Object.h"
#include "platform/base/String.h"

class IapClientPaymentMethodInfoPrivate;

class IapClientPaymentMethodInfo : public Vx::Base::Object {
public:
    IapClientPaymentMethodInfo();
    IapClientPaymentMethodInfo(const IapClientPaymentMethodInfo& other);
    ~IapClientPaymentMethodInfo() override;

    IapClientPaymentMethodInfo& operator=(const IapClientPaymentMethodInfo& other);
    bool operator==(const IapClientPaymentMethodInfo& other) const;
    bool operator!=(const IapClientPaymentMethodInfo& other) const { return !(*this == other); }

    Vx::Base::String GetPaymentMethod() const;  // the method code, such as "CreditCard"
    Vx::Base::String GetCompany() const;
    Vx::Base::String GetCurrencyUnit() const;
    Vx::Base::String GetPaymentTypeId() const;
    Vx::Base::String GetItemName() const;
    Vx::Base::String GetProviderList() const;
    double GetItemPrice() const;  // -1.0 until set
    bool GetCurrencyUnitHasPenny() const;
    bool GetCurrencyUnitPrecedes() const;

    void SetPaymentMethod(const Vx::Base::String& value);
    void SetCompany(const Vx::Base::String& value);
    void SetCurrencyUnit(const Vx::Base::String& value);
    void SetPaymentTypeId(const Vx::Base::String& value);
    void SetItemName(const Vx::Base::String& value);
    void SetProviderList(const Vx::Base::String& value);
    void SetItemPrice(double value);
    void SetCurrencyUnitHasPenny(bool value);
    void SetCurrencyUnitPrecedes(bool value);

    // "W1200", "0.99$", or the number alone without the unit.
    Vx::Base::String GetItemPriceFormatted(bool includeUnit) const;

private:
    IapClientPaymentMethodInfoPrivate* Writable();

    IapClientPaymentMethodInfoPrivate* d_;
};
