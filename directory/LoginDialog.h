#pragma once
// Asks for a user ID and a password typed twice; the caption is the caller's
// ("로그인 재시도", "아이디 변경"). OK is refused while the two passwords differ.

#include <QDialog>

#include <string>

class QLineEdit;

class LoginDialog : public QDialog {
    Q_OBJECT

public:
    LoginDialog(const QString& caption, const std::string& userId, const std::string& password,
                QWidget* parent = nullptr);

    // Code page 949.
    std::string userId() const;
    std::string password() const;

    void accept() override;

private:
    QLineEdit* m_userId;
    QLineEdit* m_password;
    QLineEdit* m_confirmation;
};
