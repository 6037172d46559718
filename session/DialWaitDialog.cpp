#include "session/DialWaitDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DialWaitDialog::DialWaitDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(false);
    setAccessibleName(QStringLiteral("전화 거는 중"));
    auto* text = new QLabel(QStringLiteral("전화를 걸고 있습니다. 연결될때까지 기다려주세요."), this);
    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    m_countdown = new QLabel(this);
    m_countdown->setAccessibleName(QStringLiteral("다시 걸기"));
    m_countdown->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text, 0, Qt::AlignCenter);
    layout->addWidget(m_countdown, 0, Qt::AlignCenter);
    layout->addWidget(cancel, 0, Qt::AlignCenter);
    connect(cancel, &QPushButton::clicked, this, &DialWaitDialog::reject);
}

void DialWaitDialog::reject()
{
    // "취소" and Escape both end the dial.
    QDialog::reject();
    emit cancelled();
}

void DialWaitDialog::setCountdown(const QString& text)
{
    m_countdown->setText(text);
    m_countdown->setVisible(!text.isEmpty());
}

void DialWaitDialog::showCentred()
{
    adjustSize();
    if (QWidget* owner = parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - rect().center());
    }
    show();
}
