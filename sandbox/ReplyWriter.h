#pragma once

#include "sandbox/StoreReply.h"

#include <string>

namespace Sandbox {

// Writes reply documents the device's reader accepts: "response", then an
// "errorInfo" that always holds an "errorString" (the reader only learns
// success from errorCode 0), then one "list" per record.
class ReplyWriter {
public:
    // An empty string only when libxml2 itself fails (out of memory).
    static std::string Write(int functionId, int transactionId, const StoreReply& reply);
};

}  // namespace Sandbox
