#pragma once
#include "lib/records/IapAtomic.h"
#include "platform/base/String.h"

class IapItemInformationPrivate {
public:
    bool HasSameFields(const IapItemInformationPrivate& other) const;

    Vx::Base::String itemId;
    Vx::Base::String itemGroupId;
    Vx::Base::String itemName;
    Vx::Base::String currencyUnit;
    bool currencyUnitPrecedes = true;
    bool currencyUnitHasPenny = true;
    double itemPrice = -1.0;
    Vx::Base::String itemDownloadUrl;
    Vx::Base::String itemImageUrl;
    Vx::Base::String itemDescription;
    Vx::Base::String reserved1;
    Vx::Base::String reserved2;
    IapRefCounter ref;
};
