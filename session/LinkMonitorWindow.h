#pragma once
// The link monitor of one connection window: a window of its own listing
// every link frame sent and received and every modem line, newest at the
// bottom. The connection keeps the log from the moment its window opened; the
// monitor shows it whenever it is opened, and follows it on a short timer
// while shown, so a burst of frames costs one redraw.

#include <QMainWindow>

#include <QString>

#include <functional>

#include "session/LinkMonitorLog.h"

class QAbstractTableModel;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class LinkMonitorModel;

class LinkMonitorWindow : public QMainWindow {
    Q_OBJECT
public:
    // The monitor of owner's link, over the log the connection keeps; its
    // caption follows the owner's.
    explicit LinkMonitorWindow(LinkMonitorLog& log, QWidget* owner = nullptr);
    ~LinkMonitorWindow() override;

    // Shows it beside the window (right of it, or left when the screen has
    // no room there), on top; an open monitor is only raised.
    void showBeside(QWidget* window);
    // The log has new rows: the list follows on the next refresh.
    void rowsAdded();
    const LinkMonitorLog& log() const { return m_log; }

    // Writes the rows as UTF-8 text; on failure the operator is told why.
    bool saveTo(const QString& path);
    // Asks where "저장..." writes and hands the answer (empty: cancelled) on;
    // a test may answer for the operator.
    std::function<void(QWidget*, std::function<void(const QString&)>)> askSavePath;

    QPushButton* clearButton() const { return m_clearButton; }
    QPushButton* saveButton() const { return m_saveButton; }
    QTableView* table() const { return m_table; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void clearRows();
    void save();

    LinkMonitorLog& m_log;
    LinkMonitorModel* m_model;
    QTableView* m_table;
    QPushButton* m_clearButton;
    QPushButton* m_saveButton;
    QTimer* m_refreshTimer;
};
