#pragma once
// appctl account: the device's accounts (add, list, remove), as the account
// service's sign-in keeps them.
#include "tools/appctl/AppctlCommands.h"

namespace Appctl {

// Exit codes of its own, beside those of AppctlCommands.h.
enum AccountExitCode {
    kExitAccountNotFound = 1,     // remove: no such account
    kExitAccountStoreFailed = 6,  // the account store cannot be read or written
};

int RunAccount(const Arguments& args);

}  // namespace Appctl
