#pragma once

#include <string>

namespace Sandbox::RandomId {

// byteCount random bytes from the system's generator, as lower-case hex;
// empty when the generator fails.
std::string Hex(size_t byteCount);

}  // namespace Sandbox::RandomId
