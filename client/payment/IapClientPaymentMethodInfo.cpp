#include "client/payment/IapClientPaymentMethodInfo.h"

#include "client/payment/IapClientPaymentMethodInfoPrivate.h"
#include "lib/records/IapLibUtils.h"
#include "platform/base/Number.h"

using Vx::Base::String;

bool IapClientPaymentMethodInfoPrivate::HasSameFields(const IapClientPaymentMethodInfoPrivate& other) const {
    return paymentMethod == other.paymentMethod && company == other.company && currencyUnit == other.currencyUnit &&
           paymentTypeId == other.paymentTypeId && itemName == other.itemName && providerList == other.providerList &&
           Vx::Base::Double::Compare(itemPrice, other.itemPrice) == 0 &&
           currencyUnitHasPenny == other.currencyUnitHasPenny && currencyUnitPrecedes == other.currencyUnitPrecedes;
}

IapClientPaymentMethodInfo::IapClientPaymentMethodInfo() : d_(new IapClientPaymentMethodInfoPrivate) {}

IapClientPaymentMethodInfo::IapClientPaymentMethodInfo(const IapClientPaymentMethodInfo& other)
    : Object(other), d_(other.d_) {
    d_->ref.ref();
}

IapClientPaymentMethodInfo::~IapClientPaymentMethodInfo() { AtomicDetach(d_); }

IapClientPaymentMethodInfo& IapClientPaymentMethodInfo::operator=(const IapClientPaymentMethodInfo& other) {
    if (d_ == other.d_) return *this;
    other.d_->ref.ref();
    AtomicDetach(d_);
    d_ = other.d_;
    return *this;
}

bool IapClientPaymentMethodInfo::operator==(const IapClientPaymentMethodInfo& other) const {
    return d_ == other.d_ || d_->HasSameFields(*other.d_);
}

IapClientPaymentMethodInfoPrivate* IapClientPaymentMethodInfo::Writable() {
    d_ = AtomicCopyOnWrite(d_);
    return d_;
}

String IapClientPaymentMethodInfo::GetPaymentMethod() const { return d_->paymentMethod; }
String IapClientPaymentMethodInfo::GetCompany() const { return d_->company; }
String IapClientPaymentMethodInfo::GetCurrencyUnit() const { return d_->currencyUnit; }
String IapClientPaymentMethodInfo::GetPaymentTypeId() const { return d_->paymentTypeId; }
String IapClientPaymentMethodInfo::GetItemName() const { return d_->itemName; }
String IapClientPaymentMethodInfo::GetProviderList() const { return d_->providerList; }
double IapClientPaymentMethodInfo::GetItemPrice() const { return d_->itemPrice; }
bool IapClientPaymentMethodInfo::GetCurrencyUnitHasPenny() const { return d_->currencyUnitHasPenny; }
bool IapClientPaymentMethodInfo::GetCurrencyUnitPrecedes() const { return d_->currencyUnitPrecedes; }

void IapClientPaymentMethodInfo::SetPaymentMethod(const String& value) { Writable()->paymentMethod = value; }
void IapClientPaymentMethodInfo::SetCompany(const String& value) { Writable()->company = value; }
void IapClientPaymentMethodInfo::SetCurrencyUnit(const String& value) { Writable()->currencyUnit = value; }
void IapClientPaymentMethodInfo::SetPaymentTypeId(const String& value) { Writable()->paymentTypeId = value; }
void IapClientPaymentMethodInfo::SetItemName(const String& value) { Writable()->itemName = value; }
void IapClientPaymentMethodInfo::SetProviderList(const String& value) { Writable()->providerList = value; }
void IapClientPaymentMethodInfo::SetItemPrice(double value) { Writable()->itemPrice = value; }
void IapClientPaymentMethodInfo::SetCurrencyUnitHasPenny(bool value) { Writable()->currencyUnitHasPenny = value; }
void IapClientPaymentMethodInfo::SetCurrencyUnitPrecedes(bool value) { Writable()->currencyUnitPrecedes = value; }

String IapClientPaymentMethodInfo::GetItemPriceFormatted(bool includeUnit) const {
    return IapLib::FormatPrice(*this, includeUnit);
}
