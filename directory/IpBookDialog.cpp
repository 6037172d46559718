#include "directory/IpBookDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "directory/BookEditing.h"
#include "directory/DialogHelpers.h"
#include "directory/IpEntryDialog.h"
#include "directory/UserPrompts.h"

namespace {

enum Column { NumberColumn, NameColumn, AddressColumn, PortColumn };

}  // namespace

IpBookDialog::IpBookDialog(IpBook& book, QWidget* parent)
    : QDialog(parent)
    , m_book(book)
    , m_saved(book)
{
    setWindowTitle(QStringLiteral("IP주소관리"));

    m_list = makeReportList({{QStringLiteral("순번"), 50},
                             {QStringLiteral("이름"), 120},
                             {QStringLiteral("IP주소"), 120},
                             {QStringLiteral("포트"), 80}},
                            this);
    m_list->setAccessibleName(QStringLiteral("IP주소관리"));
    m_list->setMinimumWidth(50 + 120 + 120 + 80 + 2 * m_list->frameWidth() + 4);

    auto* add = makeButton(QStringLiteral("추가"), this);
    auto* modify = makeButton(QStringLiteral("수정"), this);
    auto* remove = makeButton(QStringLiteral("삭제"), this);
    auto* ok = makeButton(QStringLiteral("확인"), this);
    auto* cancel = makeButton(QStringLiteral("취소"), this);
    ok->setDefault(true);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add, modify, remove, ok, cancel})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    for (const IpEntry& entry : m_book)
        insertRow(entry);
    m_currentRow = -1;

    trackItemChanges(m_list, [this](int row) {
        if (!m_listUpdating)
            m_currentRow = row;
    });

    connect(add, &QPushButton::clicked, this, &IpBookDialog::addEntry);
    connect(modify, &QPushButton::clicked, this, &IpBookDialog::modifyEntry);
    connect(remove, &QPushButton::clicked, this, &IpBookDialog::deleteEntry);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void IpBookDialog::accept()
{
    if (m_commit && !m_commit(this))
        return;
    QDialog::accept();
}

void IpBookDialog::reject()
{
    if (!differsFromSaved(m_book, m_saved)) {
        QDialog::reject();
        return;
    }
    askToSaveChanges(this, m_asking, [this] { accept(); }, [this] { QDialog::reject(); });
}

void IpBookDialog::insertRow(const IpEntry& entry)
{
    // Rows go in at the entry's index; past the end they are appended.
    m_listUpdating = true;
    insertReportRow(m_list, entry.index,
                    {QString::fromStdString(rowNumberText(entry.index)), fromCp949(entry.name),
                     fromCp949(entry.address), QString::number(entry.port)});
    m_listUpdating = false;
}

void IpBookDialog::fillRow(int row, const IpEntry& entry)
{
    setReportCell(m_list, row, NameColumn, fromCp949(entry.name));
    setReportCell(m_list, row, AddressColumn, fromCp949(entry.address));
    setReportCell(m_list, row, PortColumn, QString::number(entry.port));
}

void IpBookDialog::addEntry()
{
    IpEntryDialog editor(std::string(), std::string(), 0, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    IpEntry entry;
    entry.index = nextEntryIndex(m_book);
    entry.name = editor.name();
    entry.address = editor.address();
    entry.port = editor.port();
    m_book.push_back(entry);
    insertRow(entry);
}

void IpBookDialog::modifyEntry()
{
    if (m_currentRow < 0)
        return;
    const int index = indexFromRowNumber(reportCell(m_list, m_currentRow, NumberColumn).toStdString());
    IpEntry* entry = findEntryByIndex(m_book, index);
    if (!entry)
        return;
    IpEntryDialog editor(entry->name, entry->address, entry->port, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    entry->name = editor.name();
    entry->address = editor.address();
    entry->port = editor.port();
    fillRow(m_currentRow, *entry);
}

void IpBookDialog::deleteEntry()
{
    const std::optional<QString> number =
        askAndRemoveReportRow(this, m_list, m_currentRow, NumberColumn, NameColumn, m_listUpdating);
    if (number)
        removeEntriesByIndex(m_book, indexFromRowNumber(number->toStdString()));
}
