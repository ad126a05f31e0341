// iap-device: writes and shows the simulated device's hardware profile.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/PlatformHome.h"
#include "platform/base/Result.h"
#include "platform/system/DeviceProfile.h"
#include "platform/system/SimInfo.h"
#include "platform/system/SystemInfo.h"
#include "platform/system/WifiManager.h"

using Vx::result;
using Vx::Base::String;
using Vx::System::DeviceProfile;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage: iap-device [--home DIR] [--force] COMMAND [ARGUMENTS]\n"
    "Edits the simulated device's hardware profile, <platform home>/device/profile.ini,\n"
    "which the platform's SIM, system and Wi-Fi information read on every query.\n"
    "\n"
    "Commands:\n"
    "  set KEY=VALUE...       set entries (all or none), e.g.\n"
    "                         iap-device set sim.mcc=450 sim.mnc=5 wifi.mac=00:11:22:AA:BB:CC\n"
    "  unset KEY|SECTION...   remove entries, or whole sections (\"unset sim\": no SIM card)\n"
    "  get KEY                print one value; exit status 1 when it is absent\n"
    "  show                   print the profile and what the platform reads from it\n"
    "  clear                  delete the profile (no SIM, no system values, the machine's MAC)\n"
    "  path                   print the profile's path\n"
    "\n"
    "Keys:\n"
    "  sim.mcc                mobile country code, 0-999 (a [sim] section means a SIM is present)\n"
    "  sim.mnc                mobile network code, 0-999\n"
    "  sim.phone_number       the SIM's number, digits with an optional leading '+'\n"
    "  system.duid            unique device id\n"
    "  system.model_name      device model name\n"
    "  wifi.mac               Wi-Fi MAC address, AA:BB:CC:DD:EE:FF; empty: an adapter without address\n"
    "  wifi.enabled           false: the device has no Wi-Fi\n"
    "  font.size              the user's text size in pixels; empty: no such setting\n"
    "  font.type              the user's font face; empty: no such setting\n"
    "  FontSize               (setting.FontSize) small, medium or large; empty: no such setting\n"
    "  FontType               (setting.FontType) a font face; empty: no such setting\n"
    "\n"
    "Options:\n"
    "  --home DIR             use DIR as the platform home instead of $IAP_PLATFORM_HOME\n"
    "  --force                accept other keys and values that fail the checks above,\n"
    "                         to simulate a broken device\n"
    "  -h, --help             show this text\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 wrong usage. Format: docs/device-profile.md.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "iap-device: %s\nRun 'iap-device --help' for the commands and keys.\n", message.c_str());
    return kExitUsage;
}

int Failure(const std::string& what, Vx::result r, const char* advice) {
    std::fprintf(stderr, "iap-device: %s: %s (%s). %s\n", what.c_str(), Vx::GetErrorMessage(r), Vx::GetResultName(r),
                 advice);
    return kExitFailed;
}

bool AllDigits(const std::string& text, std::size_t minLength, std::size_t maxLength) {
    if (text.size() < minLength || text.size() > maxLength) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsMacAddress(const std::string& text) {
    if (text.empty()) return true;
    if (text.size() != 17) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool separator = i % 3 == 2;
        if (separator ? (text[i] != ':' && text[i] != '-') : !IsHex(text[i])) return false;
    }
    return true;
}

bool IsBoolean(const std::string& text) {
    for (const char* word : {"true", "false", "yes", "no", "on", "off", "1", "0"}) {
        if (text == word) return true;
    }
    return false;
}

// Empty when the value suits the key; otherwise what is wrong with it.
std::string CheckEntry(const std::string& key, const std::string& value) {
    if (key == "sim.mcc" || key == "sim.mnc") {
        return AllDigits(value, 1, 3) ? "" : key + " must be 1 to 3 digits (0-999), not '" + value + "'";
    }
    if (key == "sim.phone_number") {
        std::string digits = !value.empty() && value[0] == '+' ? value.substr(1) : value;
        return AllDigits(digits, 1, 20) ? "" : "sim.phone_number must be digits with an optional leading '+'";
    }
    if (key == "system.duid" || key == "system.model_name") {
        return value.empty() ? key + " must not be empty (use 'unset " + key + "' to remove it)" : "";
    }
    if (key == "wifi.mac") return IsMacAddress(value) ? "" : "wifi.mac must look like 00:11:22:AA:BB:CC";
    if (key == "wifi.enabled") return IsBoolean(value) ? "" : "wifi.enabled must be true or false";
    // Empty font settings are allowed: a device without the setting.
    if (key == "font.size") {
        return value.empty() || AllDigits(value, 1, 4) ? "" : "font.size must be a whole number of pixels, or empty";
    }
    if (key == "setting.FontSize") {
        for (const char* word : {"", "small", "medium", "large"}) {
            if (value == word) return "";
        }
        return "FontSize must be small, medium or large, or empty";
    }
    if (key == "font.type" || key == "setting.FontType") return "";
    return "unknown key '" + key + "'";
}

// The older font settings are read by their bare names from [setting].
std::string FullKey(const std::string& key) { return key == "FontSize" || key == "FontType" ? "setting." + key : key; }

result LoadProfile(DeviceProfile& profile) {
    result r = profile.Load();
    return r == Vx::E_OBJ_NOT_FOUND ? Vx::E_SUCCESS : r;
}

int LoadOrFail(DeviceProfile& profile) {
    result r = LoadProfile(profile);
    if (Vx::IsFailed(r)) {
        return Failure("cannot read " + profile.GetPath(), r, "Fix or remove the file ('iap-device clear').");
    }
    return kExitOk;
}

int SaveOrFail(const DeviceProfile& profile) {
    result r = profile.Save();
    if (Vx::IsFailed(r)) {
        return Failure("cannot write " + profile.GetPath(), r,
                       "The previous profile is unchanged; check free space and permissions.");
    }
    return kExitOk;
}

int CommandSet(const std::vector<std::string>& arguments, bool force) {
    if (arguments.empty()) return UsageError("set needs at least one KEY=VALUE");
    DeviceProfile profile;
    if (int status = LoadOrFail(profile); status != kExitOk) return status;
    for (const std::string& argument : arguments) {
        std::size_t eq = argument.find('=');
        if (eq == std::string::npos) return UsageError("'" + argument + "' is not KEY=VALUE");
        std::string key = FullKey(argument.substr(0, eq));
        std::string value = argument.substr(eq + 1);
        if (std::string problem = CheckEntry(key, value); !problem.empty() && !force) {
            return UsageError(problem + " (nothing was changed; --force accepts it anyway)");
        }
        if (Vx::IsFailed(profile.Set(String::FromUtf8(key), String::FromUtf8(value)))) {
            return UsageError("'" + argument + "' cannot be stored: keys are section.name, values one line");
        }
    }
    return SaveOrFail(profile);
}

int CommandUnset(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return UsageError("unset needs at least one KEY or SECTION");
    DeviceProfile profile;
    if (int status = LoadOrFail(profile); status != kExitOk) return status;
    for (const std::string& argument : arguments) {
        result r = profile.Remove(String::FromUtf8(argument));
        if (r == Vx::E_INVALID_ARG) return UsageError("'" + argument + "' is neither section.name nor a section");
        if (r == Vx::E_OBJ_NOT_FOUND) std::fprintf(stderr, "iap-device: %s was not set\n", argument.c_str());
    }
    return SaveOrFail(profile);
}

int CommandGet(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return UsageError("get needs exactly one KEY");
    DeviceProfile profile;
    if (int status = LoadOrFail(profile); status != kExitOk) return status;
    String value;
    result r = profile.GetValue(String::FromUtf8(arguments[0]), value);
    if (r == Vx::E_INVALID_ARG) return UsageError("'" + arguments[0] + "' is not section.name");
    if (Vx::IsFailed(r)) {
        std::fprintf(stderr, "iap-device: %s is not set\n", arguments[0].c_str());
        return kExitFailed;
    }
    std::printf("%s\n", value.ToUtf8().c_str());
    return kExitOk;
}

class SilentWifiListener : public Vx::Net::Wifi::IWifiManagerEventListener {
public:
    void OnWifiActivated(Vx::result) override {}
    void OnWifiDeactivated(Vx::result) override {}
    void OnWifiConnected(const String&, Vx::result) override {}
    void OnWifiDisconnected() override {}
    void OnWifiRssiChanged(long) override {}
    void OnWifiScanCompletedN(Vx::Base::Collection::ArrayList* list, Vx::result) override { delete list; }
};

std::string Code(int code) { return code == -1 ? "unknown" : std::to_string(code); }

std::string OrNone(const String& text) { return text.IsEmpty() ? "(none)" : text.ToUtf8(); }

std::string SystemValue(const wchar_t* name) {
    String value;
    result r = Vx::System::SystemInfo::GetValue(String(Vx::Base::kPlatformIdPrefix) + L"/system/" + name, value);
    return Vx::IsFailed(r) ? "(none)" : OrNone(value);
}

void ShowDeviceView() {
    std::printf("\nWhat the platform reads:\n");
    Vx::Telephony::SimInfo sim;
    if (Vx::IsFailed(sim.Construct())) {
        std::printf("  SIM:          none\n");
    } else {
        std::printf("  SIM:          mcc %s, mnc %s, phone number %s\n", Code(sim.GetMobileCountryCode()).c_str(),
                    Code(sim.GetMobileNetworkCode()).c_str(), OrNone(sim.GetPhoneNumber()).c_str());
    }
    std::printf("  device id:    %s\n", SystemValue(L"duid").c_str());
    std::printf("  model name:   %s\n", SystemValue(L"model_name").c_str());
    SilentWifiListener listener;
    Vx::Net::Wifi::WifiManager wifi;
    if (Vx::IsFailed(wifi.Construct(listener))) {
        std::printf("  Wi-Fi:        none\n");
    } else {
        String mac = wifi.GetMacAddress();
        std::printf("  Wi-Fi MAC:    %s\n", OrNone(mac).c_str());
    }
}

int CommandShow() {
    DeviceProfile profile;
    if (int status = LoadOrFail(profile); status != kExitOk) return status;
    std::printf("Profile: %s\n", profile.GetPath().c_str());
    auto entries = profile.GetEntries();
    if (entries.empty()) std::printf("  (no entries)\n");
    for (const auto& [key, value] : entries)
        std::printf("  %s=%s\n", key.ToUtf8().c_str(), value.ToUtf8().c_str());
    ShowDeviceView();
    return kExitOk;
}

int CommandClear() {
    DeviceProfile profile;
    profile.Load();
    result r = profile.Erase();
    if (Vx::IsFailed(r)) return Failure("cannot delete " + profile.GetPath(), r, "Check the file's permissions.");
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    bool force = false;
    int index = 1;
    for (; index < argc && argv[index][0] == '-'; ++index) {
        std::string option = argv[index];
        if (option == "-h" || option == "--help") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (option == "--force") {
            force = true;
        } else if (option == "--home") {
            if (index + 1 >= argc || argv[index + 1][0] == '\0') return UsageError("--home needs a directory");
            ::setenv("IAP_PLATFORM_HOME", argv[++index], 1);
        } else {
            return UsageError("unknown option '" + option + "'");
        }
    }
    if (index >= argc) return UsageError("no command given");
    std::string command = argv[index];
    std::vector<std::string> arguments(argv + index + 1, argv + argc);

    if (command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "set") return CommandSet(arguments, force);
    if (command == "unset") return CommandUnset(arguments);
    if (command == "get") return CommandGet(arguments);
    if (command == "show" || command == "clear" || command == "path") {
        if (!arguments.empty()) return UsageError(command + " takes no arguments");
        if (command == "show") return CommandShow();
        if (command == "clear") return CommandClear();
        std::printf("%s\n", DeviceProfile::GetDefaultPath().c_str());
        return kExitOk;
    }
    return UsageError("unknown command '" + command + "'");
}
