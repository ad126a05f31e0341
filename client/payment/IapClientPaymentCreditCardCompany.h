#pragma once
// One card company the store accepts for registration.
#include "platform/base/String.h"

struct IapClientPaymentCreditCardCompany {
    Vx::Base::String name;  // "cardCompany"
    Vx::Base::String code;  // "cardCompanyCode", sent back as the card type
};
