#pragma once
// "IP주소관리": edits the main frame's IP book in place. "확인" runs the caller's
// commit (the save) and closes only when it succeeds. "취소" (Escape, the close
// box) closes at once when the book holds nothing unsaved, and otherwise asks
// whether to save: 예 is "확인", 아니요 closes, 취소 stays. Edits not saved stay
// in the book in memory, as the caller's book is the one edited.

#include <QDialog>

#include "directory/DialogHelpers.h"
#include "directory/IpBook.h"

class QTableWidget;

class IpBookDialog : public QDialog {
    Q_OBJECT

public:
    IpBookDialog(IpBook& book, QWidget* parent = nullptr);

    void setCommit(DialogCommit commit) { m_commit = std::move(commit); }
    // What ip.dat holds; without it, the book as the dialog opened on it.
    void setSavedBook(IpBook saved) { m_saved = std::move(saved); }
    void accept() override;
    void reject() override;

private:
    void addEntry();
    void modifyEntry();
    void deleteEntry();

    void insertRow(const IpEntry& entry);
    void fillRow(int row, const IpEntry& entry);

    IpBook& m_book;
    IpBook m_saved;
    QTableWidget* m_list;
    int m_currentRow = -1;
    bool m_listUpdating = false;
    bool m_asking = false;
    DialogCommit m_commit;
};
