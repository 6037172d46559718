#include "directory/PortNumberDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "directory/DialogHelpers.h"
#include "directory/EntryChecks.h"
#include "directory/UserPrompts.h"

PortNumberDialog::PortNumberDialog(int proposed, QWidget* parent)
    : QDialog(parent)
    , m_port(proposed)
{
    setWindowTitle(QStringLiteral("포트번호 입력"));

    m_field = new QLineEdit(QString::number(proposed), this);
    auto* connectButton = makeButton(QStringLiteral("연결"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    connectButton->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(makeFieldLabel(QStringLiteral("포트번호"), m_field, this), m_field);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(connectButton);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(connectButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PortNumberDialog::accept()
{
    const std::optional<int> value = parseIntegerField(m_field->text().toStdString());
    if (!value) {
        informUser(this, QString::fromUtf8(notAnIntegerMessage));
        return;
    }
    m_port = *value;
    QDialog::accept();
}
