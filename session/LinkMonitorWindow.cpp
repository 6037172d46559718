#include "session/LinkMonitorWindow.h"

#include <QAbstractTableModel>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "directory/UserPrompts.h"

namespace {

constexpr int monitorColumnCount = 7;
// Narrower than this, the monitor opens over its window rather than beside it.
constexpr int minimumMonitorWidth = 360;

const std::string& field(const LinkMonitorRow& row, int column)
{
    const std::array<const std::string*, monitorColumnCount> fields{&row.time,    &row.direction,   &row.frameClass,
                                                            &row.subCode, &row.payload,     &row.requestKind,
                                                            &row.verdict};
    return *fields[static_cast<std::size_t>(column)];
}

}  // namespace

// A table over the log that follows it in steps: refresh() tells the view
// which rows fell off the top and which arrived at the bottom since the last
// step.
class LinkMonitorModel final : public QAbstractTableModel {
public:
    explicit LinkMonitorModel(const LinkMonitorLog& log, QObject* parent)
        : QAbstractTableModel(parent)
        , m_log(log)
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_shownRows; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : monitorColumnCount; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_shownRows)
            return {};
        const std::string& text = field(m_log.rows()[static_cast<std::size_t>(index.row())], index.column());
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        static const std::array<QString, monitorColumnCount> titles{
            QStringLiteral("시각"), QStringLiteral("방향"),      QStringLiteral("클래스"), QStringLiteral("서브코드"),
            QStringLiteral("내용"), QStringLiteral("요청 종류"), QStringLiteral("판정")};
        return titles[static_cast<std::size_t>(section)];
    }

    // Brings the shown rows up to the log. Returns true when rows arrived.
    bool refresh()
    {
        const std::uint64_t dropped = m_log.droppedCount() - m_shownDropped;
        if (dropped > 0 && m_shownRows > 0) {
            const int gone = static_cast<int>(std::min<std::uint64_t>(dropped, static_cast<std::uint64_t>(m_shownRows)));
            beginRemoveRows({}, 0, gone - 1);
            m_shownRows -= gone;
            endRemoveRows();
        }
        m_shownDropped = m_log.droppedCount();
        const int total = static_cast<int>(m_log.rows().size());
        if (total <= m_shownRows)
            return false;
        beginInsertRows({}, m_shownRows, total - 1);
        m_shownRows = total;
        endInsertRows();
        return true;
    }

    void reset()
    {
        beginResetModel();
        m_shownRows = static_cast<int>(m_log.rows().size());
        m_shownDropped = m_log.droppedCount();
        endResetModel();
    }

private:
    const LinkMonitorLog& m_log;
    int m_shownRows = 0;
    std::uint64_t m_shownDropped = 0;
};

LinkMonitorWindow::LinkMonitorWindow(LinkMonitorLog& log, QWidget* owner)
    : QMainWindow(owner, Qt::Window)
    , m_log(log)
    , m_model(new LinkMonitorModel(m_log, this))
    , m_table(new QTableView(this))
    , m_clearButton(new QPushButton(QStringLiteral("지우기"), this))
    , m_saveButton(new QPushButton(QStringLiteral("저장..."), this))
    , m_refreshTimer(new QTimer(this))
{
    m_table->setModel(m_model);
    m_table->setAccessibleName(QStringLiteral("링크 프레임 목록"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setVisible(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const std::array<int, monitorColumnCount> widths{96, 40, 52, 64, 360, 90, 80};
    for (int column = 0; column < monitorColumnCount; ++column)
        m_table->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_clearButton);
    buttons->addWidget(m_saveButton);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(860, 420);

    askSavePath = [](QWidget* dialogParent, std::function<void(const QString&)> answer) {
        auto* dialog = new QFileDialog(dialogParent, QStringLiteral("링크 모니터 저장"), QString(),
                                       QStringLiteral("텍스트 (*.txt);;모든 파일 (*)"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, answer = std::move(answer)](int result) {
            answer(result == QDialog::Accepted && !dialog->selectedFiles().isEmpty()
                       ? dialog->selectedFiles().constFirst()
                       : QString());
        });
        dialog->open();
    };
    connect(m_clearButton, &QPushButton::clicked, this, &LinkMonitorWindow::clearRows);
    connect(m_saveButton, &QPushButton::clicked, this, &LinkMonitorWindow::save);
    m_refreshTimer->setInterval(100);
    m_refreshTimer->setSingleShot(true);
    connect(m_refreshTimer, &QTimer::timeout, this, &LinkMonitorWindow::refresh);
    // A window of its own, named after its caption on the accessibility bus too.
    auto follow = [this](const QString& caption) {
        setWindowTitle(caption.isEmpty() ? QStringLiteral("링크 모니터") : QStringLiteral("링크 모니터 - ") + caption);
        setAccessibleName(windowTitle());
    };
    follow(owner ? owner->windowTitle() : QString());
    if (owner)
        connect(owner, &QWidget::windowTitleChanged, this, follow);
}

LinkMonitorWindow::~LinkMonitorWindow() = default;

void LinkMonitorWindow::rowsAdded()
{
    if (isVisible() && !m_refreshTimer->isActive())
        m_refreshTimer->start();
}

void LinkMonitorWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    refresh();
}

void LinkMonitorWindow::showBeside(QWidget* window)
{
    if (!isVisible() && window) {
        // Right of the connection window, else left of it, narrowed to the
        // room there; where neither side has room, over it at its right edge.
        const QRect beside = window->frameGeometry();
        const QScreen* screen = window->screen();
        const QRect room = screen ? screen->availableGeometry() : QRect();
        // Before it is first shown its frame is unknown: its window's frame is
        // a fair guess.
        const int frameExtra = std::max(frameGeometry().width() - this->width(),
                                        window->frameGeometry().width() - window->width());
        int width = this->width();
        QPoint at(beside.right() + 1, beside.top());
        if (room.isValid()) {
            const int rightRoom = room.right() - beside.right() - frameExtra;
            const int leftRoom = beside.left() - room.left() - frameExtra;
            const int roomy = std::max(rightRoom, leftRoom);
            if (roomy >= minimumMonitorWidth) {
                width = std::min(width, roomy);
                at.setX(rightRoom >= width ? beside.right() + 1 : beside.left() - width - frameExtra);
            } else {
                width = std::min(width, room.width() - frameExtra);
                at.setX(room.right() + 1 - width - frameExtra);
            }
            at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - frameGeometry().height())));
        }
        resize(width, height());
        move(at);
    }
    show();
    raise();
    activateWindow();
}

void LinkMonitorWindow::refresh()
{
    if (!isVisible())
        return;
    QScrollBar* bar = m_table->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    if (m_model->refresh() && atBottom)
        m_table->scrollToBottom();
}

void LinkMonitorWindow::clearRows()
{
    m_log.clear();
    m_model->reset();
}

void LinkMonitorWindow::save()
{
    const QPointer<LinkMonitorWindow> self(this);
    askSavePath(this, [self](const QString& path) {
        if (self && !path.isEmpty())
            self->saveTo(path);
    });
}

bool LinkMonitorWindow::saveTo(const QString& path)
{
    const std::string text = m_log.toText();
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly)
        && file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size())
        && file.commit();
    if (!ok)
        tellUser(this, QStringLiteral("%1 파일에 저장하지 못했습니다.\n%2").arg(path, file.errorString()));
    return ok;
}
