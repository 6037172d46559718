#include "directory/PhoneBookDialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "directory/BookEditing.h"
#include "directory/DialogHelpers.h"
#include "directory/FileFaultText.h"
#include "directory/PhoneEntryDialog.h"
#include "directory/UserPrompts.h"

namespace {

enum Column { NumberColumn, NameColumn, PhoneColumn, OutsideLineColumn };

QString outsideLineText(bool outsideLine)
{
    return outsideLine ? QStringLiteral("사용") : QString();
}

}  // namespace

PhoneBookDialog::PhoneBookDialog(std::string phoneFilePath, QWidget* parent)
    : QDialog(parent)
    , m_path(std::move(phoneFilePath))
{
    setWindowTitle(QStringLiteral("전화번호부"));

    m_list = makeReportList({{QStringLiteral("순번"), 50},
                             {QStringLiteral("이름"), 120},
                             {QStringLiteral("전화번호"), 120},
                             {QStringLiteral("외부회선"), 80}},
                            this);
    m_list->setAccessibleName(QStringLiteral("전화번호부"));
    m_list->setMinimumWidth(50 + 120 + 120 + 80 + 2 * m_list->frameWidth() + 4);

    auto* add = makeButton(QStringLiteral("추가"), this);
    auto* modify = makeButton(QStringLiteral("수정"), this);
    auto* remove = makeButton(QStringLiteral("삭제"), this);
    auto* save = makeButton(QStringLiteral("저장"), this);
    auto* dialButton = makeButton(QStringLiteral("전화걸기"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    dialButton->setDefault(true);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add, modify, remove, save, dialButton, cancel})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    FileFault readFault;
    m_book = readPhoneBook(m_path, &readFault);
    m_saved = m_book;
    if (!readFault.ok()) {
        // Told once the dialog is up, over it: the book opens empty and a save is
        // refused until the file is put right.
        QTimer::singleShot(0, this, [this, readFault] { tellUnreadableFiles(this, {{m_path, readFault}}); });
    }
    m_listUpdating = true;
    for (const PhoneEntry& entry : m_book) {
        m_list->insertRow(m_list->rowCount());
        fillRow(m_list->rowCount() - 1, entry);
    }
    m_listUpdating = false;
    m_currentRow = -1;

    trackItemChanges(m_list, [this](int row) {
        if (!m_listUpdating)
            m_currentRow = row;
    });
    m_list->viewport()->installEventFilter(this);

    connect(add, &QPushButton::clicked, this, &PhoneBookDialog::addEntry);
    connect(modify, &QPushButton::clicked, this, &PhoneBookDialog::modifyEntry);
    connect(remove, &QPushButton::clicked, this, &PhoneBookDialog::deleteEntry);
    connect(save, &QPushButton::clicked, this, &PhoneBookDialog::saveBook);
    connect(dialButton, &QPushButton::clicked, this, &PhoneBookDialog::dial);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool PhoneBookDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = m_list->indexAt(mouse->position().toPoint());
        m_currentRow = index.isValid() ? index.row() : -1;
        dial();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PhoneBookDialog::fillRow(int row, const PhoneEntry& entry)
{
    setReportCell(m_list, row, NumberColumn, QString::fromStdString(rowNumberText(entry.index)));
    setReportCell(m_list, row, NameColumn, fromCp949(entry.name));
    setReportCell(m_list, row, PhoneColumn, fromCp949(entry.number));
    setReportCell(m_list, row, OutsideLineColumn, outsideLineText(entry.outsideLine));
}

PhoneEntry* PhoneBookDialog::currentEntry()
{
    if (m_currentRow < 0)
        return nullptr;
    const std::string number = reportCell(m_list, m_currentRow, NumberColumn).toStdString();
    return findEntryByIndex(m_book, indexFromRowNumber(number));
}

void PhoneBookDialog::addEntry()
{
    PhoneEntryDialog editor(PhoneEntry{}, true, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    PhoneEntry entry = editor.entry();
    entry.index = nextEntryIndex(m_book);
    m_book.push_back(entry);
    m_listUpdating = true;
    m_list->insertRow(m_list->rowCount());
    fillRow(m_list->rowCount() - 1, entry);
    m_listUpdating = false;
}

void PhoneBookDialog::modifyEntry()
{
    PhoneEntry* entry = currentEntry();
    if (!entry)
        return;
    PhoneEntryDialog editor(*entry, false, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    const PhoneEntry edited = editor.entry();
    entry->name = edited.name;
    entry->number = edited.number;
    entry->outsideLine = edited.outsideLine;
    entry->userId = edited.userId;
    entry->password = edited.password;
    fillRow(m_currentRow, *entry);
}

void PhoneBookDialog::deleteEntry()
{
    const std::optional<QString> number =
        askAndRemoveReportRow(this, m_list, m_currentRow, NumberColumn, NameColumn, m_listUpdating);
    if (number)
        removeEntriesByIndex(m_book, indexFromRowNumber(number->toStdString()));
}

bool PhoneBookDialog::saveBook()
{
    // A failed save is told with the file and the reason; the dialog stays open
    // with the edits, to try again or cancel.
    if (!tellSaveResult(this, m_path, writePhoneBook(m_path, m_book)))
        return false;
    m_saved = m_book;
    return true;
}

void PhoneBookDialog::reject()
{
    if (!differsFromSaved(m_book, m_saved)) {
        QDialog::reject();
        return;
    }
    // A failed save is told and keeps the dialog.
    askToSaveChanges(
        this, m_asking,
        [this] {
            if (saveBook())
                QDialog::reject();
        },
        [this] { QDialog::reject(); });
}

void PhoneBookDialog::dial()
{
    // A row position past the end (after deleting the last row) names no entry
    // and is treated like no row at all.
    const PhoneEntry* entry = currentEntry();
    if (!entry) {
        informUser(this, QStringLiteral("전화번호를 선택해 주세요."));
        return;
    }
    if (!saveBook())
        return;
    m_chosen = *entry;
    accept();
}
