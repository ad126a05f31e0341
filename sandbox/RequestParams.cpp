#include "sandbox/RequestParams.h"

#include "sandbox/Paging.h"
#include "sandbox/TextUtil.h"

namespace Sandbox::RequestParams {

std::optional<StoreReply> RequireAll(const StoreRequest& request, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (!request.Param(name))
            return StoreReply::Error(StoreError::MissingParameter,
                                     std::string("parameter \"") + name + "\" is missing");
    }
    return std::nullopt;
}

std::optional<StoreReply> ReadRange(const StoreRequest& request, int& start, int& end) {
    if (auto missing = RequireAll(request, {"startNum", "endNum"})) return missing;
    for (const char* name : {"startNum", "endNum"}) {
        const std::string& text = *request.Param(name);
        if (!TextUtil::ParseInt(text, std::string_view(name) == "startNum" ? start : end))
            return StoreReply::Error(StoreError::InvalidParameter,
                                     std::string("parameter \"") + name + "\" is not an integer: \"" + text + "\"");
    }
    if (!Paging::IsValidRange(start, end)) {
        return StoreReply::Error(StoreError::InvalidParameter,
                                 "bad item range " + std::to_string(start) + " to " + std::to_string(end) +
                                     " (numbers start at 1 and endNum may not be below startNum)");
    }
    return std::nullopt;
}

}  // namespace Sandbox::RequestParams
