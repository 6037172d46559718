#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/AppIcon.h"
#include "app/CMainFrame.h"
#include "app/CursorBlinkTimeout.h"
#include "app/QtTranslations.h"
#include "base/AppPaths.h"
#include "directory/FileFaultText.h"
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
    if (!installQtTranslations(app))
        std::fprintf(stderr, "EmuVOLA: Qt's Korean texts (qtbase_ko.qm, package qt6-translations-l10n) are missing; "
                             "standard buttons stay English.\n");
    CursorBlinkTimeout::install();

    const SerialMapSources mapSources = systemSerialMapSources();
    std::vector<std::string> ports;
    listComPorts(ports, anyOxserPort(mapSources), mapSources);
    CMainFrame frame(ports, dataDirectory());
    // Without a window manager a maximise request does nothing; start at the
    // screen's size so the window is still full-size there.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();

    // Data files that were there but could not be read are told once, over the
    // frame: the program runs on with defaults for them.
    std::vector<FileProblem> unreadable;
    if (!mapSources.mapFileFault.ok())
        unreadable.push_back({serialMapFilePath(), mapSources.mapFileFault});
    unreadable.insert(unreadable.end(), frame.unreadableFiles().begin(), frame.unreadableFiles().end());
    QTimer::singleShot(0, &frame, [&frame, unreadable] { tellUnreadableFiles(&frame, unreadable); });
    return app.exec();
}
