#pragma once
// The small caption-less window shown while a dial is in progress.

#include <QDialog>

class QLabel;

class DialWaitDialog : public QDialog {
    Q_OBJECT
public:
    explicit DialWaitDialog(QWidget* owner);

    // Shows it modeless, centred on the owner.
    void showCentred();
    // The countdown toward the next dial attempt under the text; empty hides it.
    void setCountdown(const QString& text);

    void reject() override;

signals:
    // The operator pressed "취소".
    void cancelled();

private:
    QLabel* m_countdown;
};
