#include "platform/ui/UiEnvironment.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <string>

namespace Vx::Ui {

namespace {

// Qt warns when the runtime folder is missing or shared; give it a private one.
void EnsureRuntimeDir() {
    const char* current = getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (current && *current && stat(current, &st) == 0 && st.st_uid == geteuid() && (st.st_mode & 077) == 0) return;
    std::string dir = "/tmp/vx-runtime-" + std::to_string(geteuid());
    mkdir(dir.c_str(), 0700);
    chmod(dir.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

}  // namespace

bool EnsureUiApplication() {
    if (QCoreApplication::instance()) return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    EnsureRuntimeDir();
    static int argc = 1;
    static char name[] = "vx-ui";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends, like the application object of a real program.
    new QApplication(argc, argv);
    return true;
}

}  // namespace Vx::Ui
