#include "lib/records/IapPurchaseTicket.h"

#include "lib/records/IapAtomic.h"

using Vx::Base::String;

class IapPurchaseTicketPrivate {
public:
    bool HasSameFields(const IapPurchaseTicketPrivate& other) const {
        return itemId == other.itemId && purchaseId == other.purchaseId && verifyUrl == other.verifyUrl &&
               param1 == other.param1 && param2 == other.param2 && param3 == other.param3;
    }

    String itemId;
    String purchaseId;
    String verifyUrl;
    String param1;
    String param2;
    String param3;
    IapRefCounter ref;
};

IapPurchaseTicket::IapPurchaseTicket() : d_(new IapPurchaseTicketPrivate) {}

IapPurchaseTicket::IapPurchaseTicket(const IapPurchaseTicket& other) : d_(other.d_) { d_->ref.ref(); }

IapPurchaseTicket::~IapPurchaseTicket() { AtomicDetach(d_); }

IapPurchaseTicket& IapPurchaseTicket::operator=(const IapPurchaseTicket& other) {
    if (*this == other) return *this;
    other.d_->ref.ref();
    AtomicDetach(d_);
    d_ = other.d_;
    return *this;
}

bool IapPurchaseTicket::operator==(const IapPurchaseTicket& other) const {
    return d_ == other.d_ || d_->HasSameFields(*other.d_);
}

IapPurchaseTicketPrivate* IapPurchaseTicket::Writable() {
    d_ = AtomicCopyOnWrite(d_);
    return d_;
}

String IapPurchaseTicket::GetItemId() const { return d_->itemId; }
String IapPurchaseTicket::GetPurchaseId() const { return d_->purchaseId; }
String IapPurchaseTicket::GetVerifyUrl() const { return d_->verifyUrl; }
String IapPurchaseTicket::GetParam1() const { return d_->param1; }
String IapPurchaseTicket::GetParam2() const { return d_->param2; }
String IapPurchaseTicket::GetParam3() const { return d_->param3; }

void IapPurchaseTicket::SetItemId(const String& value) { Writable()->itemId = value; }
void IapPurchaseTicket::SetPurchaseId(const String& value) { Writable()->purchaseId = value; }
void IapPurchaseTicket::SetVerifyUrl(const String& value) { Writable()->verifyUrl = value; }
void IapPurchaseTicket::SetParam1(const String& value) { Writable()->param1 = value; }
void IapPurchaseTicket::SetParam2(const String& value) { Writable()->param2 = value; }
void IapPurchaseTicket::SetParam3(const String& value) { Writable()->param3 = value; }
