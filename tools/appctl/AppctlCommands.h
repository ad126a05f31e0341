#pragma once
// Sub-commands of appctl. Each takes the arguments after its own name and
// returns the process's exit code; add one line to the table in main.cpp.
#include <string>
#include <vector>

namespace Appctl {

// Exit codes shared by every sub-command.
enum ExitCode {
    kExitAnswered = 0,
    kExitUsage = 2,         // bad arguments, unknown application
    kExitTerminated = 3,    // the application ended without answering
    kExitTimeout = 4,       // no answer in time
    kExitNotDelivered = 5,  // the request could not be delivered (launch failed, ...)
};

using Arguments = std::vector<std::string>;

int RunRequest(const Arguments& args);
int RunForeground(const Arguments& args);

// Prints "appctl: <message>" on standard error.
void PrintError(const std::string& message);

}  // namespace Appctl
