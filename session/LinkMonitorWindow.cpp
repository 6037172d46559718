#include "session/LinkMonitorWindow.h"

#include <QAbstractTableModel>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <array>

#include "directory/UserPrompts.h"

namespace {

constexpr int monitorColumnCount = 7;

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

LinkMonitorWindow::LinkMonitorWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
    , m_model(new LinkMonitorModel(m_log, this))
    , m_table(new QTableView(this))
    , m_clearButton(new QPushButton(QStringLiteral("지우기"), this))
    , m_saveButton(new QPushButton(QStringLiteral("저장..."), this))
    , m_refreshTimer(new QTimer(this))
{
    setAccessibleName(QStringLiteral("링크 모니터"));
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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(860, 420);

    askSavePath = [](QWidget* dialogParent) {
        return QFileDialog::getSaveFileName(dialogParent, QStringLiteral("링크 모니터 저장"), QString(),
                                            QStringLiteral("텍스트 (*.txt);;모든 파일 (*)"));
    };
    connect(m_clearButton, &QPushButton::clicked, this, &LinkMonitorWindow::clearRows);
    connect(m_saveButton, &QPushButton::clicked, this, &LinkMonitorWindow::save);
    m_refreshTimer->setInterval(100);
    connect(m_refreshTimer, &QTimer::timeout, this, &LinkMonitorWindow::refresh);
    m_refreshTimer->start();
    setWindowTitle(QStringLiteral("링크 모니터"));
    if (owner) {
        auto follow = [this](const QString& caption) { setWindowTitle(QStringLiteral("링크 모니터 - ") + caption); };
        follow(owner->windowTitle());
        connect(owner, &QWidget::windowTitleChanged, this, follow);
    }
}

LinkMonitorWindow::~LinkMonitorWindow() = default;

void LinkMonitorWindow::addRow(LinkMonitorRow row)
{
    m_log.append(std::move(row));
}

void LinkMonitorWindow::recordWritten(bool frame, std::string_view bytes, RequestKind kind)
{
    const auto now = LinkMonitorClock::now();
    addRow(frame ? describeSentFrame(bytes, kind, now) : describeModemLine(bytes, true, kind, now));
}

void LinkMonitorWindow::recordReceivedFrame(std::string_view frame, RequestKind kind)
{
    addRow(describeReceivedFrame(frame, kind, decodeReply(frame, kind).kind, LinkMonitorClock::now()));
}

void LinkMonitorWindow::recordModemLine(std::string_view line, RequestKind kind)
{
    addRow(describeModemLine(line, false, kind, LinkMonitorClock::now()));
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
    const QString path = askSavePath(this);
    if (!path.isEmpty())
        saveTo(path);
}

bool LinkMonitorWindow::saveTo(const QString& path)
{
    const std::string text = m_log.toText();
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly)
        && file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size())
        && file.commit();
    if (!ok)
        informUser(this, QStringLiteral("%1 파일에 저장하지 못했습니다.\n%2").arg(path, file.errorString()));
    return ok;
}
