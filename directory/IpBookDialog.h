#pragma once
// "IP주소관리": edits the main frame's IP book in place. "확인" runs the caller's
// commit (the save) and closes only when it succeeds; "취소" closes. Edits made
// before "취소" stay in the book in memory, as the caller's book is the one edited.

#include <QDialog>

#include "directory/DialogHelpers.h"
#include "directory/IpBook.h"

class QTableWidget;

class IpBookDialog : public QDialog {
    Q_OBJECT

public:
    IpBookDialog(IpBook& book, QWidget* parent = nullptr);

    void setCommit(DialogCommit commit) { m_commit = std::move(commit); }
    void accept() override;

private:
    void addEntry();
    void modifyEntry();
    void deleteEntry();

    void insertRow(const IpEntry& entry);
    void fillRow(int row, const IpEntry& entry);

    IpBook& m_book;
    QTableWidget* m_list;
    int m_currentRow = -1;
    bool m_listUpdating = false;
    DialogCommit m_commit;
};
