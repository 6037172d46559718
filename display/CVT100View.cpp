#include "display/CVT100View.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <QtMath>

#include <algorithm>
#include <cstring>
#include <map>

#include "base/LoopTimers.h"
#include "base/QtEventLoop.h"
#include "base/QtText.h"
#include "display/Cp949Cells.h"
#include "display/FindBar.h"
#include "display/RepaintTick.h"
#include "display/TerminalAccessible.h"

namespace {

const QColor TextColour(0, 0, 0);
const QColor BackgroundColour(255, 255, 255);

// Unifont draws every ASCII glyph 8 px and every Hangul syllable 16 px wide,
// exactly the cell grid; any fixed-pitch face stands in when it is missing.
QFont makeScreenFont()
{
    QFont font(QStringLiteral("Unifont"));
    font.setPixelSize(CVT100View::cellHeight);
    font.setStyleStrategy(QFont::NoAntialias);
    if (!QFontInfo(font).family().startsWith(QStringLiteral("Unifont"), Qt::CaseInsensitive)) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(CVT100View::cellHeight);
        font.setStyleStrategy(QFont::NoAntialias);
    }
    return font;
}

}  // namespace

// Tells the view of its content's changes, from the writing thread: the view
// joins the repaint tick on its own thread; a log failure is emitted there.
// Calls from other threads go through the window thread's loop, and are
// dropped if the view has gone before they run.
class CVT100View::ContentListener final : public PaneContent::Listener {
public:
    explicit ContentListener(CVT100View& view)
        : m_view(view)
        , m_calls(QtEventLoop::shared())
    {
    }
    void contentChanged() override
    {
        if (QThread::currentThread() == m_view.thread())
            m_view.joinRepaintTick();
        else
            m_calls.post([view = &m_view] { view->joinRepaintTick(); });
    }
    void logFailed(const std::string& path) override
    {
        m_calls.post([view = &m_view, path = QString::fromStdString(path)] { emit view->logWriteFailed(path); });
    }

private:
    CVT100View& m_view;
    LoopTimers m_calls;
};

CVT100View::CVT100View(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_listener(std::make_unique<ContentListener>(*this))
    , m_font(makeScreenFont())
{
    installTerminalAccessibility();
    m_shownCells.fill(' ');
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RepaintTick::shared().setInterval(repaintDelayMs);
    updateScrollBars();
    m_content->setListener(m_listener.get());
}

CVT100View::~CVT100View()
{
    // After this no writer tells the view anything.
    m_content->setListener(nullptr);
    RepaintTick::shared().leave(this);
}

void CVT100View::setContent(PaneContent* content)
{
    m_content->setListener(nullptr);
    m_content = content != nullptr ? content : &m_ownContent;
    // The shown picture starts afresh from the new content's screen.
    m_shownCells.fill(' ');
    m_shownFirstLine = 0;
    m_shownClears = 0;
    m_shownCursor = false;
    {
        const auto guard = m_content->lockForView();
        const TextScreen& screen = m_content->screen();
        m_shownFirstLine = screen.linesScrolled();
        m_shownClears = screen.clears();
        for (int row = 0; row < TextScreen::rows; ++row)
            std::memcpy(&m_shownCells[static_cast<std::size_t>((m_shownFirstLine + row) % TextScreen::rows)
                                      * TextScreen::columns],
                        screen.rowText(row).data(), TextScreen::columns);
        m_shownCursorColumn = screen.cursorColumn();
        m_shownCursor = m_content->cursorShown();
    }
    m_selection.clear();
    m_lastMatch.reset();
    viewport()->update();
    m_content->setListener(m_listener.get());
}

void CVT100View::joinRepaintTick()
{
    RepaintTick::shared().join(this, [this] { return flushRepaint(); });
}

// The repaint tick, on the window thread: brings the log file up to date and
// the shown rows to the screen's state, and repaints what changed since the
// previous tick. Rows that came and left between two ticks are never drawn.
// A tick that finds nothing changed leaves the tick: false.
bool CVT100View::flushRepaint()
{
    ScreenDamage damage;
    {
        const auto guard = m_content->lockForView();
        damage = m_content->takeChanges();
        if (damage.any())
            takeShownRows(damage);
    }
    if (!damage.any())
        return false;
    const int visibleRows = lastVisibleRow() - firstVisibleRow() + 1;
    if (damage.scrolledRows >= visibleRows) {
        viewport()->update();
    } else {
        if (damage.scrolledRows > 0) {
            // Shift the picture up with the text; only the rows that came in at
            // the bottom, and the row that held the cursor bar, need drawing.
            viewport()->scroll(0, -damage.scrolledRows * cellHeight);
            updateRows(TextScreen::cursorRow - damage.scrolledRows, TextScreen::cursorRow);
        }
        if (damage.hasDirtyRows())
            updateRows(damage.firstDirtyRow, damage.lastDirtyRow);
    }
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&event);
    }
    return true;
}

// Under the model lock: the shown rows follow the screen. Rows that only
// moved up keep their copy (the ring is indexed by line); the changed ones
// are copied.
void CVT100View::takeShownRows(const ScreenDamage& damage)
{
    const TextScreen& screen = m_content->screen();
    m_shownFirstLine = screen.linesScrolled();
    for (int row = damage.firstDirtyRow; row <= damage.lastDirtyRow; ++row) {
        const long long line = m_shownFirstLine + row;
        std::memcpy(&m_shownCells[static_cast<std::size_t>(line % TextScreen::rows) * TextScreen::columns],
                    screen.rowText(row).data(), TextScreen::columns);
    }
    m_shownCursorColumn = screen.cursorColumn();
    m_shownCursor = m_content->cursorShown();
    // A cleared screen takes the selection with its text.
    if (screen.clears() != m_shownClears) {
        m_shownClears = screen.clears();
        m_selection.clear();
        m_lastMatch.reset();
    }
}

std::string_view CVT100View::shownRow(int row) const
{
    const long long line = m_shownFirstLine + row;
    return std::string_view(&m_shownCells[static_cast<std::size_t>(line % TextScreen::rows) * TextScreen::columns],
                            TextScreen::columns);
}

void CVT100View::updateRows(int firstRow, int lastRow)
{
    const QRect rows(0, firstRow * cellHeight, documentWidth, (lastRow - firstRow + 1) * cellHeight);
    viewport()->update(rows.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value()));
}

int CVT100View::firstVisibleRow() const
{
    return std::clamp(verticalScrollBar()->value() / cellHeight, 0, TextScreen::rows - 1);
}

int CVT100View::lastVisibleRow() const
{
    const int bottom = verticalScrollBar()->value() + std::max(viewport()->height(), 1) - 1;
    return std::clamp(bottom / cellHeight, 0, TextScreen::rows - 1);
}

QString CVT100View::visibleText() const
{
    const int first = firstVisibleRow();
    const int last = lastVisibleRow();
    QStringList lines;
    const auto guard = m_content->lockForView();
    for (int row = first; row <= last; ++row)
        lines.append(cp949RowText(m_content->screen().rowText(row)));
    return lines.join(u'\n');
}

// Makes the drawn characters and the row picture for the window's pixel
// density; a change of it starts them afresh.
void CVT100View::preparePictures()
{
    const int scale = std::max(1, qCeil(viewport()->devicePixelRatioF()));
    if (m_characters && m_characters->scale() == scale)
        return;
    // One set for all panes that draw alike: a character new to the program
    // is drawn once, not once per pane. Kept while a pane uses it.
    static std::map<QString, std::weak_ptr<CellPictures>> shared;
    const QString key = m_font.key() + QLatin1Char('@') + QString::number(scale);
    m_characters = shared[key].lock();
    if (!m_characters) {
        m_characters =
            std::make_shared<CellPictures>(m_font, TextColour, BackgroundColour, cellWidth, cellHeight, scale);
        shared[key] = m_characters;
    }
    m_rowPicture = std::make_unique<RowPicture>(documentWidth, cellHeight, scale, BackgroundColour.rgb());
}

void CVT100View::paintEvent(QPaintEvent* event)
{
    const int dx = horizontalScrollBar()->value();
    const int dy = verticalScrollBar()->value();
    const QRect exposed = event->rect();
    const QRect area = exposed.translated(dx, dy);  // document coordinates

    const int firstRow = std::max(area.top() / cellHeight, 0);
    const int lastRow = std::min(area.bottom() / cellHeight, TextScreen::rows - 1);
    preparePictures();

    // Characters new to the pane are drawn together, before the rows need them.
    for (int row = firstRow; row <= lastRow; ++row)
        m_characters->prepare(shownRow(row));
    m_characters->draw();

    QPainter painter(viewport());
    for (int row = firstRow; row <= lastRow; ++row)
        painter.drawImage(QPoint(-dx, row * cellHeight - dy), m_rowPicture->compose(shownRow(row), *m_characters));
    // Right of the rows and below the last one there is only background.
    const QRect rows(-dx, -dy, documentWidth, TextScreen::rows * cellHeight);
    for (const QRect& rest : QRegion(exposed).subtracted(rows))
        painter.fillRect(rest, BackgroundColour);

    if (m_shownCursor)
        painter.fillRect(QRect(m_shownCursorColumn * cellWidth - dx, cursorTop - dy, cellWidth, cursorHeight),
                         TextColour);
    paintSelection(painter, firstRow, lastRow, dx, dy);
}

// The selected cells of the rows painted, inverted: each pixel's colour
// subtracted from white, cursor bar included.
void CVT100View::paintSelection(QPainter& painter, int firstRow, int lastRow, int dx, int dy)
{
    const CellSpan selected = m_selection.spanFrom(m_shownFirstLine);
    if (selected.empty())
        return;
    const int first = static_cast<int>(std::max<long long>(selected.start.line - m_shownFirstLine, firstRow));
    const int last = static_cast<int>(std::min<long long>(selected.end.line - m_shownFirstLine, lastRow));
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    for (int row = first; row <= last; ++row) {
        const long long line = m_shownFirstLine + row;
        const int from = line == selected.start.line ? selected.start.column : 0;
        const int to = line == selected.end.line ? selected.end.column : TextScreen::columns;
        if (to > from)
            painter.fillRect(QRect(from * cellWidth - dx, row * cellHeight - dy, (to - from) * cellWidth, cellHeight),
                             Qt::white);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CVT100View::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    placeFindBar();
    updateScrollBars();
    if (isVisible())
        scrollToBottom();
}

void CVT100View::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    updateScrollBars();
    scrollToBottom();
}

void CVT100View::updateScrollBars()
{
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, documentWidth - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    horizontalScrollBar()->setSingleStep(cellWidth);
    verticalScrollBar()->setRange(0, std::max(0, documentHeight - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    verticalScrollBar()->setSingleStep(cellHeight);
}

void CVT100View::scrollToBottom()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

CellPoint CVT100View::cellAt(QPoint viewportPosition) const
{
    const int x = viewportPosition.x() + horizontalScrollBar()->value();
    const int y = viewportPosition.y() + verticalScrollBar()->value();
    const int row = std::clamp(y / cellHeight, 0, TextScreen::rows - 1);
    const int column = std::clamp(x / cellWidth, 0, TextScreen::columns - 1);
    return {m_shownFirstLine + row, column};
}

template <typename Change>
void CVT100View::changeSelection(Change change)
{
    const CellSpan before = m_selection.spanFrom(m_shownFirstLine);
    {
        const auto guard = m_content->lockForView();
        change(m_selection, m_content->screen());
    }
    const CellSpan after = m_selection.spanFrom(m_shownFirstLine);
    if (before == after)
        return;
    // The rows either selection touches, as far as the shown screen has them.
    long long first = TextScreen::rows;
    long long last = -1;
    for (const CellSpan& span : {before, after}) {
        if (span.empty())
            continue;
        first = std::min(first, span.start.line - m_shownFirstLine);
        last = std::max(last, span.end.line - m_shownFirstLine);
    }
    if (first <= last) {
        updateRows(static_cast<int>(std::max(first, 0LL)),
                   static_cast<int>(std::min<long long>(last, TextScreen::rows - 1)));
    }
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent event(this, 0, 0);
        int start = 0;
        int end = 0;
        if (visibleSelection(&start, &end))
            event.setSelection(start, end);
        QAccessible::updateAccessibility(&event);
    }
}

void CVT100View::mousePressEvent(QMouseEvent* event)
{
    QAbstractScrollArea::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    event->accept();
    const CellPoint at = cellAt(event->position().toPoint());
    m_selecting = true;
    m_pressPosition = event->position().toPoint();
    const bool tripleClick = m_sinceDoubleClick.isValid()
        && m_sinceDoubleClick.elapsed() < QApplication::doubleClickInterval()
        && (m_pressPosition - m_doubleClickPosition).manhattanLength() < QApplication::startDragDistance();
    m_sinceDoubleClick.invalidate();
    if (event->modifiers().testFlag(Qt::ShiftModifier) && !tripleClick) {
        changeSelection([at](TextSelection& selection, const TextScreen& screen) { selection.extend(screen, at); });
        return;
    }
    const TextSelection::Unit unit = tripleClick ? TextSelection::Unit::Row : TextSelection::Unit::Character;
    changeSelection(
        [at, unit](TextSelection& selection, const TextScreen& screen) { selection.begin(screen, at, unit); });
}

void CVT100View::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    const CellPoint at = cellAt(event->position().toPoint());
    m_selecting = true;
    m_sinceDoubleClick.start();
    m_doubleClickPosition = event->position().toPoint();
    changeSelection([at](TextSelection& selection, const TextScreen& screen) {
        selection.begin(screen, at, TextSelection::Unit::Word);
    });
}

void CVT100View::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting || !event->buttons().testFlag(Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint position = event->position().toPoint();
    // Dragged past the top or bottom: the view follows a row at a time.
    if (position.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (position.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const CellPoint at = cellAt(position);
    changeSelection([at](TextSelection& selection, const TextScreen& screen) { selection.extend(screen, at); });
}

void CVT100View::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_selecting = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

bool CVT100View::hasSelection() const
{
    const auto guard = m_content->lockForView();
    return !m_selection.span(m_content->screen()).empty();
}

QString CVT100View::selectedText() const
{
    std::vector<std::string> rows;
    {
        const auto guard = m_content->lockForView();
        rows = m_selection.rows(m_content->screen());
    }
    QStringList lines;
    for (const std::string& row : rows)
        lines.append(cp949RowText(row));
    return lines.join(u'\n');
}

void CVT100View::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void CVT100View::selectAll()
{
    changeSelection([](TextSelection& selection, const TextScreen& screen) { selection.selectAll(screen); });
}

void CVT100View::clearSelection()
{
    changeSelection([](TextSelection& selection, const TextScreen&) { selection.clear(); });
}

bool CVT100View::visibleSelection(int* start, int* end) const
{
    const int first = firstVisibleRow();
    const int last = lastVisibleRow();
    const auto guard = m_content->lockForView();
    const CellSpan selected = m_selection.span(m_content->screen());
    if (selected.empty())
        return false;
    // The visible rows as visibleText() gives them, counted in characters.
    int offset = 0;
    bool begun = false;
    for (int row = first; row <= last; ++row) {
        const long long line = m_content->screen().linesScrolled() + row;
        const std::string_view cells = m_content->screen().rowText(row);
        const int length = static_cast<int>(cp949RowText(cells).size());
        auto offsetOf = [&](int column) {
            int characters = 0;
            for (std::size_t cell = 0; cell < static_cast<std::size_t>(column) && cell < cells.size();
                 cell += static_cast<std::size_t>(cellCharacter(cells, cell).width))
                ++characters;
            return offset + std::min(characters, length);
        };
        if (!begun) {
            if (selected.end.line < line)
                return false;  // all of it above the view
            if (selected.start.line > line) {
                offset += length + 1;
                continue;
            }
            *start = selected.start.line == line ? offsetOf(selected.start.column) : offset;
            begun = true;
        }
        if (selected.end.line == line) {
            *end = offsetOf(selected.end.column);
            return *end > *start;
        }
        *end = offset + length;  // goes on below this row
        offset += length + 1;
    }
    return begun && *end > *start;
}

void CVT100View::openFindBar()
{
    if (!m_findBar) {
        m_findBar = new FindBar(this);
        connect(m_findBar, &FindBar::textEdited, this, [this](const QString& text) {
            m_findBar->setFound(text.isEmpty() || find(text, FindDirection::Up, true));
            if (text.isEmpty())
                clearSelection();
        });
        connect(m_findBar, &FindBar::nextRequested, this, [this](bool downward) {
            if (!m_findBar->text().isEmpty())
                m_findBar->setFound(find(m_findBar->text(), downward ? FindDirection::Down : FindDirection::Up, false));
        });
        connect(m_findBar, &FindBar::closeRequested, this, &CVT100View::closeFindBar);
    }
    placeFindBar();
    m_findBar->show();
    m_findBar->raise();
    m_findBar->input()->selectAll();
    m_findBar->input()->setFocus(Qt::ShortcutFocusReason);
}

FindBar* CVT100View::findBar() const
{
    return m_findBar;
}

void CVT100View::closeFindBar()
{
    if (!m_findBar || m_findBar->isHidden())
        return;
    m_findBar->hide();
    m_lastMatch.reset();
    setFocus(Qt::OtherFocusReason);
}

void CVT100View::placeFindBar()
{
    if (!m_findBar)
        return;
    const QRect area = viewport()->geometry();
    const int width = std::min(area.width(), std::max(m_findBar->sizeHint().width(), 320));
    m_findBar->setGeometry(area.right() + 1 - width, area.top(), width, m_findBar->sizeHint().height());
}

bool CVT100View::find(const QString& text, FindDirection direction, bool fromBottom)
{
    const std::string sought = toCp949(text);
    std::optional<CellSpan> match;
    {
        const auto guard = m_content->lockForView();
        const TextScreen& screen = m_content->screen();
        const CellPoint bottom{screen.linesScrolled() + TextScreen::rows, 0};
        match = findText(screen, sought, fromBottom || !m_lastMatch ? bottom : *m_lastMatch, direction);
    }
    if (!match) {
        m_lastMatch.reset();
        clearSelection();
        return false;
    }
    m_lastMatch = match->start;
    changeSelection([&match](TextSelection& selection, const TextScreen&) { selection.select(*match); });
    scrollIntoView(*match);
    return true;
}

// Scrolls so that the cells are in view, their row near the middle when the
// view has to move up or down.
void CVT100View::scrollIntoView(const CellSpan& cells)
{
    const int row =
        static_cast<int>(std::clamp<long long>(cells.start.line - m_shownFirstLine, 0, TextScreen::rows - 1));
    QScrollBar* vertical = verticalScrollBar();
    if (row * cellHeight < vertical->value() || (row + 1) * cellHeight > vertical->value() + viewport()->height())
        vertical->setValue(row * cellHeight - (viewport()->height() - cellHeight) / 2);
    const int left = cells.start.column * cellWidth;
    const int right = (cells.end.line == cells.start.line ? cells.end.column : TextScreen::columns) * cellWidth;
    QScrollBar* horizontal = horizontalScrollBar();
    if (left < horizontal->value())
        horizontal->setValue(left);
    else if (right > horizontal->value() + viewport()->width())
        horizontal->setValue(std::min(left, right - viewport()->width()));
}
