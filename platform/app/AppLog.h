#pragma once
// One-line diagnostics of the application framework on standard error,
// prefixed with the process's application id and pid.
#include <string>

namespace Vx::App {

void LogAppWarning(const std::string& message);

}  // namespace Vx::App
