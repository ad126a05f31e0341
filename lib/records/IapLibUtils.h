#pragma once
// Status codes reported to callers, and the display text of a price.
#include <cstdio>

#include "platform/base/String.h"

namespace IapLib {

enum StatusCode : int {
    STATUS_UNKNOWN = -1,  // a server code without a mapping
    STATUS_SUCCESS = 0,
    STATUS_CANCELED = 100,
    STATUS_NETWORK_FAILURE = 200,  // transaction aborted, or certificate needed verification
    STATUS_SERVER_1000 = 1000,
    STATUS_GENERAL_FAILURE = 9000,  // the server or its reply failed, including unreadable replies
    STATUS_SERVER_9103 = 9103,
    STATUS_SERVER_9104 = 9104,
    STATUS_HTTP_FAILURE = 9200,  // HTTP status not 200, or the server reported 9200
    STATUS_SERVER_9201 = 9201,
    STATUS_SERVER_9203 = 9203,
    STATUS_SERVER_9207 = 9207,
};

// Readable name of a status ("STATUS_CANCELED"); "STATUS_UNRECOGNISED" for other numbers.
inline const char* GetStatusCodeName(int status) {
    switch (status) {
    case STATUS_UNKNOWN:
        return "STATUS_UNKNOWN";
    case STATUS_SUCCESS:
        return "STATUS_SUCCESS";
    case STATUS_CANCELED:
        return "STATUS_CANCELED";
    case STATUS_NETWORK_FAILURE:
        return "STATUS_NETWORK_FAILURE";
    case STATUS_SERVER_1000:
        return "STATUS_SERVER_1000";
    case STATUS_GENERAL_FAILURE:
        return "STATUS_GENERAL_FAILURE";
    case STATUS_SERVER_9103:
        return "STATUS_SERVER_9103";
    case STATUS_SERVER_9104:
        return "STATUS_SERVER_9104";
    case STATUS_HTTP_FAILURE:
        return "STATUS_HTTP_FAILURE";
    case STATUS_SERVER_9201:
        return "STATUS_SERVER_9201";
    case STATUS_SERVER_9203:
        return "STATUS_SERVER_9203";
    case STATUS_SERVER_9207:
        return "STATUS_SERVER_9207";
    default:
        return "STATUS_UNRECOGNISED";
    }
}

// Price text of any record with GetItemPrice, GetCurrencyUnit,
// GetCurrencyUnitPrecedes and GetCurrencyUnitHasPenny: "$1.50", "1200KRW",
// or the number alone when the unit is not wanted.
template <class Record>
Vx::Base::String FormatPrice(const Record& record, bool includeUnit) {
    char number[256];
    std::snprintf(number, sizeof number, record.GetCurrencyUnitHasPenny() ? "%.2f" : "%.0f", record.GetItemPrice());
    Vx::Base::String text(number);
    if (!includeUnit) return text;
    return record.GetCurrencyUnitPrecedes() ? record.GetCurrencyUnit() + text : text + record.GetCurrencyUnit();
}

}  // namespace IapLib
