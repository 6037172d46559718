#include "directory/DialSettingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "directory/DialogHelpers.h"

namespace {

const char* const dialWithTones = "ATDT";
const char* const dialPlain = "ATD";

}  // namespace

DialSettingsDialog::DialSettingsDialog(const DialSettings& settings, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("전화 걸기 설정"));

    m_atd = new QRadioButton(QString::fromLatin1(dialPlain), this);
    m_atdt = new QRadioButton(QString::fromLatin1(dialWithTones), this);
    auto* group = new QButtonGroup(this);
    group->addButton(m_atd);
    group->addButton(m_atdt);
    m_outsideLine = new QLineEdit(fromCp949(settings.outsideLineNumber), this);
    m_initCommand = new QLineEdit(fromCp949(settings.initCommand), this);
    m_redialCount = new QSpinBox(this);
    m_redialCount->setRange(0, maxRedialCount);
    m_redialCount->setValue(settings.redialCount);
    m_redialCount->setSpecialValueText(QStringLiteral("0 (사용 안 함)"));
    m_redialInterval = new QSpinBox(this);
    m_redialInterval->setRange(minRedialIntervalSeconds, maxRedialIntervalSeconds);
    m_redialInterval->setValue(settings.redialIntervalSeconds);
    m_reconnect = new QCheckBox(QStringLiteral("끊기면 다시 연결"), this);
    m_reconnect->setChecked(settings.reconnect);
    auto* ok = makeButton(QStringLiteral("확인"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    ok->setDefault(true);

    if (settings.dialCommand == dialWithTones)
        m_atdt->setChecked(true);
    else
        m_atd->setChecked(true);

    // The dial command row carries the same caption as the initialisation
    // command field; the radio buttons are found by their own texts.
    auto* radios = new QHBoxLayout;
    radios->addWidget(m_atd);
    radios->addWidget(m_atdt);
    radios->addStretch();

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("기본 모뎀 초기화 명령"), this), 0, 0);
    grid->addLayout(radios, 0, 1);
    grid->addWidget(makeFieldLabel(QStringLiteral("외부 회선 연결번호"), m_outsideLine, this), 1, 0);
    grid->addWidget(m_outsideLine, 1, 1);
    grid->addWidget(makeFieldLabel(QStringLiteral("기본 모뎀 초기화 명령"), m_initCommand, this), 2, 0);
    grid->addWidget(m_initCommand, 2, 1);
    grid->addWidget(makeFieldLabel(QStringLiteral("재다이얼 횟수"), m_redialCount, this), 3, 0);
    grid->addWidget(m_redialCount, 3, 1);
    grid->addWidget(makeFieldLabel(QStringLiteral("재다이얼 간격(초)"), m_redialInterval, this), 4, 0);
    grid->addWidget(m_redialInterval, 4, 1);
    grid->addWidget(m_reconnect, 5, 1);

    QHBoxLayout* buttons = makeOkCancelRow(this, ok, cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

DialSettings DialSettingsDialog::settings() const
{
    DialSettings result;
    result.dialCommand = m_atdt->isChecked() ? dialWithTones : dialPlain;
    result.outsideLineNumber = toCp949(m_outsideLine->text());
    result.initCommand = toCp949(m_initCommand->text());
    result.redialCount = m_redialCount->value();
    result.redialIntervalSeconds = m_redialInterval->value();
    result.reconnect = m_reconnect->isChecked();
    return result;
}

void DialSettingsDialog::accept()
{
    if (m_commit && !m_commit(this))
        return;
    QDialog::accept();
}
