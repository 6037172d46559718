#pragma once
// The small caption-less window shown while a dial is in progress.

#include <QDialog>

class DialWaitDialog : public QDialog {
    Q_OBJECT
public:
    explicit DialWaitDialog(QWidget* owner);

    // Shows it modeless, centred on the owner.
    void showCentred();

    void reject() override;

signals:
    // The operator pressed "취소".
    void cancelled();
};
