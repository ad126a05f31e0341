#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Sandbox {

// One parsed request document.
struct StoreRequest {
    // Attributes of the root element (the device's identity).
    std::string networkType;
    std::string deviceModel;
    std::string mcc;
    std::string mnc;
    std::string lang;
    std::string version;

    int functionId = 0;  // from "id"; 0 when absent or unreadable
    std::string functionName;
    int transactionId = -1;                                   // from "transactionId"; -1 when absent or unreadable
    std::vector<std::pair<std::string, std::string>> params;  // in document order; names may repeat

    // "host:port" the client addressed, used to build URLs that point back here.
    std::string hostHeader;

    // The first parameter of that name, or null.
    const std::string* Param(const std::string& name) const;
};

}  // namespace Sandbox
