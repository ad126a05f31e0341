#pragma once

#include "sandbox/StoreError.h"

#include <string>
#include <utility>
#include <vector>

namespace Sandbox {

// One record of a reply: named fields in the order they are written.
using StoreRecord = std::vector<std::pair<std::string, std::string>>;

// What a function answers, before it is written as a document.
struct StoreReply {
    int errorCode = 0;
    std::string message = "OK";

    // Paging attributes of "response"; written only when hasCounts.
    bool hasCounts = false;
    int startNum = 0;
    int endNum = 0;
    int totalCount = 0;

    std::vector<StoreRecord> records;

    static StoreReply Error(StoreError error, std::string message) {
        StoreReply reply;
        reply.errorCode = static_cast<int>(error);
        reply.message = std::move(message);
        return reply;
    }

    bool IsSuccess() const { return errorCode == 0; }
};

}  // namespace Sandbox
