#include "directory/PhoneEntryDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "directory/DialogHelpers.h"
#include "directory/EntryChecks.h"
#include "directory/UserPrompts.h"

PhoneEntryDialog::PhoneEntryDialog(const PhoneEntry& initial, bool isNew, QWidget* parent)
    : QDialog(parent)
    , m_index(initial.index)
{
    setWindowTitle(QStringLiteral("전화번호 입력"));

    // Created in tab order.
    m_name = new QLineEdit(this);
    m_number = new QLineEdit(this);
    m_outsideLine = new QCheckBox(QStringLiteral("외부 통화"), this);
    m_userId = new QLineEdit(this);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_confirmation = new QLineEdit(this);
    m_confirmation->setEchoMode(QLineEdit::Password);
    auto* ok = makeButton(QStringLiteral("확인"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    ok->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(makeFieldLabel(QStringLiteral("이름"), m_name, this), 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(makeFieldLabel(QStringLiteral("전화번호"), m_number, this), 1, 0);
    grid->addWidget(m_number, 1, 1);
    grid->addWidget(m_outsideLine, 1, 2);
    grid->addWidget(makeFieldLabel(QStringLiteral("유저ID"), m_userId, this), 2, 0);
    grid->addWidget(m_userId, 2, 1);
    grid->addWidget(makeFieldLabel(QStringLiteral("비밀번호"), m_password, this), 3, 0);
    grid->addWidget(m_password, 3, 1);
    grid->addWidget(makeFieldLabel(QStringLiteral("비밀번호확인"), m_confirmation, this), 4, 0);
    grid->addWidget(m_confirmation, 4, 1);

    QHBoxLayout* buttons = makeOkCancelRow(this, ok, cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    if (!isNew) {
        m_name->setText(fromCp949(initial.name));
        m_number->setText(fromCp949(initial.number));
        m_outsideLine->setChecked(initial.outsideLine);
        m_userId->setText(fromCp949(initial.userId));
        m_password->setText(fromCp949(initial.password));
        m_confirmation->setText(fromCp949(initial.password));
    }
}

PhoneEntry PhoneEntryDialog::entry() const
{
    PhoneEntry result;
    result.index = m_index;
    result.name = toCp949(m_name->text());
    result.number = toCp949(m_number->text());
    result.outsideLine = m_outsideLine->isChecked();
    result.userId = toCp949(m_userId->text());
    result.password = toCp949(m_password->text());
    return result;
}

void PhoneEntryDialog::accept()
{
    const PhoneEntryProblem problem = checkPhoneEntry(entry(), toCp949(m_confirmation->text()));
    if (problem != PhoneEntryProblem::None) {
        informUser(this, QString::fromUtf8(phoneEntryMessage(problem)));
        return;
    }
    QDialog::accept();
}
