#include "lib/records/IapItemInformation.h"

#include "lib/records/IapItemInformationPrivate.h"
#include "lib/records/IapLibUtils.h"
#include "platform/base/Number.h"

using Vx::Base::String;

bool IapItemInformationPrivate::HasSameFields(const IapItemInformationPrivate& other) const {
    return itemId == other.itemId && itemGroupId == other.itemGroupId && itemName == other.itemName &&
           currencyUnit == other.currencyUnit && currencyUnitPrecedes == other.currencyUnitPrecedes &&
           currencyUnitHasPenny == other.currencyUnitHasPenny &&
           Vx::Base::Double::Compare(itemPrice, other.itemPrice) == 0 && itemDownloadUrl == other.itemDownloadUrl &&
           itemImageUrl == other.itemImageUrl && itemDescription == other.itemDescription &&
           reserved1 == other.reserved1 && reserved2 == other.reserved2;
}

IapItemInformation::IapItemInformation() : d_(new IapItemInformationPrivate) {}

IapItemInformation::IapItemInformation(const IapItemInformation& other) : Object(other), d_(other.d_) { d_->ref.ref(); }

IapItemInformation::~IapItemInformation() { AtomicDetach(d_); }

IapItemInformation& IapItemInformation::operator=(const IapItemInformation& other) {
    if (*this == other) return *this;
    other.d_->ref.ref();
    AtomicDetach(d_);
    d_ = other.d_;
    return *this;
}

bool IapItemInformation::operator==(const IapItemInformation& other) const {
    return d_ == other.d_ || d_->HasSameFields(*other.d_);
}

IapItemInformationPrivate* IapItemInformation::Writable() {
    d_ = AtomicCopyOnWrite(d_);
    return d_;
}

String IapItemInformation::GetItemId() const { return d_->itemId; }
String IapItemInformation::GetItemGroupId() const { return d_->itemGroupId; }
String IapItemInformation::GetItemName() const { return d_->itemName; }
String IapItemInformation::GetCurrencyUnit() const { return d_->currencyUnit; }
bool IapItemInformation::GetCurrencyUnitPrecedes() const { return d_->currencyUnitPrecedes; }
bool IapItemInformation::GetCurrencyUnitHasPenny() const { return d_->currencyUnitHasPenny; }
double IapItemInformation::GetItemPrice() const { return d_->itemPrice; }
String IapItemInformation::GetItemDownloadUrl() const { return d_->itemDownloadUrl; }
String IapItemInformation::GetItemImageUrl() const { return d_->itemImageUrl; }
String IapItemInformation::GetItemDescription() const { return d_->itemDescription; }
String IapItemInformation::GetReserved1() const { return d_->reserved1; }
String IapItemInformation::GetReserved2() const { return d_->reserved2; }

void IapItemInformation::SetItemId(const String& value) { Writable()->itemId = value; }
void IapItemInformation::SetItemGroupId(const String& value) { Writable()->itemGroupId = value; }
void IapItemInformation::SetItemName(const String& value) { Writable()->itemName = value; }
void IapItemInformation::SetCurrencyUnit(const String& value) { Writable()->currencyUnit = value; }
void IapItemInformation::SetCurrencyUnitPrecedes(bool value) { Writable()->currencyUnitPrecedes = value; }
void IapItemInformation::SetCurrencyUnitHasPenny(bool value) { Writable()->currencyUnitHasPenny = value; }
void IapItemInformation::SetItemPrice(double value) { Writable()->itemPrice = value; }
void IapItemInformation::SetItemDownloadUrl(const String& value) { Writable()->itemDownloadUrl = value; }
void IapItemInformation::SetItemImageUrl(const String& value) { Writable()->itemImageUrl = value; }
void IapItemInformation::SetItemDescription(const String& value) { Writable()->itemDescription = value; }
void IapItemInformation::SetReserved1(const String& value) { Writable()->reserved1 = value; }
void IapItemInformation::SetReserved2(const String& value) { Writable()->reserved2 = value; }

String IapItemInformation::GetItemPriceFormatted(bool includeUnit) const {
    return IapLib::FormatPrice(*this, includeUnit);
}
