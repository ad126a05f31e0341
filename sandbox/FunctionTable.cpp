#include "sandbox/FunctionTable.h"

#include <charconv>

namespace Sandbox::FunctionTable {
namespace {

struct Entry {
    int id;
    std::string_view name;
};

constexpr Entry kEntries[] = {
    {2200, "countrySearch"},
    {2230, "searchCard"},
    {2250, "getCountryList"},
    {2300, "countrySearchEx"},
    {2306, "checkAppUpgrade"},
    {5012, "checkPassword"},
    {6001, "easybuyPurchaseItem"},
    {6003, "getPurchasedAppsItemList"},
    {6005, "getAppsItemList"},
    {6006, "appItemPurchaseCyberCash"},
    {6007, "getPaymentMethodSearch"},
    {6009, "appItemPurchasePrepaid"},
    {6012, "MicroPurchaseItem"},
    {6013, "MicroPurchaseItemAuthCode"},
    {6014, "registerCreditCardForIAP"},
    {6015, "registerPrepaidCardForIap"},
    {6016, "checkPurchasedItem"},
    {6017, "IAPPSMSBilling"},
    {6018, "IAPPSMSMODeliveryResult"},
    {6019, "IAPPSMSConfirmSMSPurchaseNS"},
    {6020, "getPurchaseID"},
};

}  // namespace

std::string_view NameOf(int functionId) {
    for (const Entry& entry : kEntries) {
        if (entry.id == functionId) return entry.name;
    }
    return {};
}

int IdOf(std::string_view name) {
    for (const Entry& entry : kEntries) {
        if (entry.name == name) return entry.id;
    }
    return 0;
}

int Resolve(std::string_view nameOrId) {
    int id = 0;
    const char* end = nameOrId.data() + nameOrId.size();
    auto [ptr, ec] = std::from_chars(nameOrId.data(), end, id);
    if (!nameOrId.empty() && ec == std::errc() && ptr == end) return NameOf(id).empty() ? 0 : id;
    return IdOf(nameOrId);
}

}  // namespace Sandbox::FunctionTable
