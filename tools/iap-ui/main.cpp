// iap-ui: drives the windows of a running application through its UI automation channel.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"

namespace {

using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;

enum ExitCode {
    kExitOk = 0,
    kExitFailed = 1,  // the command was refused: no such control, disabled, wrong kind
    kExitUsage = 2,
    kExitUnreachable = 3,  // the application is not running or has no automation channel
    kExitTimeout = 4,
    kExitProtocol = 5,     // the application's answer could not be read
    kExitWriteFailed = 6,  // screenshot: the file could not be written
};

const char kHelp[] = R"(Usage: iap-ui --app APP_ID [--connect-timeout S] COMMAND
       iap-ui --help

Drives the window of a running application that was started with
IAP_UI_AUTOMATION=1 (same user, same IAP_PLATFORM_HOME).

Commands:
  list                  the visible controls of the active window, one per line:
                        NAME<TAB>TYPE<TAB>enabled|disabled<TAB>focused|-<TAB>TEXT
                        (a password field's text is masked), after two lines
                        "# window NAME" and "# scene SCENE_ID" (empty without scenes)
  type NAME TEXT        replace the text of edit field NAME, as typed by the user
  press NAME            press button NAME
  wait NAME [--timeout S]
                        wait until a control NAME is visible (default 10 s)
  close                 close the active window, as the user would
  screenshot FILE       save the active window as a PNG picture

Options:
  --app APP_ID          the application (required)
  --connect-timeout S   how long to wait for the application to listen (default 10 s)

Exit codes:
  0  done
  1  the command was refused (no such visible control, disabled, wrong kind, text not accepted)
  2  usage error
  3  the application cannot be reached (not running, or started without IAP_UI_AUTOMATION=1)
  4  time-out (wait)
  5  the application's answer could not be read
  6  the picture could not be written (screenshot)
)";

int Usage(const std::string& message) {
    std::fprintf(stderr, "iap-ui: %s\nTry 'iap-ui --help'.\n", message.c_str());
    return kExitUsage;
}

int ExitFor(Vx::result r) {
    switch (r) {
    case Vx::E_SUCCESS:
        return kExitOk;
    case Vx::E_TIMEOUT:
        return kExitTimeout;
    case Vx::E_CONNECTION_FAILED:
        return kExitUnreachable;
    case Vx::E_INVALID_FORMAT:
        return kExitProtocol;
    case Vx::E_IO:
        return kExitWriteFailed;
    default:
        return kExitFailed;
    }
}

bool ParseSeconds(const std::string& text, int& ms) {
    char* end = nullptr;
    double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(seconds >= 0) || seconds * 1000 > Vx::Ui::Automation::kMaxWaitMs)
        return false;
    ms = static_cast<int>(seconds * 1000);
    return true;
}

Vx::result PrintList(UiAutomationClient& client) {
    std::vector<ControlInfo> controls;
    std::string window;
    std::string scene;
    Vx::result r = client.List(controls, &window, &scene);
    if (r != Vx::E_SUCCESS) return r;
    std::printf("# window %s\n", window.c_str());
    std::printf("# scene %s\n", scene.c_str());
    for (const ControlInfo& c : controls) {
        std::printf("%s\t%s\t%s\t%s\t%s\n", c.name.c_str(), c.type.c_str(), c.enabled ? "enabled" : "disabled",
                    c.focused ? "focused" : "-", c.text.c_str());
    }
    return Vx::E_SUCCESS;
}

Vx::result SaveScreenshot(UiAutomationClient& client, const std::string& path) {
    std::string png;
    Vx::result r = client.Screenshot(png);
    if (r != Vx::E_SUCCESS) return r;
    FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file && std::fwrite(png.data(), 1, png.size(), file) == png.size();
    if (file && std::fclose(file) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "iap-ui: cannot write %s; check the folder and free space\n", path.c_str());
        return Vx::E_IO;
    }
    return Vx::E_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
    std::string appId;
    int connectMs = 10000;
    int waitMs = Vx::Ui::Automation::kDefaultWaitMs;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        }
        bool hasValue = i + 1 < argc;
        if (arg == "--app") {
            if (!hasValue) return Usage("--app needs an application id");
            appId = argv[++i];
        } else if (arg == "--timeout" || arg == "--connect-timeout") {
            if (!hasValue || !ParseSeconds(argv[i + 1], arg == "--timeout" ? waitMs : connectMs)) {
                return Usage(arg + " needs a number of seconds (0 to 600)");
            }
            ++i;
        } else {
            words.push_back(arg);
        }
    }
    if (appId.empty()) return Usage("--app APP_ID is required");
    if (words.empty()) return Usage("a command is required: list, type, press, wait or close");
    const std::string& command = words[0];
    std::size_t wanted = command == "type"                                                      ? 3
                         : (command == "press" || command == "wait" || command == "screenshot") ? 2
                                                                                                : 1;
    if (command != "list" && command != "type" && command != "press" && command != "wait" && command != "close" &&
        command != "screenshot") {
        return Usage("unknown command \"" + command + "\"");
    }
    if (words.size() != wanted) return Usage("wrong number of arguments for \"" + command + "\"");

    QCoreApplication app(argc, argv);
    UiAutomationClient client;
    Vx::result r = client.Connect(appId, connectMs);
    if (r == Vx::E_SUCCESS) {
        if (command == "list") r = PrintList(client);
        if (command == "type") r = client.Type(words[1], words[2]);
        if (command == "press") r = client.Press(words[1]);
        if (command == "wait") r = client.Wait(words[1], waitMs);
        if (command == "close") r = client.Close();
        if (command == "screenshot") r = SaveScreenshot(client, words[1]);
    }
    if (r != Vx::E_SUCCESS && r != Vx::E_IO) {
        std::fprintf(stderr, "iap-ui: %s: %s\n", command.c_str(), client.GetLastError().c_str());
    }
    return ExitFor(r);
}
