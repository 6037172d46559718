#pragma once
// "IP주소입력": name, address and port of one IP book entry. Values come in
// through the constructor and go out through the getters once accepted.

#include <QDialog>

#include <string>

class QLineEdit;

class IpEntryDialog : public QDialog {
    Q_OBJECT

public:
    IpEntryDialog(std::string name, std::string address, int port, QWidget* parent = nullptr);

    std::string name() const;  // code page 949, at most 15 bytes
    std::string address() const;
    int port() const;  // 0..32700

    void accept() override;

private:
    QLineEdit* m_name;
    QLineEdit* m_address;
    QLineEdit* m_port;
    int m_acceptedPort;
};
