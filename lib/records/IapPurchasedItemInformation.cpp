#include "lib/records/IapPurchasedItemInformation.h"

#include "lib/records/IapAtomic.h"

using Vx::Base::DateTime;
using Vx::Base::String;

class IapPurchasedItemInformationPrivate {
public:
    String paymentId;
    DateTime purchaseDate;
    IapRefCounter ref;
};

IapPurchasedItemInformation::IapPurchasedItemInformation() : p_(new IapPurchasedItemInformationPrivate) {}

IapPurchasedItemInformation::IapPurchasedItemInformation(const IapPurchasedItemInformation& other)
    : IapItemInformation(other), p_(other.p_) {
    p_->ref.ref();
}

IapPurchasedItemInformation::IapPurchasedItemInformation(const IapItemInformation& item)
    : IapItemInformation(item), p_(new IapPurchasedItemInformationPrivate) {}

// The item body is released afterwards by the base destructor.
IapPurchasedItemInformation::~IapPurchasedItemInformation() { AtomicDetach(p_); }

bool IapPurchasedItemInformation::HasSamePurchase(const IapPurchasedItemInformation& other) const {
    return p_ == other.p_ || (p_->paymentId == other.p_->paymentId && p_->purchaseDate == other.p_->purchaseDate);
}

IapPurchasedItemInformation& IapPurchasedItemInformation::operator=(const IapPurchasedItemInformation& other) {
    if (*this == other) return *this;
    IapItemInformation::operator=(other);
    if (!HasSamePurchase(other)) {
        other.p_->ref.ref();
        AtomicDetach(p_);
        p_ = other.p_;
    }
    return *this;
}

bool IapPurchasedItemInformation::operator==(const IapPurchasedItemInformation& other) const {
    return IapItemInformation::operator==(other) && HasSamePurchase(other);
}

String IapPurchasedItemInformation::GetPaymentId() const { return p_->paymentId; }

void IapPurchasedItemInformation::SetPaymentId(const String& value) {
    p_ = AtomicCopyOnWrite(p_);
    p_->paymentId = value;
}

DateTime IapPurchasedItemInformation::GetPurchaseDate() const { return p_->purchaseDate; }

void IapPurchasedItemInformation::SetPurchaseDate(const DateTime& value) {
    p_ = AtomicCopyOnWrite(p_);
    p_->purchaseDate = value;
}
