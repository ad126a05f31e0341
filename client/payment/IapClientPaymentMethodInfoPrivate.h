#pragma once
#include "lib/records/IapAtomic.h"
#include "platform/base/String.h"

class IapClientPaymentMethodInfoPrivate {
public:
    bool HasSameFields(const IapClientPaymentMethodInfoPrivate& other) const;

    Vx::Base::String paymentMethod;
    Vx::Base::String company;
    Vx::Base::String currencyUnit;
    Vx::Base::String paymentTypeId;
    Vx::Base::String itemName;
    Vx::Base::String providerList;
    double itemPrice = -1.0;
    bool currencyUnitHasPenny = true;
    bool currencyUnitPrecedes = true;
    IapRefCounter ref;
};
