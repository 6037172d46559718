#pragma once
// A pane's text screen on the window: draws a PaneContent's screen in 8 x 16
// pixel cells (black on white, Unifont 16 px) inside a 1027 x 8003 scrollable
// area.
//
// The view only reads the content: whoever writes into it (the reader thread,
// the connection) does so under the content's lock, and the content tells the
// view of the first change after a quiet spell. The view then joins the
// repaint tick; each tick copies the changed rows out under the lock, and
// painting draws that copy without the lock, so it never waits for a writer.
//
// Drawing: every character is drawn once into a picture of its cells
// (CellPictures, shared by the panes) and rows are put together from those
// pictures (RowPicture);
// a tick shifts the shown picture with the text and draws only the rows that
// came in, so rows that scroll away before the tick are never drawn.

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>
#include <QPointer>
#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "display/CellPictures.h"
#include "display/PaneContent.h"
#include "display/RowPicture.h"
#include "display/TextFinder.h"
#include "display/TextScreen.h"
#include "display/TextSelection.h"

class FindBar;

class CVT100View : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int cellWidth = 8;
    static constexpr int cellHeight = 16;
    static constexpr int documentWidth = TextScreen::columns * cellWidth + 3;   // 1027
    static constexpr int documentHeight = TextScreen::rows * cellHeight + 3;    // 8003
    static constexpr int cursorTop = TextScreen::cursorRow * cellHeight + 1;     // 7985
    static constexpr int cursorHeight = cellHeight - 2;                         // 14
    // Changes are gathered this long before the window repaints them (and the
    // log is flushed): about 25 repaints a second at most. The tick runs while
    // changes keep coming and stops at the first tick that finds none.
    static constexpr int repaintDelayMs = 40;

    explicit CVT100View(QWidget* parent = nullptr);
    ~CVT100View() override;

    // What the view shows: its own content until setContent() gives it
    // another, which must outlive the view or be replaced first (nullptr goes
    // back to its own).
    void setContent(PaneContent* content);
    PaneContent& content() const { return *m_content; }

    // The rows the window shows, as text: trailing blanks trimmed, rows joined
    // by '\n'. This is what the accessible text interface reports.
    QString visibleText() const;
    // Row indexes of the screen that intersect the window now.
    int firstVisibleRow() const;
    int lastVisibleRow() const;
    QFont screenFont() const { return m_font; }

    // Selection, on the window thread. The mouse selects: drag from cell to
    // cell, double-click a word, triple-click a row, Shift+click extends. It
    // is drawn inverted and moves up with its rows as new ones come in.
    bool hasSelection() const;
    // The selected text converted from code page 949: rows joined by '\n',
    // each without its trailing blanks. Empty when nothing is selected.
    QString selectedText() const;
    // Puts the selected text on the clipboard; with nothing selected, nothing
    // happens.
    void copySelection();
    void selectAll();
    void clearSelection();
    // Where the selection lies in visibleText(), as character offsets; false
    // when none of it is in view.
    bool visibleSelection(int* start, int* end) const;

    // Find: the bar over the pane, opened (or focused again) and closed.
    // Closing gives the focus back to the pane, which passes it on.
    void openFindBar();
    void closeFindBar();
    FindBar* findBar() const;
    // Finds the text as typed: the nearest match above the bottom, or the
    // next one up or down from the last match, wrapping round. The match
    // becomes the selection and is scrolled into view. False when there is
    // none; the selection is then cleared.
    bool find(const QString& text, FindDirection direction, bool fromBottom);

signals:
    // The log could not be written and has been closed. Emitted once per
    // failure, on the window thread, after the failing write, repaint tick or
    // closeLog. The screen goes on showing the text.
    void logWriteFailed(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    class ContentListener;
    void joinRepaintTick();
    bool flushRepaint();
    void takeShownRows(const ScreenDamage& damage);
    std::string_view shownRow(int row) const;
    void preparePictures();
    void updateRows(int firstRow, int lastRow);
    void updateScrollBars();
    void scrollToBottom();
    CellPoint cellAt(QPoint viewportPosition) const;
    // Runs a change of the selection and repaints the rows it touched.
    template <typename Change>
    void changeSelection(Change change);
    void paintSelection(QPainter& painter, int firstRow, int lastRow, int dx, int dy);
    void scrollIntoView(const CellSpan& cells);
    void placeFindBar();

    PaneContent m_ownContent;
    PaneContent* m_content = &m_ownContent;
    std::unique_ptr<ContentListener> m_listener;
    QFont m_font;
    bool m_shownOnce = false;

    // What the window shows: the screen as it was at the last repaint tick,
    // copied out under the lock. Painting reads only this, so a paint between
    // two ticks draws the picture that the next tick's shift expects, and
    // never waits for a writer. Line l is kept at (l % Rows) * Columns.
    std::array<char, TextScreen::rows * TextScreen::columns> m_shownCells{};
    long long m_shownFirstLine = 0;
    long long m_shownClears = 0;
    int m_shownCursorColumn = 0;
    bool m_shownCursor = false;
    // Drawn characters, shared by the panes with the same font and pixel
    // density, and the row picture, made at the first paint.
    std::shared_ptr<CellPictures> m_characters;
    std::unique_ptr<RowPicture> m_rowPicture;

    // Window thread only; reads the screen under the lock.
    TextSelection m_selection;
    bool m_selecting = false;          // the left button is down on the pane
    QPoint m_pressPosition;
    QElapsedTimer m_sinceDoubleClick;  // a press soon after is a triple-click
    QPoint m_doubleClickPosition;
    QPointer<FindBar> m_findBar;
    std::optional<CellPoint> m_lastMatch;
};
