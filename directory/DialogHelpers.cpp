#include "directory/DialogHelpers.h"
#include "directory/UserPrompts.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>

QLabel* makeFieldLabel(const QString& text, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    QString plain = text;
    plain.remove(QLatin1Char('&'));
    field->setAccessibleName(plain);
    return label;
}

QPushButton* makeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    return button;
}

QTableWidget* makeReportList(const std::vector<ReportColumn>& columns, QWidget* parent)
{
    auto* list = new QTableWidget(0, static_cast<int>(columns.size()), parent);
    QStringList headers;
    for (const ReportColumn& column : columns)
        headers << column.header;
    list->setHorizontalHeaderLabels(headers);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        list->setColumnWidth(i, columns[static_cast<std::size_t>(i)].width);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setSectionsClickable(false);
    list->verticalHeader()->hide();
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setSortingEnabled(false);
    list->setWordWrap(false);
    QPalette palette = list->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    list->setPalette(palette);
    return list;
}

void setReportCell(QTableWidget* list, int row, int column, const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    list->setItem(row, column, item);
}

void insertReportRow(QTableWidget* list, int position, const QStringList& cells)
{
    const int row = (position < 0 || position > list->rowCount()) ? list->rowCount() : position;
    list->insertRow(row);
    for (int column = 0; column < cells.size() && column < list->columnCount(); ++column)
        setReportCell(list, row, column, cells[column]);
}

QString reportCell(const QTableWidget* list, int row, int column)
{
    const QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QString();
}

void trackItemChanges(QTableWidget* list, std::function<void(int row)> onRow)
{
    // Only selections count. The current index alone is no choice: the list
    // would make its first row current when it gets the focus at opening.
    // Setting no current row up front stops that, so the first Down selects
    // the first row, not the second.
    list->setCurrentIndex(QModelIndex());
    QItemSelectionModel* selection = list->selectionModel();
    QObject::connect(selection, &QItemSelectionModel::selectionChanged, list,
                     [onRow](const QItemSelection& selected, const QItemSelection& deselected) {
                         if (!deselected.isEmpty() && !deselected.indexes().isEmpty())
                             onRow(deselected.indexes().constFirst().row());
                         if (!selected.isEmpty() && !selected.indexes().isEmpty())
                             onRow(selected.indexes().constFirst().row());
                     });
}

std::optional<QString> askAndRemoveReportRow(QWidget* parent, QTableWidget* list, int row, int numberColumn,
                                             int nameColumn, bool& updating)
{
    if (row < 0 || row >= list->rowCount())
        return std::nullopt;  // a position past the end (after deleting the last row) names nothing
    const QString number = reportCell(list, row, numberColumn);
    const QString name = reportCell(list, row, nameColumn);
    if (!askUser(parent, QStringLiteral("'%1 - %2' 항목을 삭제하시겠습니까?").arg(number, name)))
        return std::nullopt;
    updating = true;
    list->removeRow(row);
    list->clearSelection();
    if (row < list->rowCount())
        list->selectRow(row);
    updating = false;
    return number;
}

QHBoxLayout* makeOkCancelRow(QDialog* dialog, QPushButton* ok, QPushButton* cancel)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

QComboBox* makeChoiceList(std::span<const std::string_view> items, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    for (const std::string_view item : items)
        list->addItem(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
    list->setCurrentIndex(-1);
    return list;
}

void askToSaveChanges(QWidget* dialog, bool& asking, std::function<void()> save, std::function<void()> discard)
{
    if (asking)
        return;
    asking = true;
    askUserThen(dialog, QStringLiteral("변경된 내용을 저장하시겠습니까?"), true,
                [&asking, save = std::move(save), discard = std::move(discard)](PromptAnswer answer) {
                    asking = false;
                    if (answer == PromptAnswer::Yes)
                        save();
                    else if (answer == PromptAnswer::No)
                        discard();
                });
}
