#include "directory/LoginDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "directory/DialogHelpers.h"
#include "directory/EntryChecks.h"
#include "directory/UserPrompts.h"

LoginDialog::LoginDialog(const QString& caption, const std::string& userId, const std::string& password,
                         QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption);

    m_userId = new QLineEdit(fromCp949(userId), this);
    m_password = new QLineEdit(fromCp949(password), this);
    m_password->setEchoMode(QLineEdit::Password);
    // The confirmation always starts empty: the user retypes the password.
    m_confirmation = new QLineEdit(this);
    m_confirmation->setEchoMode(QLineEdit::Password);
    auto* ok = makeButton(QStringLiteral("확인"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    ok->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(makeFieldLabel(QStringLiteral("유저 ID"), m_userId, this), m_userId);
    form->addRow(makeFieldLabel(QStringLiteral("비밀번호"), m_password, this), m_password);
    form->addRow(makeFieldLabel(QStringLiteral("비밀번호 확인"), m_confirmation, this), m_confirmation);

    QHBoxLayout* buttons = makeOkCancelRow(this, ok, cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

std::string LoginDialog::userId() const
{
    return toCp949(m_userId->text());
}

std::string LoginDialog::password() const
{
    return toCp949(m_password->text());
}

void LoginDialog::accept()
{
    if (!passwordsMatch(password(), toCp949(m_confirmation->text()))) {
        informUser(this, QString::fromUtf8(passwordMismatchMessage));
        return;
    }
    QDialog::accept();
}
