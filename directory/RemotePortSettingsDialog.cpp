#include "directory/RemotePortSettingsDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <span>

#include "directory/DialogHelpers.h"

RemotePortSettingsDialog::RemotePortSettingsDialog(int initialPort, const std::array<std::string, remotePortCount>& statusTexts,
                                                   QWidget* parent)
    : QDialog(parent)
    , m_statusTexts(statusTexts)
{
    setWindowTitle(QStringLiteral("원격 포트 설정"));

    m_portList = makeChoiceList(remotePortItems, this);
    m_speed = makeChoiceList(remoteSpeedItems, this);
    m_dataBits = makeChoiceList(remoteDataBitsItems, this);
    m_parity = makeChoiceList(remoteParityItems, this);
    m_stopBits = makeChoiceList(remoteStopBitsItems, this);
    m_flow = makeChoiceList(remoteFlowItems, this);
    auto* ok = makeButton(QStringLiteral("확인"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    ok->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow(makeFieldLabel(QStringLiteral("원격 포트"), m_portList, this), m_portList);
    form->addRow(makeFieldLabel(QStringLiteral("속도"), m_speed, this), m_speed);
    form->addRow(makeFieldLabel(QStringLiteral("데이타비트"), m_dataBits, this), m_dataBits);
    form->addRow(makeFieldLabel(QStringLiteral("패리티비트"), m_parity, this), m_parity);
    form->addRow(makeFieldLabel(QStringLiteral("스톱비트"), m_stopBits, this), m_stopBits);
    form->addRow(makeFieldLabel(QStringLiteral("흐름제어"), m_flow, this), m_flow);

    QHBoxLayout* buttons = makeOkCancelRow(this, ok, cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    const int first = (initialPort >= 0 && initialPort < remotePortCount) ? initialPort : 0;
    m_portList->setCurrentIndex(first);
    showPort(first);
    // Only a choice the user confirms in the port list shows another port.
    connect(m_portList, &QComboBox::activated, this, &RemotePortSettingsDialog::showPort);
}

RemotePortChoice RemotePortSettingsDialog::listsNow() const
{
    return RemotePortChoice{m_speed->currentIndex(), m_dataBits->currentIndex(), m_parity->currentIndex(),
                            m_stopBits->currentIndex(), m_flow->currentIndex()};
}

void RemotePortSettingsDialog::showPort(int port)
{
    if (port < 0 || port >= static_cast<int>(m_statusTexts.size()))
        return;
    const RemotePortChoice choice = choiceForStatusText(m_statusTexts[static_cast<std::size_t>(port)], listsNow());
    m_speed->setCurrentIndex(choice.speed);
    m_dataBits->setCurrentIndex(choice.dataBits);
    m_parity->setCurrentIndex(choice.parity);
    m_stopBits->setCurrentIndex(choice.stopBits);
    m_flow->setCurrentIndex(choice.flow);
}

void RemotePortSettingsDialog::accept()
{
    m_port = m_portList->currentIndex();
    m_settingsText = remoteSettingsText(listsNow());
    QDialog::accept();
}
