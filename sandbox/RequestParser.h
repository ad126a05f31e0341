#pragma once

#include "sandbox/StoreRequest.h"

#include <string>
#include <string_view>

namespace Sandbox {

// Reads a request document ("OblinProtocol" root, one "request" with its
// "param" elements). Documents with a DTD are refused, and nothing is ever
// fetched from the network.
class RequestParser {
public:
    // On failure returns false with a readable reason in error; request keeps
    // what could be read (the transaction and function ids) so that the
    // error reply can still echo them.
    static bool Parse(std::string_view body, StoreRequest& request, std::string& error);
};

}  // namespace Sandbox
