// KR-V___: writes a terminal-emulator session file for one KR-V unit
// (address, TCP port, name) beside itself, or in the user's data directory for an
// installed copy, and has the desktop open it.

#include "launcher/LauncherApp.h"
#include "launcher/LauncherDialog.h"
#include "launcher/ProgramDirectory.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool hasEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

int main(int argc, char* argv[])
{
    // Without a display Qt would abort with a long message; say it in one line.
    if (!hasEnv("QT_QPA_PLATFORM") && !hasEnv("DISPLAY") && !hasEnv("WAYLAND_DISPLAY")) {
        std::fputs("KR-V___: no display available (set DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM)\n",
                   stderr);
        return 1;
    }

    // Read the arguments before QApplication, which removes the ones it knows.
    const std::vector<std::string> args(argv, argv + argc);
    launcher::LauncherApp app;
    app.start(args, launcher::programDirectory(argc > 0 ? argv[0] : ""));

    // Qt sees only the program path: the unit's fields are not Qt options.
    int qtArgc = 1;
    QApplication qtApp(qtArgc, argv);
    launcher::LauncherDialog dialog(app);
    dialog.exec();
    return 0;
}
