// The pane views on the offscreen platform: what a pane draws, what it tells
// screen readers, its log, focus hand-over, and writers on another thread.

#include <QAccessible>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#include "base/QtText.h"
#include "display/CTerminalView.h"
#include "display/RepaintTick.h"

namespace {

const std::string koreanLine = "\xC7\xD1\xB1\xDB KR-V";  // "한글 KR-V" in code page 949

int darkPixels(const QImage& image, const QRect& rect)
{
    int count = 0;
    const QRect area = rect.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return count;
}

// What the window shows: the view's pixels as last flushed to its backing
// store, which holds shifted pictures as well as freshly painted rows.
QImage shownPixels(CVT100View& view)
{
    const QPoint origin = view.viewport()->mapTo(&view, QPoint(0, 0));
    const QPixmap shown = view.QWidget::screen()->grabWindow(view.winId(), origin.x(), origin.y(),
                                                    view.viewport()->width(), view.viewport()->height());
    return shown.toImage().convertToFormat(QImage::Format_RGB32);
}

// A picture of the same content drawn from scratch.
QImage freshPixels(CVT100View& view)
{
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class PaintRegions : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT

private slots:
    void drawsDoubleByteTextInItsCells();
    void scrolledPictureMatchesAFreshPaint();
    void accessibleTextReadsTheVisibleRows();
    void scrollsToTheBottomOnResize();
    void manySmallWritesGiveFewRepaints();
    void panesShareOneRepaintTick();
    void failedLogWriteIsReportedOnceAndScreenGoesOn();
    void focusIsReportedOnlyWhileTheOwnerLives();
    void writerThreadAndPaintingShareTheLock();

private:
};

void ViewTest::drawsDoubleByteTextInItsCells()
{
    CVT100View view;
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.content().putText(koreanLine);
    QTest::qWait(3 * CVT100View::repaintDelayMs);

    const QImage image = view.viewport()->grab().toImage();
    const int top = TextScreen::cursorRow * CVT100View::cellHeight - view.verticalScrollBar()->value();
    auto cells = [&](int column, int count) {
        return QRect(column * CVT100View::cellWidth, top, count * CVT100View::cellWidth, CVT100View::cellHeight);
    };
    QVERIFY(darkPixels(image, cells(0, 1)) > 0);  // both halves of the first syllable
    QVERIFY(darkPixels(image, cells(1, 1)) > 0);
    QVERIFY(darkPixels(image, cells(2, 2)) > 0);
    QCOMPARE(darkPixels(image, cells(4, 1)), 0);  // the space
    for (int column = 5; column <= 8; ++column)
        QVERIFY2(darkPixels(image, cells(column, 1)) > 0, qPrintable(QString::number(column)));
    // The cursor bar fills column 9 but for its top and bottom pixel lines.
    QCOMPARE(darkPixels(image, cells(9, 1)), CVT100View::cellWidth * CVT100View::cursorHeight);
    QCOMPARE(darkPixels(image, cells(10, 40)), 0);
    QCOMPARE(darkPixels(image, cells(0, 50).translated(0, -CVT100View::cellHeight)), 0);  // row 498
}

void ViewTest::scrolledPictureMatchesAFreshPaint()
{
    CVT100View view;
    view.resize(420, 220);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (int i = 0; i < 20; ++i)
        view.content().putLine("line " + std::to_string(i) + " " + koreanLine + std::string(static_cast<std::size_t>(i), '#'));
    view.content().putText("partial");
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    QCOMPARE(shownPixels(view), freshPixels(view));

    // A few lines scroll in: the shown picture is shifted, and only the new
    // rows and the old cursor row are painted.
    PaintRegions regions;
    view.viewport()->installEventFilter(&regions);
    view.content().putText("\r\nabc\r\ndef " + koreanLine + "\r\n\xB0\xA1gh");
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    QVERIFY(!regions.painted.isEmpty());
    QVERIFY2(!QRegion(view.viewport()->rect()).subtracted(regions.painted).isEmpty(),
             "the scroll repainted the whole view");
    QCOMPARE(shownPixels(view), freshPixels(view));

    // A paint that lands between a scroll and the next repaint tick draws the
    // scrolled text early; the tick's shift must not leave those rows wrong.
    view.content().putText("\r\nmore");
    view.viewport()->repaint(QRect(0, 0, view.viewport()->width(), 3 * CVT100View::cellHeight));
    view.content().putText("\r\nlast " + koreanLine);
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    QCOMPARE(shownPixels(view), freshPixels(view));

    // More lines than the view shows: the picture is redrawn whole.
    for (int i = 0; i < 30; ++i)
        view.content().putLine("many " + std::to_string(i));
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    QCOMPARE(shownPixels(view), freshPixels(view));
}

void ViewTest::accessibleTextReadsTheVisibleRows()
{
    CTerminalView view;
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.content().putLine("first");
    view.content().putText(koreanLine + "   ");

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->role(), QAccessible::Terminal);
    QVERIFY(accessible->state().readOnly);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text != nullptr);
    const QStringList lines = text->text(0, text->characterCount()).split(u'\n');
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines.last(), QStringLiteral("한글 KR-V"));
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("first"));
}

void ViewTest::scrollsToTheBottomOnResize()
{
    CVT100View view;
    view.resize(300, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    QCOMPARE(view.verticalScrollBar()->maximum() + view.viewport()->height(), CVT100View::documentHeight);
    view.verticalScrollBar()->setValue(0);
    view.resize(320, 260);
    QTRY_COMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    QCOMPARE(view.lastVisibleRow(), TextScreen::cursorRow);
}

void ViewTest::manySmallWritesGiveFewRepaints()
{
    CVT100View view;
    view.resize(300, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    for (int i = 0; i < 3000; ++i)
        view.content().putText(i % 60 == 59 ? "\n" : "x");
    QTRY_VERIFY(counter.paints >= 1);
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    QVERIFY2(counter.paints <= 2, qPrintable(QString::number(counter.paints)));
}

// Members are called together, in joining order, every tick until they say
// nothing changed or leave; the tick takes them back when they join again.
void ViewTest::panesShareOneRepaintTick()
{
    RepaintTick& tick = RepaintTick::shared();
    QObject first;
    QObject second;
    std::string calls;
    tick.join(&first, [&] {
        calls += 'a';
        return std::count(calls.begin(), calls.end(), 'a') < 3;
    });
    tick.join(&second, [&] {
        calls += 'b';
        if (std::count(calls.begin(), calls.end(), 'b') == 2)
            tick.leave(&second);  // as a pane going away in the middle of a tick
        return true;
    });
    tick.join(&first, [&] { return false; });  // already in: its call is kept
    QTRY_COMPARE(calls, std::string("ababa"));
    QTest::qWait(3 * CVT100View::repaintDelayMs);
    QCOMPARE(calls, std::string("ababa"));

    tick.join(&second, [&] {
        calls += 'c';
        return false;
    });
    QTRY_COMPARE(calls, std::string("ababac"));
}

void ViewTest::failedLogWriteIsReportedOnceAndScreenGoesOn()
{
    if (!std::filesystem::exists("/dev/full"))
        QSKIP("no /dev/full");
    CVT100View view;
    QSignalSpy spy(&view, &CVT100View::logWriteFailed);
    QVERIFY(view.content().openLog("/dev/full"));
    view.content().putText("one");
    view.content().putText("two");
    QCOMPARE(spy.count(), 0);  // delivered through the window thread's event loop
    // The log reaches the file at the repaint tick, where the failure shows.
    QTRY_VERIFY(!view.content().isLogOpen());
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("/dev/full"));
    QTest::qWait(20);
    QCOMPARE(spy.count(), 1);
    std::lock_guard<std::recursive_mutex> guard(view.content().lock());
    QCOMPARE(std::string(view.content().screen().rowText(TextScreen::cursorRow).substr(0, 6)), std::string("onetwo"));
}

void ViewTest::focusIsReportedOnlyWhileTheOwnerLives()
{
    CTerminalView pane;
    QSignalSpy spy(&pane, &CTerminalView::paneFocused);
    auto focusIn = [&pane] {
        QFocusEvent event(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(&pane, &event);
    };
    focusIn();
    QCOMPARE(spy.count(), 0);

    auto* owner = new QWidget;
    pane.setOwnerFrame(owner);
    focusIn();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<CTerminalView*>(), &pane);

    delete owner;
    focusIn();
    QCOMPARE(spy.count(), 1);
}

void ViewTest::writerThreadAndPaintingShareTheLock()
{
    std::recursive_mutex connectionLock;
    PaneContent content(&connectionLock);
    CVT100View view;
    view.setContent(&content);
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    // Local traffic: one byte per call, double-byte characters split across calls.
    const std::string pattern = "\xB0\xA1\xB3\xAA abc\b\tdef\r\n" + std::string(150, 'z') + "\n";
    std::string traffic;
    while (traffic.size() < 100000)
        traffic += pattern;
    traffic.resize(100000);

    std::atomic<bool> done{false};
    std::thread reader([&] {
        for (char c : traffic) {
            std::lock_guard<std::recursive_mutex> guard(connectionLock);
            content.putText(std::string_view(&c, 1));
        }
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents();
        view.viewport()->repaint();
    }
    reader.join();
    QTest::qWait(3 * CVT100View::repaintDelayMs);

    TextScreen expected;
    expected.putText(traffic);
    std::lock_guard<std::recursive_mutex> guard(connectionLock);
    QCOMPARE(content.screen().cursorColumn(), expected.cursorColumn());
    for (int row = 0; row < TextScreen::rows; ++row)
        QVERIFY2(content.screen().rowText(row) == expected.rowText(row), qPrintable(QString::number(row)));
    view.setContent(nullptr);
}

QTEST_MAIN(ViewTest)
#include "ViewTest.moc"
