#pragma once
// One item offered for sale. A handle to a shared body: copies are cheap and
// a setter copies the body first when another handle still shares it.
#include "platform/base/Object.h"
#include "platform/base/String.h"

class IapItemInformationPrivate;

class IapItemInformation : public Vx::Base::Object {
public:
    IapItemInformation();
    IapItemInformation(const IapItemInformation& other);
    ~IapItemInformation() override;

    // Keeps its own body when the contents are already equal.
    IapItemInformation& operator=(const IapItemInformation& other);
    bool operator==(const IapItemInformation& other) const;
    bool operator!=(const IapItemInformation& other) const { return !(*this == other); }

    Vx::Base::String GetItemId() const;
    Vx::Base::String GetItemGroupId() const;
    Vx::Base::String GetItemName() const;
    Vx::Base::String GetCurrencyUnit() const;
    bool GetCurrencyUnitPrecedes() const;
    bool GetCurrencyUnitHasPenny() const;
    double GetItemPrice() const;  // -1.0 until set
    Vx::Base::String GetItemDownloadUrl() const;
    Vx::Base::String GetItemImageUrl() const;
    Vx::Base::String GetItemDescription() const;
    Vx::Base::String GetReserved1() const;
    Vx::Base::String GetReserved2() const;

    void SetItemId(const Vx::Base::String& value);
    void SetItemGroupId(const Vx::Base::String& value);
    void SetItemName(const Vx::Base::String& value);
    void SetCurrencyUnit(const Vx::Base::String& value);
    void SetCurrencyUnitPrecedes(bool value);
    void SetCurrencyUnitHasPenny(bool value);
    void SetItemPrice(double value);
    void SetItemDownloadUrl(const Vx::Base::String& value);
    void SetItemImageUrl(const Vx::Base::String& value);
    void SetItemDescription(const Vx::Base::String& value);
    void SetReserved1(const Vx::Base::String& value);
    void SetReserved2(const Vx::Base::String& value);

    // "$1.50" with the unit, "1.50" without (see IapLib::FormatPrice).
    Vx::Base::String GetItemPriceFormatted(bool includeUnit) const;

private:
    IapItemInformationPrivate* Writable();

    IapItemInformationPrivate* d_;
};
