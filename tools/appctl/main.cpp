// appctl: plays "another application" from the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/base/StartupTrace.h"
#include "tools/appctl/AccountCommand.h"
#include "tools/appctl/AppctlCommands.h"

namespace Appctl {
namespace {

struct SubCommand {
    const char* name;
    int (*run)(const Arguments& args);
    const char* usage;
};

// One line per sub-command; anything else is a request to an application.
const SubCommand kSubCommands[] = {
    {"foreground", RunForeground, "appctl foreground APP_ID   tell running applications that APP_ID came to the front"},
    {"account", RunAccount, "appctl account add|list|remove ...   the device's accounts (appctl account --help)"},
};

const char kHelp[] = R"(Usage: appctl [--json] [--timeout SEC] APP_ID OPERATION [KEY=VALUE ...]
       appctl SUBCOMMAND ...

Sends one application-control request to the application APP_ID, launching it
when it is not running, waits for its answer and prints it.

  OPERATION     the operation id; one starting with "/" gets the platform
                prefix "http://vexmora.com" (/appcontrol/operation/iap/get_item_list)
  KEY=VALUE     an entry of the request's extra data (each key once)
  --json        print one JSON object: {"result": N, "extra": {...}}
                (N: 0 succeeded, 1 failed, 2 canceled; "extra" is null when the
                answer has no map; keys sorted)
  --timeout SEC give up after SEC seconds (default 60; fractions allowed)
  -h, --help    this text

Without --json the result is printed by name, then the entries sorted by key;
numbered records (1_itemId, 2_itemId, ... beside _startNumber/_endNumber)
are shown as a table. While waiting longer than a second on a terminal,
appctl says so on standard error.

Exit codes:
  0  the application answered (whatever its result)
  2  usage error, or no application APP_ID is installed
  3  the application ended without answering
  4  no answer within the time-out
  5  the request could not be delivered (the application could not be started)

Applications are found by their manifests: $IAP_PLATFORM_HOME/apps, then
<folder of appctl>/apps, then $IAP_APPS_DIR. A launched application's output
goes to $IAP_PLATFORM_HOME/logs/<APP_ID>.log.

Sub-commands:
)";

int PrintHelp() {
    std::fputs(kHelp, stdout);
    for (const SubCommand& command : kSubCommands)
        std::printf("  %s\n", command.usage);
    return kExitAnswered;
}

}  // namespace

void PrintError(const std::string& message) { std::fprintf(stderr, "appctl: %s\n", message.c_str()); }

}  // namespace Appctl

int main(int argc, char** argv) {
    Vx::Base::StartupTrace::Mark("appctl: main");
    Appctl::Arguments args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return Appctl::PrintHelp();
        if (arg.empty() || arg[0] != '-') break;
    }
    if (!args.empty()) {
        for (const Appctl::SubCommand& command : Appctl::kSubCommands) {
            if (args[0] == command.name) return command.run(Appctl::Arguments(args.begin() + 1, args.end()));
        }
    }
    return Appctl::RunRequest(args);
}
