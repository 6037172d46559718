#include "session/ConnectionDialogs.h"

#include <QFileDialog>

#include "base/AppPaths.h"
#include "directory/LoginDialog.h"
#include "directory/PhoneBookDialog.h"
#include "directory/RemotePortSettingsDialog.h"

namespace {

class RealConnectionDialogs final : public ConnectionDialogs {
public:
    std::optional<PhoneEntry> choosePhoneEntry(QWidget* parent) override
    {
        PhoneBookDialog dialog(dataDirectory() + "phone.dat", parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.chosenEntry();
    }

    std::optional<LoginAnswer> askLogin(QWidget* parent, const QString& caption, const std::string& userId,
                                        const std::string& password) override
    {
        LoginDialog dialog(caption, userId, password, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return LoginAnswer{dialog.userId(), dialog.password()};
    }

    std::optional<RemotePortAnswer> askRemotePortSettings(QWidget* parent, int initialPort,
                                                          const std::array<std::string, remotePortCount>& statusTexts) override
    {
        RemotePortSettingsDialog dialog(initialPort, statusTexts, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return RemotePortAnswer{dialog.port(), dialog.settingsText()};
    }

    QString askLogPath(QWidget* parent, const QString& folder, const QString& proposedName) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("log"));
        dialog.setNameFilter(QStringLiteral("Log Files [*.log] (*.log)"));
        dialog.setDirectory(folder);
        dialog.selectFile(proposedName);
        // The overwrite question stays on (it is the default of a save dialog).
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
};

ConnectionDialogs* g_override = nullptr;

}  // namespace

ConnectionDialogs& connectionDialogs()
{
    static RealConnectionDialogs real;
    return g_override ? *g_override : real;
}

void setConnectionDialogs(ConnectionDialogs* dialogs)
{
    g_override = dialogs;
}
