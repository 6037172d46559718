#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/AppIcon.h"
#include "app/CMainFrame.h"
#include "serial/AppPaths.h"
#include "serial/PortDiscovery.h"

namespace {

// Qt aborts with a long message when no display can be reached; say it in one line.
bool displayAvailable()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable()) {
        std::fprintf(stderr, "EmuVOLA: no display found (set DISPLAY, or run it inside a desktop session).\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("EmuKR-V"));
    QApplication::setWindowIcon(appIcon());

    std::vector<std::string> ports;
    listComPorts(ports, anyOxserPort());
    CMainFrame frame(ports, dataDirectory());
    // Without a window manager a maximise request does nothing; start at the
    // screen's size so the window is still full-size there.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();
    return app.exec();
}
