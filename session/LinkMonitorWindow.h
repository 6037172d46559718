#pragma once
// The link monitor of one connection window: a separate window listing every
// link frame sent and received and every modem line, newest at the bottom.
// The connection window hands it rows only while it is shown; the list is
// brought up to date on a short timer, so a burst of frames costs one redraw.

#include <QWidget>

#include <functional>

#include "session/LinkMonitorLog.h"

class QAbstractTableModel;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class LinkMonitorModel;

class LinkMonitorWindow : public QWidget {
    Q_OBJECT
public:
    // The monitor of owner's link; its caption follows the owner's.
    explicit LinkMonitorWindow(QWidget* owner = nullptr);
    ~LinkMonitorWindow() override;

    // True while rows are wanted: the window is shown.
    bool isRecording() const { return isVisible(); }
    void addRow(LinkMonitorRow row);
    // What the connection window saw, stamped now: bytes it wrote (a whole
    // frame, or raw bytes for the modem), a frame received, read under the
    // request kind in force before it is handled, and a received modem line.
    void recordWritten(bool frame, std::string_view bytes, RequestKind kind);
    void recordReceivedFrame(std::string_view frame, RequestKind kind);
    void recordModemLine(std::string_view line, RequestKind kind);
    const LinkMonitorLog& log() const { return m_log; }

    // Writes the rows as UTF-8 text; on failure the operator is told why.
    bool saveTo(const QString& path);
    // Asks where "저장..." writes; a test may answer for the operator.
    std::function<QString(QWidget*)> askSavePath;

    QPushButton* clearButton() const { return m_clearButton; }
    QPushButton* saveButton() const { return m_saveButton; }
    QTableView* table() const { return m_table; }

private:
    void refresh();
    void clearRows();
    void save();

    LinkMonitorLog m_log;
    LinkMonitorModel* m_model;
    QTableView* m_table;
    QPushButton* m_clearButton;
    QPushButton* m_saveButton;
    QTimer* m_refreshTimer;
};
