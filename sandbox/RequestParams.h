#pragma once

#include "sandbox/StoreReply.h"
#include "sandbox/StoreRequest.h"

#include <initializer_list>
#include <optional>

namespace Sandbox::RequestParams {

// An error reply naming the first absent parameter, or nullopt when all are present.
std::optional<StoreReply> RequireAll(const StoreRequest& request, std::initializer_list<const char*> names);

// Reads "startNum" and "endNum" (present, integers, 1 <= start <= end), or
// returns the error reply that refuses them.
std::optional<StoreReply> ReadRange(const StoreRequest& request, int& start, int& end);

}  // namespace Sandbox::RequestParams
