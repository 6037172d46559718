#pragma once
// Small building blocks shared by the directory and settings dialogs: labelled
// fields that accessibility finds by their label, dialog buttons, and the
// report-style list of the two address books.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

class QComboBox;
class QDialog;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

// What a settings dialog runs on "확인" before it closes: the caller stores and
// saves the values. False keeps the dialog open with the edits (the commit has
// told the operator why); the dialog is passed as the parent for that message.
using DialogCommit = std::function<bool(QWidget* dialog)>;

// A label for field, set as its buddy; the field's accessible name is the label
// text (without mnemonic ampersands).
QLabel* makeFieldLabel(const QString& text, QWidget* field, QWidget* parent);

QPushButton* makeButton(const QString& text, QWidget* parent);

// A drop-down list of fixed ASCII items, starting with no selection.
QComboBox* makeChoiceList(std::span<const std::string_view> items, QWidget* parent);

// The row of a dialog's confirm and cancel buttons, right-aligned, wired to
// accept and reject.
QHBoxLayout* makeOkCancelRow(QDialog* dialog, QPushButton* ok, QPushButton* cancel);

struct ReportColumn {
    QString header;
    int width;
};

// A list in report view: centred columns of fixed order, one full-row
// selection at a time, grid lines, no sorting, no editing, and a selection that
// stays visible when the list loses focus.
QTableWidget* makeReportList(const std::vector<ReportColumn>& columns, QWidget* parent);

// Inserts a row of centred, read-only cells at position (clipped to the end).
void insertReportRow(QTableWidget* list, int position, const QStringList& cells);
void setReportCell(QTableWidget* list, int row, int column, const QString& text);
QString reportCell(const QTableWidget* list, int row, int column);

// Calls onRow with the row of every selection change, by mouse or keyboard: a
// deselected row first, then the newly selected one, so the row selected last
// wins and a row stays reported after it was only deselected. A row that is
// only made current (as focus does) is not reported.
void trackItemChanges(QTableWidget* list, std::function<void(int row)> onRow);

// Asks "'<순번> - <이름>' 항목을 삭제하시겠습니까?" for the row and, on Yes, removes
// it. The current row keeps its position, so it then names the row that moved
// up, which is selected to stay visible. While the list changes, updating is
// true so the dialog's change tracking ignores it. Returns the removed row's
// "순번" text, or nothing when the row names none or the answer was No.
std::optional<QString> askAndRemoveReportRow(QWidget* parent, QTableWidget* list, int row, int numberColumn,
                                             int nameColumn, bool& updating);

// A book dialog closing with changes not saved asks "변경된 내용을 저장하시겠습니까?"
// without waiting: 예 runs `save` (which closes the dialog, or keeps it when the
// save fails), 아니요 runs `discard`, 취소 leaves it open. While the question is
// up, `asking` is true and another close asks nothing.
void askToSaveChanges(QWidget* dialog, bool& asking, std::function<void()> save, std::function<void()> discard);
