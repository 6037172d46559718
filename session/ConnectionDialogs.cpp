#include "session/ConnectionDialogs.h"

#include <QFileDialog>

#include "base/AppPaths.h"
#include "directory/LoginDialog.h"
#include "directory/PhoneBookDialog.h"
#include "directory/RemotePortSettingsDialog.h"

namespace {

// Opens the dialog window-modal and calls `finish` with it when the operator
// closes it; the dialog then goes away.
template <typename Dialog, typename Finish>
void openDialog(Dialog* dialog, Finish finish)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, finish = std::move(finish)](int result) { finish(*dialog, result == QDialog::Accepted); });
    dialog->open();
}

class RealConnectionDialogs final : public ConnectionDialogs {
public:
    void choosePhoneEntry(QWidget* parent, Answer<PhoneEntry> answer) override
    {
        openDialog(new PhoneBookDialog(dataDirectory() + "phone.dat", parent),
                   [answer = std::move(answer)](PhoneBookDialog& dialog, bool accepted) {
                       answer(accepted ? std::optional<PhoneEntry>(dialog.chosenEntry()) : std::nullopt);
                   });
    }

    void askLogin(QWidget* parent, const QString& caption, const std::string& userId, const std::string& password,
                  Answer<LoginAnswer> answer) override
    {
        openDialog(new LoginDialog(caption, userId, password, parent),
                   [answer = std::move(answer)](LoginDialog& dialog, bool accepted) {
                       answer(accepted ? std::optional<LoginAnswer>(LoginAnswer{dialog.userId(), dialog.password()})
                                       : std::nullopt);
                   });
    }

    void askRemotePortSettings(QWidget* parent, int initialPort,
                               const std::array<std::string, remotePortCount>& statusTexts,
                               Answer<RemotePortAnswer> answer) override
    {
        openDialog(new RemotePortSettingsDialog(initialPort, statusTexts, parent),
                   [answer = std::move(answer)](RemotePortSettingsDialog& dialog, bool accepted) {
                       answer(accepted ? std::optional<RemotePortAnswer>(
                                             RemotePortAnswer{dialog.port(), dialog.settingsText()})
                                       : std::nullopt);
                   });
    }

    void askLogPath(QWidget* parent, const QString& folder, const QString& proposedName,
                    std::function<void(const QString&)> answer) override
    {
        auto* dialog = new QFileDialog(parent);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(QStringLiteral("log"));
        dialog->setNameFilter(QStringLiteral("Log Files [*.log] (*.log)"));
        dialog->setDirectory(folder);
        dialog->selectFile(proposedName);
        // The overwrite question stays on (it is the default of a save dialog).
        openDialog(dialog, [answer = std::move(answer)](QFileDialog& shown, bool accepted) {
            answer(accepted && !shown.selectedFiles().isEmpty() ? shown.selectedFiles().constFirst() : QString());
        });
    }

    void askScriptPath(QWidget* parent, const QString& folder, std::function<void(const QString&)> answer) override
    {
        auto* dialog = new QFileDialog(parent, QStringLiteral("스크립트 실행"), folder,
                                       QStringLiteral("스크립트 (*.krv);;모든 파일 (*)"));
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        openDialog(dialog, [answer = std::move(answer)](QFileDialog& shown, bool accepted) {
            answer(accepted && !shown.selectedFiles().isEmpty() ? shown.selectedFiles().constFirst() : QString());
        });
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
