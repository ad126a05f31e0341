#include "lib/protocol/IapCommonHttpTypes.h"

#include <new>

namespace IapCommonHttp {

using Vx::result;
using Vx::Base::String;

class ParamsPrivate {
public:
    Vx::Base::Collection::ArrayListT<Params::Entry> entries;
    IapRefCounter ref;
};

namespace {

struct FunctionName {
    FunctionId id;
    const char* name;
};

constexpr FunctionName kFunctionNames[] = {
    {FUNCTION_COUNTRY_SEARCH, "countrySearch"},
    {FUNCTION_SEARCH_CARD, "searchCard"},
    {FUNCTION_GET_COUNTRY_LIST, "getCountryList"},
    {FUNCTION_COUNTRY_SEARCH_EX, "countrySearchEx"},
    {FUNCTION_CHECK_APP_UPGRADE, "checkAppUpgrade"},
    {FUNCTION_CHECK_PASSWORD, "checkPassword"},
    {FUNCTION_EASYBUY_PURCHASE_ITEM, "easybuyPurchaseItem"},
    {FUNCTION_GET_PURCHASED_APPS_ITEM_LIST, "getPurchasedAppsItemList"},
    {FUNCTION_GET_APPS_ITEM_LIST, "getAppsItemList"},
    {FUNCTION_APP_ITEM_PURCHASE_CYBER_CASH, "appItemPurchaseCyberCash"},
    {FUNCTION_GET_PAYMENT_METHOD_SEARCH, "getPaymentMethodSearch"},
    {FUNCTION_APP_ITEM_PURCHASE_PREPAID, "appItemPurchasePrepaid"},
    {FUNCTION_MICRO_PURCHASE_ITEM, "MicroPurchaseItem"},
    {FUNCTION_MICRO_PURCHASE_ITEM_AUTH_CODE, "MicroPurchaseItemAuthCode"},
    {FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP, "registerCreditCardForIAP"},
    {FUNCTION_REGISTER_PREPAID_CARD_FOR_IAP, "registerPrepaidCardForIap"},
    {FUNCTION_CHECK_PURCHASED_ITEM, "checkPurchasedItem"},
    {FUNCTION_IAP_PSMS_BILLING, "IAPPSMSBilling"},
    {FUNCTION_IAP_PSMS_MO_DELIVERY_RESULT, "IAPPSMSMODeliveryResult"},
    {FUNCTION_IAP_PSMS_CONFIRM_SMS_PURCHASE_NS, "IAPPSMSConfirmSMSPurchaseNS"},
    {FUNCTION_GET_PURCHASE_ID, "getPurchaseID"},
};

// Keeps the list alive for as long as the enumerator exists, so a handle that
// changes or goes away meanwhile cannot pull the entries from under it.
class ParamsEnumerator : public Vx::Base::Collection::IEnumeratorT<Params::Entry> {
public:
    explicit ParamsEnumerator(ParamsPrivate* list) : list_(list) { list_->ref.ref(); }
    ~ParamsEnumerator() override { AtomicDetach(list_); }
    ParamsEnumerator(const ParamsEnumerator&) = delete;
    ParamsEnumerator& operator=(const ParamsEnumerator&) = delete;

    result GetCurrent(Params::Entry& out) const override {
        if (next_ == 0 || next_ > list_->entries.GetCount()) return Vx::E_INVALID_STATE;
        return list_->entries.GetAt(next_ - 1, out);
    }
    result MoveNext() override {
        if (next_ >= list_->entries.GetCount()) return Vx::E_OUT_OF_RANGE;
        ++next_;
        return Vx::E_SUCCESS;
    }
    result Reset() override {
        next_ = 0;
        return Vx::E_SUCCESS;
    }

private:
    ParamsPrivate* list_;
    int next_ = 0;
};

}  // namespace

const char* GetFunctionName(FunctionId id) {
    for (const auto& entry : kFunctionNames) {
        if (entry.id == id) return entry.name;
    }
    return nullptr;
}

bool IsKnownFunction(int id) { return GetFunctionName(static_cast<FunctionId>(id)) != nullptr; }

ErrorCode ValidateErrorCode(int rawCode) {
    bool known = (rawCode >= 0 && rawCode <= 3) || rawCode == 1000 || rawCode == 3013 || rawCode == 4002 ||
                 rawCode == 9000 || rawCode == 9001 || (rawCode >= 9100 && rawCode <= 9114) ||
                 (rawCode >= 9200 && rawCode <= 9215) || rawCode == 9219;
    return known ? static_cast<ErrorCode>(rawCode) : ERROR_UNKNOWN;
}

IapLib::StatusCode StatusToIapLibStatus(ErrorCode code) {
    using namespace IapLib;
    switch (static_cast<int>(code)) {
    case 0:
        return STATUS_SUCCESS;
    case 1:
        return STATUS_CANCELED;
    case 2:
        return STATUS_NETWORK_FAILURE;
    case 3:
        return STATUS_HTTP_FAILURE;
    case 1000:
        return STATUS_SERVER_1000;
    case 4002:
        return STATUS_SERVER_9201;
    case 9103:
        return STATUS_SERVER_9103;
    case 9104:
        return STATUS_SERVER_9104;
    case 9107:
        return STATUS_SERVER_9201;
    case 9108:
        return STATUS_SERVER_9203;
    case 9109:
        return STATUS_SERVER_9207;
    case 9200:
        return STATUS_HTTP_FAILURE;
    case 9201:
    case 9209:
        return STATUS_SERVER_9201;
    case 9202:
    case 9207:
        return STATUS_SERVER_9207;
    case 9203:
    case 9206:
        return STATUS_SERVER_9203;
    case 3013:
    case 9000:
    case 9001:
    case 9100:
    case 9101:
    case 9102:
    case 9105:
    case 9106:
    case 9110:
    case 9111:
    case 9112:
    case 9113:
    case 9114:
    case 9204:
    case 9205:
    case 9208:
    case 9210:
    case 9211:
    case 9212:
    case 9213:
    case 9214:
    case 9215:
    case 9219:
        return STATUS_GENERAL_FAILURE;
    default:
        return STATUS_UNKNOWN;
    }
}

Params::Params() : d_(new ParamsPrivate) {}

Params::Params(const Params& other) : d_(other.d_) { d_->ref.ref(); }

Params& Params::operator=(const Params& other) {
    if (d_ == other.d_) return *this;
    other.d_->ref.ref();
    AtomicDetach(d_);
    d_ = other.d_;
    return *this;
}

Params::~Params() { AtomicDetach(d_); }

bool Params::operator==(const Params& other) const { return d_ == other.d_; }

void Params::Detach() { d_ = AtomicCopyOnWrite(d_); }

result Params::Construct(int capacity) {
    if (capacity < 0) return Vx::E_INVALID_ARG;
    Detach();
    return d_->entries.SetCapacity(capacity);
}

result Params::Add(const String& name, const String& value) {
    Detach();
    return d_->entries.Add(Entry{name, value});
}

void Params::RemoveAll() {
    Detach();
    d_->entries.RemoveAll();
}

Vx::Base::Collection::IEnumeratorT<Params::Entry>* Params::GetEnumeratorN() const {
    return new (std::nothrow) ParamsEnumerator(d_);
}

int Params::GetCount() const { return d_->entries.GetCount(); }

}  // namespace IapCommonHttp
