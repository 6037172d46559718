#pragma once
// "포트번호 입력": confirms or changes the TCP port proposed for a launch. Any
// integer is accepted; "연결" is the default button.

#include <QDialog>

class QLineEdit;

class PortNumberDialog : public QDialog {
    Q_OBJECT

public:
    explicit PortNumberDialog(int proposed, QWidget* parent = nullptr);

    int port() const { return m_port; }

    void accept() override;

private:
    QLineEdit* m_field;
    int m_port;
};
