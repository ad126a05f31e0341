#pragma once

#include <string>
#include <string_view>

namespace Sandbox {

// Builds small JSON texts for the admin endpoint.
class JsonWriter {
public:
    // A JSON string literal, quotes included; invalid UTF-8 bytes become U+FFFD.
    static std::string Quote(std::string_view text);
};

}  // namespace Sandbox
