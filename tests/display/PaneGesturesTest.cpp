// A pane worked with as an operator does: selecting with the mouse, copying
// with the keys and the context menu, pasting, finding, and what screen
// readers hear of the selection. The pane sits above a stand-in send bar that
// takes the focus the pane passes on, as in a connection window.

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <string>

#include "display/CTerminalView.h"
#include "display/FindBar.h"
#include "tests/support/ContextMenuChoice.h"

namespace {

constexpr int Last = TextScreen::cursorRow;

// A connection window in miniature: a pane and its send bar below.
struct PaneWindow {
    QWidget window;
    CTerminalView* pane = new CTerminalView(&window);
    QLineEdit* bar = new QLineEdit(&window);

    PaneWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(pane, 1);
        layout->addWidget(bar);
        pane->setOwnerFrame(&window);
        QObject::connect(pane, &CTerminalView::paneFocused, bar, [this] { bar->setFocus(); }, Qt::QueuedConnection);
        window.resize(480, 300);
        window.show();
        window.activateWindow();
    }

    // Writes the text and waits for the repaint tick that shows it.
    void show(const std::string& text)
    {
        pane->content().putText(text);
        QTest::qWait(3 * CVT100View::repaintDelayMs);
    }

    // The middle of a cell, in the pane's viewport.
    QPoint cell(int row, int column) const
    {
        return QPoint(column * CVT100View::cellWidth + 4 - pane->horizontalScrollBar()->value(),
                      row * CVT100View::cellHeight + 8 - pane->verticalScrollBar()->value());
    }

    void drag(QPoint from, QPoint to)
    {
        QWidget* viewport = pane->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, (from + to) / 2);
        QTest::mouseMove(viewport, to);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    }

    // Opens the context menu and clicks the entry.
    void chooseFromMenu(const QString& entry) { chooseFromContextMenu(pane->viewport(), cell(Last, 1), entry); }
};

int darkPixels(const QImage& image, const QRect& rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return count;
}

QRect cellRect(const PaneWindow& w, int row, int column)
{
    const QPoint middle = w.cell(row, column);
    return QRect(middle.x() - 4, middle.y() - 8, CVT100View::cellWidth, CVT100View::cellHeight);
}

const std::string Han = "\xC7\xD1";   // U+D55C
const std::string Geul = "\xB1\xDB";  // U+AE00

}  // namespace

class PaneGesturesTest : public QObject {
    Q_OBJECT

private slots:
    void dragSelectsAndCopyKeysCopyFromTheSendBar();
    void selectionStaysOnItsTextWhileRowsScrollIn();
    void doubleClickSelectsAWordAndTripleClickARow();
    void shiftClickExtendsTheSelection();
    void contextMenuSelectsAllCopiesAndPastes();
    void findBarFindsAsTypedAndSteps();
    void accessibleTextReportsTheSelection();
};

void PaneGesturesTest::dragSelectsAndCopyKeysCopyFromTheSendBar()
{
    PaneWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.show("alpha " + Han + Geul + " beta\r\ngamma delta   ");
    w.drag(w.cell(Last - 1, 7), w.cell(Last, 2));  // from the trail byte of the first syllable
    QTRY_COMPARE(QApplication::focusWidget(), w.bar);  // the pane passed the focus on
    QCOMPARE(w.pane->selectedText(), QStringLiteral("한글 beta\ngam"));

    // Drawn inverted: light text on a dark cell, unselected cells untouched.
    const QImage shown = w.pane->viewport()->grab().toImage();
    QVERIFY(darkPixels(shown, cellRect(w, Last, 1)) > CVT100View::cellWidth * CVT100View::cellHeight / 2);
    QVERIFY(darkPixels(shown, cellRect(w, Last, 3)) < CVT100View::cellWidth * CVT100View::cellHeight / 2);
    QCOMPARE(darkPixels(shown, cellRect(w, Last - 1, 5)), 0);

    QApplication::clipboard()->clear();
    QTest::keyClick(w.bar, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("한글 beta\ngam"));
    QApplication::clipboard()->clear();
    QTest::keyClick(w.bar, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("한글 beta\ngam"));

    // A click selects nothing; copying then leaves the clipboard alone.
    QTest::mouseClick(w.pane->viewport(), Qt::LeftButton, {}, w.cell(Last, 8));
    QVERIFY(!w.pane->hasSelection());
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    QTest::keyClick(w.bar, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

void PaneGesturesTest::selectionStaysOnItsTextWhileRowsScrollIn()
{
    PaneWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.show("keep me\r\nnot me");
    w.drag(w.cell(Last - 1, 0), w.cell(Last - 1, 3));
    w.show("\r\nnew\r\n");
    QCOMPARE(w.pane->selectedText(), QStringLiteral("keep"));
    // The inverted cells moved up with their row.
    const QImage shown = w.pane->viewport()->grab().toImage();
    QVERIFY(darkPixels(shown, cellRect(w, Last - 3, 0)) > CVT100View::cellWidth * CVT100View::cellHeight / 2);
    QVERIFY(darkPixels(shown, cellRect(w, Last - 1, 0)) < CVT100View::cellWidth * CVT100View::cellHeight / 2);
    // Once its row has left the screen the selection is gone.
    w.show(std::string(TextScreen::rows, '\n'));
    QVERIFY(!w.pane->hasSelection());
    // Clearing the screen ("화면지우기") takes the selection with the text.
    w.show("again");
    w.drag(w.cell(Last, 0), w.cell(Last, 2));
    QVERIFY(w.pane->hasSelection());
    w.pane->content().clearScreen(true);
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    QVERIFY(!w.pane->hasSelection());
}

void PaneGesturesTest::doubleClickSelectsAWordAndTripleClickARow()
{
    PaneWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.show("CONNECT 115200/ttyS0, " + Han + Geul + "1 ok");
    QTest::mouseDClick(w.pane->viewport(), Qt::LeftButton, {}, w.cell(Last, 10));
    QCOMPARE(w.pane->selectedText(), QStringLiteral("115200/ttyS0"));
    QTest::mouseClick(w.pane->viewport(), Qt::LeftButton, {}, w.cell(Last, 10));
    QCOMPARE(w.pane->selectedText(), QStringLiteral("CONNECT 115200/ttyS0, 한글1 ok"));
    QTest::mouseDClick(w.pane->viewport(), Qt::LeftButton, {}, w.cell(Last, 25));
    QCOMPARE(w.pane->selectedText(), QStringLiteral("한글1"));
}

void PaneGesturesTest::shiftClickExtendsTheSelection()
{
    PaneWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.show("one two\r\nthree four");
    QTest::mouseClick(w.pane->viewport(), Qt::LeftButton, {}, w.cell(Last - 1, 4));
    QTest::mouseClick(w.pane->viewport(), Qt::LeftButton, Qt::ShiftModifier, w.cell(Last, 4));
    QCOMPARE(w.pane->selectedText(), QStringLiteral("two\nthree"));
    QTest::mouseClick(w.pane->viewport(), Qt::LeftButton, Qt::ShiftModifier, w.cell(Last, 9));
    QCOMPARE(w.pane->selectedText(), QStringLiteral("two\nthree four"));
}

void PaneGesturesTest::contextMenuSelectsAllCopiesAndPastes()
{
    PaneWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QAction monitor(QStringLiteral("링크 모니터"));
    QSignalSpy monitorOpened(&monitor, &QAction::triggered);
    w.pane->addContextMenuAction(&monitor);
    w.show("first\r\nsecond  ");

    w.chooseFromMenu(QStringLiteral("모두 선택"));
    w.chooseFromMenu(QStringLiteral("복사"));
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied.count(u'\n'), TextScreen::rows - 1);
    QVERIFY(copied.endsWith(QStringLiteral("\nfirst\nsecond")));

    QSignalSpy pasted(w.pane, &CTerminalView::pasteRequested);
    QApplication::clipboard()->setText(QStringLiteral("AT\r\nATZ\nATH\r"));
    w.chooseFromMenu(QStringLiteral("붙여넣기"));
    QCOMPARE(pasted.count(), 1);
    QCOMPARE(pasted.at(0).at(0).toString(), QStringLiteral("AT ATZ ATH "));

    // Entries added by the connection window come after the pane's own.
    w.chooseFromMenu(QStringLiteral("링크 모니터"));
    QCOMPARE(monitorOpened.count(), 1);
}

void PaneGesturesTest::findBarFindsAsTypedAndSteps()
{
    PaneWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.show("port OK\r\n" + Han + Geul + " port\r\n" + std::string(60, '\n') + "Port ok again\r\nlast");
    w.bar->setFocus();
    QTest::keyClick(w.bar, Qt::Key_F, Qt::ControlModifier);
    FindBar* bar = w.pane->findBar();
    QVERIFY(bar != nullptr && bar->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), bar->input());

    // As typed: the nearest match above the bottom, Latin letters in any case.
    QTest::keyClicks(bar->input(), QStringLiteral("port ok"));
    QCOMPARE(w.pane->selectedText(), QStringLiteral("Port ok"));
    QVERIFY(!bar->showsNotFound());
    QTest::keyClick(bar->input(), Qt::Key_Return);  // next up, scrolled into view
    QCOMPARE(w.pane->selectedText(), QStringLiteral("port OK"));
    const int row = Last - 63;
    QVERIFY(w.pane->firstVisibleRow() <= row && row <= w.pane->lastVisibleRow());
    QTest::keyClick(bar->input(), Qt::Key_F3);  // wraps round to the bottom
    QCOMPARE(w.pane->selectedText(), QStringLiteral("Port ok"));
    QTest::keyClick(bar->input(), Qt::Key_Return, Qt::ShiftModifier);  // down, round to the top
    QCOMPARE(w.pane->selectedText(), QStringLiteral("port OK"));

    bar->input()->clear();
    QInputMethodEvent typed;  // Korean comes through the input method
    typed.setCommitString(QStringLiteral("한글"));
    QApplication::sendEvent(bar->input(), &typed);
    QCOMPARE(w.pane->selectedText(), QStringLiteral("한글"));
    // Not found: the result's accessible name is its text, so a screen
    // reader says it.
    QTest::keyClicks(bar->input(), QStringLiteral("x"));
    QVERIFY(bar->showsNotFound());
    QVERIFY(!w.pane->hasSelection());
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(bar);
    bool heard = false;
    for (int i = 0; i < frame->childCount(); ++i)
        heard = heard || frame->child(i)->text(QAccessible::Name) == QStringLiteral("찾을 수 없습니다.");
    QVERIFY(heard);

    QTest::keyClick(bar->input(), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), w.bar);
}

void PaneGesturesTest::accessibleTextReportsTheSelection()
{
    PaneWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.show("first\r\n" + Han + Geul + " second");
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(w.pane)->textInterface();
    QVERIFY(text != nullptr);
    QCOMPARE(text->selectionCount(), 0);
    w.drag(w.cell(Last - 1, 2), w.cell(Last, 5));
    QCOMPARE(text->selectionCount(), 1);
    int start = -1;
    int end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(text->text(start, end), QStringLiteral("rst\n한글 s"));
}

QTEST_MAIN(PaneGesturesTest)
#include "PaneGesturesTest.moc"
