#include "directory/LocalPortSettingsDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include <span>

#include "base/QtText.h"
#include "directory/DialogHelpers.h"

LocalPortSettingsDialog::LocalPortSettingsDialog(const PortTable& table, QWidget* parent)
    : QDialog(parent)
    , m_form(table)
{
    setWindowTitle(QStringLiteral("포트설정"));

    m_ports = new QListWidget(this);
    auto* settings = new QGroupBox(QStringLiteral("설정값"), this);
    m_speed = makeChoiceList(localSpeedItems, settings);
    m_dataBits = makeChoiceList(localDataBitsItems, settings);
    m_stopBits = makeChoiceList(localStopBitsItems, settings);
    m_parity = makeChoiceList(localParityItems, settings);
    auto* note = new QLabel(QStringLiteral("* 전화연결이 되어있다면, 다음 연결시에 적용됩니다."), this);
    note->setEnabled(false);  // greyed
    auto* ok = makeButton(QStringLiteral("확인"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    cancel->setDefault(true);

    auto* portColumn = new QVBoxLayout;
    portColumn->addWidget(makeFieldLabel(QStringLiteral("통신포트"), m_ports, this));
    portColumn->addWidget(m_ports);

    auto* form = new QFormLayout(settings);
    form->addRow(makeFieldLabel(QStringLiteral("통신속도"), m_speed, settings), m_speed);
    form->addRow(makeFieldLabel(QStringLiteral("데이터비트"), m_dataBits, settings), m_dataBits);
    form->addRow(makeFieldLabel(QStringLiteral("스톱비트"), m_stopBits, settings), m_stopBits);
    form->addRow(makeFieldLabel(QStringLiteral("패리티비트"), m_parity, settings), m_parity);

    auto* top = new QHBoxLayout;
    top->addLayout(portColumn);
    top->addWidget(settings, 1);

    QHBoxLayout* buttons = makeOkCancelRow(this, ok, cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(note);
    layout->addLayout(buttons);

    for (const PortSettings& port : table)
        m_ports->addItem(fromCp949(portNameLabel(port.portName)));
    connect(m_ports, &QListWidget::currentRowChanged, this, &LocalPortSettingsDialog::showSelectedPort);
    m_ports->setCurrentRow(0);
    m_ports->setFocus();
}

LocalPortChoice LocalPortSettingsDialog::listsNow() const
{
    return LocalPortChoice{m_speed->currentIndex(), m_dataBits->currentIndex(), m_stopBits->currentIndex(),
                           m_parity->currentIndex()};
}

void LocalPortSettingsDialog::showSelectedPort()
{
    const std::optional<LocalPortChoice> shown = m_form.showPort(m_ports->currentRow(), listsNow());
    if (!shown)
        return;
    m_speed->setCurrentIndex(shown->speed);
    m_dataBits->setCurrentIndex(shown->dataBits);
    m_stopBits->setCurrentIndex(shown->stopBits);
    m_parity->setCurrentIndex(shown->parity);
}

void LocalPortSettingsDialog::accept()
{
    m_form.finish(listsNow());
    if (m_commit && !m_commit(this))
        return;
    QDialog::accept();
}
