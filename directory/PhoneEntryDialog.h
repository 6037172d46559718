#pragma once
// "전화번호 입력": adds or edits one phone book entry. The entry comes in through
// the constructor and goes out through entry() once the dialog is accepted.

#include <QDialog>

#include "directory/PhoneBook.h"

class QCheckBox;
class QLineEdit;

class PhoneEntryDialog : public QDialog {
    Q_OBJECT

public:
    // isNew: an Add starts empty; a Modify shows the entry and fills the
    // confirmation with its password.
    PhoneEntryDialog(const PhoneEntry& initial, bool isNew, QWidget* parent = nullptr);

    // The edited entry; its index is the one given.
    PhoneEntry entry() const;

    void accept() override;

private:
    int m_index;
    QLineEdit* m_name;
    QLineEdit* m_number;
    QCheckBox* m_outsideLine;
    QLineEdit* m_userId;
    QLineEdit* m_password;
    QLineEdit* m_confirmation;
};
