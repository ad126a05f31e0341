#include "tools/appctl/AccountCommand.h"

#include <cstdio>
#include <map>
#include <memory>

#include "platform/account/AccountStore.h"
#include "platform/base/Result.h"
#include "tools/appctl/AppctlOutput.h"

namespace Appctl {
namespace {

using Vx::Account::Account;
using Vx::Account::AccountProvider;
using Vx::Account::AccountStore;
using Vx::Base::String;

const char kDefaultProvider[] = "a7qd02lm9x.OblinAccount";

const char kAccountHelp[] = R"(Usage: appctl account add --user-name EMAIL --user-id ID [--mcc MCC]
                           [--server-url URL] [--provider APP_ID]
       appctl account list [--json]
       appctl account remove EMAIL [--provider APP_ID]

Manages the accounts of the device ($IAP_PLATFORM_HOME/accounts.db), as the
account service's sign-in application keeps them.

  add      adds an account, or replaces the one with the same user name and
           provider (default provider a7qd02lm9x.OblinAccount, the account
           service's own); user id, mcc and server url are kept as its data
  list     one account per line: ID<TAB>PROVIDER<TAB>USER NAME<TAB>key=value ...
           (--json: an array of {"id","provider","userName","data":{...}})
  remove   removes the accounts with that user name (of one provider with --provider)

Exit codes: 0 done, 1 no such account (remove), 2 usage error,
6 the account store cannot be read or written.
)";

int Usage(const std::string& message) {
    PrintError(message + " (see appctl account --help)");
    return kExitUsage;
}

int StoreFailed(const std::string& what, Vx::result r) {
    PrintError(what + ": " + Vx::GetErrorMessage(r) + " (" + Vx::GetResultName(r) + "); check " +
               AccountStore::GetDefaultPath());
    return kExitAccountStoreFailed;
}

// "--name value" pairs; false (after printing why) for anything else.
bool ParseOptions(const Arguments& args, std::size_t from, std::map<std::string, std::string>& options,
                  std::initializer_list<const char*> allowed) {
    for (std::size_t i = from; i < args.size(); i += 2) {
        bool known = false;
        for (const char* name : allowed)
            known = known || args[i] == name;
        if (!known) {
            Usage("unknown option \"" + args[i] + "\"");
            return false;
        }
        if (i + 1 >= args.size()) {
            Usage(args[i] + " needs a value");
            return false;
        }
        options[args[i]] = args[i + 1];
    }
    return true;
}

int Add(const Arguments& args) {
    std::map<std::string, std::string> options;
    if (!ParseOptions(args, 1, options, {"--user-name", "--user-id", "--mcc", "--server-url", "--provider"})) {
        return kExitUsage;
    }
    if (options["--user-name"].empty()) return Usage("--user-name is required");
    if (options["--user-id"].empty()) return Usage("--user-id is required");
    std::string provider = options.count("--provider") ? options["--provider"] : kDefaultProvider;
    if (provider.empty()) return Usage("--provider cannot be empty");

    Account account(AccountProvider(String::FromUtf8(provider)), String::FromUtf8(options["--user-name"]));
    account.SetExtendedData(Account::USER_ID_KEY, String::FromUtf8(options["--user-id"]));
    if (!options["--mcc"].empty()) account.SetExtendedData(Account::MCC_KEY, String::FromUtf8(options["--mcc"]));
    if (!options["--server-url"].empty()) {
        account.SetExtendedData(Account::SERVER_URL_KEY, String::FromUtf8(options["--server-url"]));
    }
    AccountStore store;
    Vx::result r = store.Construct();
    if (r == Vx::E_SUCCESS) r = store.AddAccount(account);
    if (r != Vx::E_SUCCESS) return StoreFailed("cannot add the account", r);
    std::printf("added account %lld: %s (%s)\n", account.GetId(), options["--user-name"].c_str(), provider.c_str());
    return kExitAnswered;
}

void PrintAccount(const Account& account, bool json, bool first) {
    if (json) {
        std::printf("%s\n  {\"id\": %lld, \"provider\": %s, \"userName\": %s, \"data\": {", first ? "" : ",",
                    account.GetId(), JsonQuote(account.GetAccountProvider().GetAppId().ToUtf8()).c_str(),
                    JsonQuote(account.GetUserName().ToUtf8()).c_str());
        bool firstEntry = true;
        for (const auto& [key, value] : account.GetExtendedDataEntries()) {
            std::printf("%s%s: %s", firstEntry ? "" : ", ", JsonQuote(key.ToUtf8()).c_str(),
                        JsonQuote(value.ToUtf8()).c_str());
            firstEntry = false;
        }
        std::printf("}}");
        return;
    }
    std::printf("%lld\t%s\t%s", account.GetId(), account.GetAccountProvider().GetAppId().ToUtf8().c_str(),
                account.GetUserName().ToUtf8().c_str());
    for (const auto& [key, value] : account.GetExtendedDataEntries()) {
        std::printf("\t%s=%s", key.ToUtf8().c_str(), value.ToUtf8().c_str());
    }
    std::printf("\n");
}

int List(const Arguments& args) {
    bool json = args.size() == 2 && args[1] == "--json";
    if (args.size() > 2 || (args.size() == 2 && !json)) return Usage("list takes only --json");
    AccountStore store;
    Vx::result r = store.Construct(AccountStore::OpenMode::ReadOnly);
    std::unique_ptr<Vx::Base::Collection::ArrayListT<Account>> accounts;
    if (r == Vx::E_SUCCESS) {
        accounts.reset(store.GetAllAccountsN());
        if (!accounts) return StoreFailed("cannot read the accounts", Vx::E_IO);
    } else if (r != Vx::E_OBJ_NOT_FOUND) {
        return StoreFailed("cannot open the accounts", r);
    }
    int count = accounts ? accounts->GetCount() : 0;
    if (json) std::printf("[");
    for (int i = 0; i < count; ++i)
        PrintAccount(accounts->At(i), json, i == 0);
    if (json) std::printf("%s]\n", count ? "\n" : "");
    if (!json && count == 0) std::fprintf(stderr, "appctl: no accounts on this device\n");
    return kExitAnswered;
}

int Remove(const Arguments& args) {
    if (args.size() < 2 || args[1].empty() || args[1][0] == '-') return Usage("remove needs the user name");
    std::map<std::string, std::string> options;
    if (!ParseOptions(args, 2, options, {"--provider"})) return kExitUsage;
    AccountStore store;
    Vx::result r = store.Construct();
    if (r == Vx::E_SUCCESS) r = store.RemoveAccount(String::FromUtf8(args[1]), String::FromUtf8(options["--provider"]));
    if (r == Vx::E_OBJ_NOT_FOUND) {
        PrintError("no account named \"" + args[1] + "\"; see appctl account list");
        return kExitAccountNotFound;
    }
    if (r != Vx::E_SUCCESS) return StoreFailed("cannot remove the account", r);
    std::printf("removed %s\n", args[1].c_str());
    return kExitAnswered;
}

}  // namespace

int RunAccount(const Arguments& args) {
    if (args.empty()) return Usage("account needs add, list or remove");
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kAccountHelp, stdout);
            return kExitAnswered;
        }
    }
    if (args[0] == "add") return Add(args);
    if (args[0] == "list") return List(args);
    if (args[0] == "remove") return Remove(args);
    return Usage("unknown account command \"" + args[0] + "\"");
}

}  // namespace Appctl
