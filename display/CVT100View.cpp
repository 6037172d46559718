#include "display/CVT100View.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "display/Cp949Cells.h"
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

// Draws one character alone, clipped to its cells, for a character the
// glyph cache cannot place (missing from the face, or of another width).
void drawClippedCharacter(QPainter& painter, int x, int top, int baseline, int cells, QChar ch)
{
    painter.save();
    painter.setClipRect(QRect(x, top, cells * CVT100View::cellWidth, CVT100View::cellHeight), Qt::IntersectClip);
    painter.drawText(QPoint(x, top + baseline), QString(ch));
    painter.restore();
}

}  // namespace

CVT100View::CVT100View(QWidget* parent)
    : QAbstractScrollArea(parent), m_font(makeScreenFont())
{
    installTerminalAccessibility();
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_repaintTimer.setSingleShot(true);
    m_repaintTimer.setInterval(repaintDelayMs);
    connect(&m_repaintTimer, &QTimer::timeout, this, &CVT100View::flushRepaint);
    updateScrollBars();
}

CVT100View::~CVT100View()
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_log.close();
}

void CVT100View::setModelLock(std::recursive_mutex* lock)
{
    m_lock = lock != nullptr ? lock : &m_ownLock;
}

std::unique_lock<std::recursive_mutex> CVT100View::lockForWindow() const
{
    std::unique_lock<std::recursive_mutex> lock(*m_lock, std::try_to_lock);
    if (!lock.owns_lock()) {
        m_windowWaiting.store(true, std::memory_order_release);
        lock.lock();
        m_windowWaiting.store(false, std::memory_order_release);
    }
    return lock;
}

void CVT100View::putText(std::string_view text)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    writeLocked(text);
}

void CVT100View::putLine(std::string_view text)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    writeLocked(text);
    writeLocked("\r\n");
}

void CVT100View::writeLocked(std::string_view text)
{
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    if (text.empty())
        return;
    if (m_log.isOpen() && !m_log.write(text))
        reportLogFailureLocked();
    m_screen.putText(text);
    m_cursorShown = true;
    scheduleRepaint();
}

void CVT100View::reportLogFailureLocked()
{
    if (!m_log.takeFailure())
        return;
    const QString path = QString::fromStdString(m_log.path());
    QMetaObject::invokeMethod(this, [this, path] { emit logWriteFailed(path); }, Qt::QueuedConnection);
}

void CVT100View::clearScreen(bool repaint)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_screen.clearScreen();
    if (repaint)
        scheduleRepaint();
}

bool CVT100View::openLog(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    return m_log.open(path);
}

void CVT100View::closeLog()
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_log.close();  // hands over the bytes still held; a failure there is reported too
    reportLogFailureLocked();
}

bool CVT100View::isLogOpen() const
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    return m_log.isOpen();
}

// Called with the model lock held, from any thread. The first change after a
// repaint starts the repaint timer on the window thread; later changes only
// add to the model's damage until the timer fires.
void CVT100View::scheduleRepaint()
{
    if (m_repaintPending.exchange(true))
        return;
    if (QThread::currentThread() == thread())
        startRepaintTimer();
    else
        QMetaObject::invokeMethod(this, &CVT100View::startRepaintTimer, Qt::QueuedConnection);
}

void CVT100View::startRepaintTimer()
{
    if (!m_repaintTimer.isActive())
        m_repaintTimer.start();
}

// The repaint tick, on the window thread: brings the log file up to date and
// repaints what changed since the previous tick.
void CVT100View::flushRepaint()
{
    // Cleared before the damage is taken, so a change made meanwhile asks again.
    m_repaintPending.store(false);
    ScreenDamage damage;
    {
        const auto guard = lockForWindow();
        damage = m_screen.takeDamage();
        if (m_log.isOpen() && !m_log.flush())
            reportLogFailureLocked();
    }
    if (!damage.any())
        return;
    const int aheadFirst = std::exchange(m_aheadFirstRow, 0) - damage.scrolledRows;
    const int aheadLast = std::exchange(m_aheadLastRow, -1) - damage.scrolledRows;
    const int visibleRows = lastVisibleRow() - firstVisibleRow() + 1;
    if (damage.scrolledRows >= visibleRows) {
        viewport()->update();
    } else {
        if (damage.scrolledRows > 0) {
            // Shift the picture up with the text; only the rows that came in at
            // the bottom, and the row that held the cursor bar, need drawing.
            viewport()->scroll(0, -damage.scrolledRows * cellHeight);
            updateRows(TextScreen::cursorRow - damage.scrolledRows, TextScreen::cursorRow);
            if (aheadLast >= 0)
                updateRows(std::max(aheadFirst, 0), aheadLast);
        }
        if (damage.hasDirtyRows())
            updateRows(damage.firstDirtyRow, damage.lastDirtyRow);
    }
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&event);
    }
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
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    for (int row = first; row <= last; ++row)
        lines.append(cp949RowText(m_screen.rowText(row)));
    return lines.join(u'\n');
}

void CVT100View::paintEvent(QPaintEvent* event)
{
    const int dx = horizontalScrollBar()->value();
    const int dy = verticalScrollBar()->value();
    const QRect exposed = event->rect();
    const QRect area = exposed.translated(dx, dy);  // document coordinates

    const int firstRow = std::max(area.top() / cellHeight, 0);
    const int lastRow = std::min(area.bottom() / cellHeight, TextScreen::rows - 1);
    const int firstColumn = std::max(area.left() / cellWidth, 0);
    const int lastColumn = std::min(area.right() / cellWidth, TextScreen::columns - 1);

    // Copy the rows out under the lock; drawing then runs without holding it.
    int cursorColumn = 0;
    bool cursorShown = false;
    {
        const auto guard = lockForWindow();
        for (int row = firstRow; row <= lastRow; ++row)
            std::memcpy(&m_paintRows[static_cast<std::size_t>(row * TextScreen::columns)],
                        m_screen.rowText(row).data(), TextScreen::columns);
        cursorColumn = m_screen.cursorColumn();
        cursorShown = m_cursorShown;
        // These rows already show text that the next tick's shift moves again.
        if (m_screen.pendingScrolledRows() > 0 && firstRow <= lastRow) {
            const bool none = m_aheadFirstRow > m_aheadLastRow;
            m_aheadFirstRow = none ? firstRow : std::min(m_aheadFirstRow, firstRow);
            m_aheadLastRow = none ? lastRow : std::max(m_aheadLastRow, lastRow);
        }
    }

    QPainter painter(viewport());
    painter.fillRect(exposed, BackgroundColour);
    painter.setFont(m_font);
    painter.setPen(TextColour);
    const QFontMetrics metrics(m_font);
    const int baseline = std::min(metrics.ascent(), cellHeight - 1);
    if (!m_glyphs)
        m_glyphs = std::make_unique<CellGlyphs>(m_font, cellWidth);

    // Every cell's glyph goes into one run, placed at its cell: no shaping.
    m_glyphIndexes.clear();
    m_glyphPositions.clear();
    for (int row = firstRow; row <= lastRow; ++row) {
        const int top = row * cellHeight - dy;
        const char* cells = &m_paintRows[static_cast<std::size_t>(row * TextScreen::columns)];
        for (int column = 0; column < TextScreen::columns && column <= lastColumn;) {
            const auto byte = static_cast<unsigned char>(cells[column]);
            const int width = byte >= 0x80 && column + 1 < TextScreen::columns ? 2 : 1;
            if (column + width > firstColumn && !isBlankCell(byte)) {
                QChar ch(static_cast<char16_t>(byte));
                if (byte >= 0x80)
                    ch = width == 2 ? cp949PairChar(byte, static_cast<unsigned char>(cells[column + 1]))
                                    : QChar(0xFFFD);
                const int x = column * cellWidth - dx;
                if (const std::optional<std::uint32_t> glyph = m_glyphs->glyphFor(ch, width)) {
                    m_glyphIndexes.append(*glyph);
                    m_glyphPositions.append(QPointF(x, top + baseline));
                } else {
                    drawClippedCharacter(painter, x, top, baseline, width, ch);
                }
            }
            column += width;
        }
    }
    if (!m_glyphIndexes.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(m_glyphs->rawFont());
        run.setGlyphIndexes(m_glyphIndexes);
        run.setPositions(m_glyphPositions);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }

    if (cursorShown)
        painter.fillRect(QRect(cursorColumn * cellWidth - dx, cursorTop - dy, cellWidth, cursorHeight), TextColour);
}

void CVT100View::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
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
