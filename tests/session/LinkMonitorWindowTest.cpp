// The link monitor window as the operator meets it: rows appear at the
// bottom, "지우기" empties the list, "저장..." writes UTF-8 text or says why
// it could not.

#include <QFile>
#include <QScreen>
#include <QTableView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "directory/UserPrompts.h"
#include "session/LinkFrame.h"
#include "session/LinkMonitorWindow.h"

class LinkMonitorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void rowsShowClearAndSave()
    {
        LinkMonitorLog log;
        const auto now = LinkMonitorClock::now();
        log.append(describeSentFrame(buildFrame(RequestKind::LoginPassword, noPort, "pilvo"),
                                     RequestKind::LoginPassword, now));
        LinkMonitorWindow window(log);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.table()->model()->rowCount(), 1);  // what was logged before it opened
        log.append(describeModemLine("CONNECT 9600", false, RequestKind::LoginPassword, now));
        window.rowsAdded();
        QTRY_COMPARE(window.table()->model()->rowCount(), 2);
        QCOMPARE(window.table()->model()->index(1, 4).data().toString(), QStringLiteral("CONNECT 9600"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("모니터.txt"));
        window.askSavePath = [&](QWidget*, std::function<void(const QString&)> answer) { answer(path); };
        QTest::mouseClick(window.saveButton(), Qt::LeftButton);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(saved.readAll());
        QVERIFY(text.contains(QStringLiteral("CONNECT 9600")));
        QVERIFY(text.contains(QStringLiteral("****")));
        QVERIFY(!text.contains(QStringLiteral("pilvo")));

        QTest::mouseClick(window.clearButton(), Qt::LeftButton);
        QCOMPARE(window.table()->model()->rowCount(), 0);

        QString told;
        setPromptHandler([&](PromptKind, const QString& message) {
            told = message;
            return true;
        });
        const QString unwritable = dir.filePath(QStringLiteral("없는폴더/모니터.txt"));
        window.askSavePath = [&](QWidget*, std::function<void(const QString&)> answer) { answer(unwritable); };
        QTest::mouseClick(window.saveButton(), Qt::LeftButton);
        setPromptHandler({});
        QVERIFY(told.contains(unwritable));
    }

    // It opens beside its connection window, a window of its own named after
    // its caption; where the screen has no room beside, it still fits on it.
    void opensBesideItsWindow()
    {
        QWidget owner;
        owner.setWindowTitle(QStringLiteral("COM1 - [9600-N-8-1]"));
        owner.setGeometry(0, 0, 300, 300);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        LinkMonitorLog log;
        auto* monitor = new LinkMonitorWindow(log, &owner);
        monitor->showBeside(&owner);
        QVERIFY(monitor->isWindow() && monitor->isVisible());
        QCOMPARE(monitor->windowTitle(), QStringLiteral("링크 모니터 - COM1 - [9600-N-8-1]"));
        QCOMPARE(monitor->accessibleName(), monitor->windowTitle());
        QVERIFY(monitor->frameGeometry().left() > owner.frameGeometry().right());
        const QRect screen = owner.screen()->availableGeometry();
        QVERIFY(screen.contains(monitor->frameGeometry()));

        monitor->hide();
        owner.setGeometry(screen.adjusted(0, 0, -10, -10));
        monitor->showBeside(&owner);
        QVERIFY(screen.contains(monitor->frameGeometry()));
    }
};

QTEST_MAIN(LinkMonitorWindowTest)
#include "LinkMonitorWindowTest.moc"
