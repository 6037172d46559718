#pragma once

#include "launcher/LauncherApp.h"
#include "launcher/TemplateDump.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;

namespace launcher {

// The launcher's small status window. It shows one line, drives the write and
// open steps with one-shot timers and closes itself about 1.5 seconds after it
// opened. Four developer buttons ("m", "C", "R", "DEL") exist but are never
// shown.
class LauncherDialog : public QDialog {
    Q_OBJECT

public:
    using Opener = std::function<void(const std::string& path)>;

    static constexpr int stepMs = 500;
    static constexpr int invalidCloseMs = 1500;

    // `app` must outlive the dialog. The opener defaults to openSessionFile,
    // the message hook to a message box; tests replace both.
    explicit LauncherDialog(LauncherApp& app, QWidget* parent = nullptr);

    void setOpener(Opener opener) { m_opener = std::move(opener); }
    void setMessageHook(MessageHook hook) { m_showMessage = std::move(hook); }

    QString statusText() const;

private:
    void writeStep();
    void openStep();
    void dumpTemplate();
    void writeDefaultServer();
    void openAndClose();
    void centreOnScreen();

    LauncherApp& m_app;
    QLabel* m_status = nullptr;
    Opener m_opener;
    MessageHook m_showMessage;
};

} // namespace launcher
