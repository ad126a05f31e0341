#pragma once
// The two store requests of the sign-in: the request document and the
// reading of a reply. Plain strings (UTF-8) in and out.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace OblinSignIn {

struct DeviceIdentity {
    std::string networkType;
    std::string deviceModel;
    std::string mcc;
    std::string mnc;
};

struct StoreRequest {
    int functionId = 0;
    std::string functionName;
    int transactionId = 0;
    std::vector<std::pair<std::string, std::string>> params;
};

struct StoreReply {
    int returnCode = -1;
    int functionId = 0;
    int errorCode = 0;  // from "errorString"; 0 when the reply has no error block
    std::string errorMessage;
    std::vector<std::map<std::string, std::string>> records;
};

constexpr int kCountrySearch = 2200;
constexpr int kCheckPassword = 5012;

std::string BuildRequestDocument(const DeviceIdentity& device, const StoreRequest& request);
// False with `error` set when the document is not a store reply.
bool ParseReplyDocument(const std::string& body, StoreReply& reply, std::string& error);

}  // namespace OblinSignIn
