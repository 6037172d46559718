#include "display/CVT100View.h"

#include <QAccessible>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <QtMath>

#include <algorithm>
#include <cstring>

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
    font.setPixelSize(CVT100View::CellHeight);
    font.setStyleStrategy(QFont::NoAntialias);
    if (!QFontInfo(font).family().startsWith(QStringLiteral("Unifont"), Qt::CaseInsensitive)) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(CVT100View::CellHeight);
        font.setStyleStrategy(QFont::NoAntialias);
    }
    return font;
}

// Texts end at their first zero byte. Local traffic comes one byte a call:
// short texts are looked at in place rather than through a library call.
std::string_view upToZero(std::string_view text)
{
    if (text.size() > 16)
        return text.substr(0, std::min(text.find('\0'), text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0')
            return text.substr(0, i);
    }
    return text;
}

}  // namespace

CVT100View::CVT100View(QWidget* parent)
    : QAbstractScrollArea(parent), m_font(makeScreenFont())
{
    installTerminalAccessibility();
    m_shownCells.fill(' ');
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_repaintTimer.setInterval(RepaintDelayMs);
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
    text = upToZero(text);
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
// quiet spell starts the repaint tick on the window thread; while changes keep
// coming the tick runs on and finds them, so a writer only sets a flag.
void CVT100View::scheduleRepaint()
{
    if (m_ticking)
        return;
    m_ticking = true;
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
// the shown rows to the screen's state, and repaints what changed since the
// previous tick. Rows that came and left between two ticks are never drawn.
// A tick that finds nothing changed stops the ticking.
void CVT100View::flushRepaint()
{
    ScreenDamage damage;
    {
        const auto guard = lockForWindow();
        damage = m_screen.takeDamage();
        if (m_log.isOpen() && !m_log.flush())
            reportLogFailureLocked();
        if (damage.any()) {
            takeShownRows(damage);
        } else {
            m_ticking = false;
            m_repaintTimer.stop();
        }
    }
    if (!damage.any())
        return;
    const int visibleRows = lastVisibleRow() - firstVisibleRow() + 1;
    if (damage.scrolledRows >= visibleRows) {
        viewport()->update();
    } else {
        if (damage.scrolledRows > 0) {
            // Shift the picture up with the text; only the rows that came in at
            // the bottom, and the row that held the cursor bar, need drawing.
            viewport()->scroll(0, -damage.scrolledRows * CellHeight);
            updateRows(TextScreen::CursorRow - damage.scrolledRows, TextScreen::CursorRow);
        }
        if (damage.hasDirtyRows())
            updateRows(damage.firstDirtyRow, damage.lastDirtyRow);
    }
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
        QAccessible::updateAccessibility(&event);
    }
}

// Under the model lock: the shown rows follow the screen. Rows that only
// moved up keep their copy (the ring is indexed by line); the changed ones
// are copied.
void CVT100View::takeShownRows(const ScreenDamage& damage)
{
    m_shownFirstLine = m_screen.linesScrolled();
    for (int row = damage.firstDirtyRow; row <= damage.lastDirtyRow; ++row) {
        const long long line = m_shownFirstLine + row;
        std::memcpy(&m_shownCells[static_cast<std::size_t>(line % TextScreen::Rows) * TextScreen::Columns],
                    m_screen.rowText(row).data(), TextScreen::Columns);
    }
    m_shownCursorColumn = m_screen.cursorColumn();
    m_shownCursor = m_cursorShown;
}

std::string_view CVT100View::shownRow(int row) const
{
    const long long line = m_shownFirstLine + row;
    return std::string_view(&m_shownCells[static_cast<std::size_t>(line % TextScreen::Rows) * TextScreen::Columns],
                            TextScreen::Columns);
}

void CVT100View::updateRows(int firstRow, int lastRow)
{
    const QRect rows(0, firstRow * CellHeight, DocumentWidth, (lastRow - firstRow + 1) * CellHeight);
    viewport()->update(rows.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value()));
}

int CVT100View::firstVisibleRow() const
{
    return std::clamp(verticalScrollBar()->value() / CellHeight, 0, TextScreen::Rows - 1);
}

int CVT100View::lastVisibleRow() const
{
    const int bottom = verticalScrollBar()->value() + std::max(viewport()->height(), 1) - 1;
    return std::clamp(bottom / CellHeight, 0, TextScreen::Rows - 1);
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

// Makes the drawn characters and the row picture for the window's pixel
// density; a change of it starts them afresh.
void CVT100View::preparePictures()
{
    const int scale = std::max(1, qCeil(viewport()->devicePixelRatioF()));
    if (m_characters && m_characters->scale() == scale)
        return;
    m_characters = std::make_unique<CellPictures>(m_font, TextColour, BackgroundColour, CellWidth, CellHeight, scale);
    m_rowPicture = std::make_unique<RowPicture>(DocumentWidth, CellHeight, scale, BackgroundColour.rgb());
}

void CVT100View::paintEvent(QPaintEvent* event)
{
    const int dx = horizontalScrollBar()->value();
    const int dy = verticalScrollBar()->value();
    const QRect exposed = event->rect();
    const QRect area = exposed.translated(dx, dy);  // document coordinates

    const int firstRow = std::max(area.top() / CellHeight, 0);
    const int lastRow = std::min(area.bottom() / CellHeight, TextScreen::Rows - 1);
    preparePictures();

    // Characters new to the pane are drawn together, before the rows need them.
    for (int row = firstRow; row <= lastRow; ++row)
        m_characters->prepare(shownRow(row));
    m_characters->draw();

    QPainter painter(viewport());
    for (int row = firstRow; row <= lastRow; ++row)
        painter.drawImage(QPoint(-dx, row * CellHeight - dy), m_rowPicture->compose(shownRow(row), *m_characters));
    // Right of the rows and below the last one there is only background.
    const QRect rows(-dx, -dy, DocumentWidth, TextScreen::Rows * CellHeight);
    for (const QRect& rest : QRegion(exposed).subtracted(rows))
        painter.fillRect(rest, BackgroundColour);

    if (m_shownCursor)
        painter.fillRect(QRect(m_shownCursorColumn * CellWidth - dx, CursorTop - dy, CellWidth, CursorHeight),
                         TextColour);
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
    horizontalScrollBar()->setRange(0, std::max(0, DocumentWidth - page.width()));
    horizontalScrollBar()->setPageStep(page.width());
    horizontalScrollBar()->setSingleStep(CellWidth);
    verticalScrollBar()->setRange(0, std::max(0, DocumentHeight - page.height()));
    verticalScrollBar()->setPageStep(page.height());
    verticalScrollBar()->setSingleStep(CellHeight);
}

void CVT100View::scrollToBottom()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
