#pragma once
// "전화번호부": the phone book. It reads phone.dat when it opens and writes it on
// "저장" and on "전화걸기"; "전화걸기" (also Enter and a double-click) closes it
// with the chosen entry. "취소" (Escape, the close box) closes it at once when
// nothing is unsaved, and otherwise asks whether to save first. A save that
// fails is told and keeps the dialog open; so does "전화걸기".

#include <QDialog>

#include <string>

#include "directory/PhoneBook.h"

class QTableWidget;

class PhoneBookDialog : public QDialog {
    Q_OBJECT

public:
    PhoneBookDialog(std::string phoneFilePath, QWidget* parent = nullptr);

    // The entry chosen by the dial action; meaningful after exec() == Accepted.
    const PhoneEntry& chosenEntry() const { return m_chosen; }

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addEntry();
    void modifyEntry();
    void deleteEntry();
    // True when saved; a failure has been told to the operator.
    bool saveBook();
    void dial();

    void fillRow(int row, const PhoneEntry& entry);
    // The entry the current row names, or nullptr (no current row, or a row
    // position past the end after a deletion).
    PhoneEntry* currentEntry();

    std::string m_path;
    PhoneBook m_book;
    PhoneBook m_saved;  // what phone.dat holds, as far as this dialog knows
    PhoneEntry m_chosen;
    QTableWidget* m_list;
    int m_currentRow = -1;
    bool m_listUpdating = false;
    bool m_asking = false;
};
