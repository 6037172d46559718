// The link monitor window as the operator meets it: rows appear at the
// bottom, "지우기" empties the list, "저장..." writes UTF-8 text or says why
// it could not.

#include <QFile>
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
        LinkMonitorWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.isRecording());
        const auto now = LinkMonitorClock::now();
        window.addRow(describeSentFrame(buildFrame(RequestKind::LoginPassword, noPort, "pilvo"),
                                        RequestKind::LoginPassword, now));
        window.addRow(describeModemLine("CONNECT 9600", false, RequestKind::LoginPassword, now));
        QTRY_COMPARE(window.table()->model()->rowCount(), 2);
        QCOMPARE(window.table()->model()->index(1, 4).data().toString(), QStringLiteral("CONNECT 9600"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("모니터.txt"));
        window.askSavePath = [&](QWidget*) { return path; };
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
        window.askSavePath = [&](QWidget*) { return unwritable; };
        QTest::mouseClick(window.saveButton(), Qt::LeftButton);
        setPromptHandler({});
        QVERIFY(told.contains(unwritable));

        window.hide();
        QVERIFY(!window.isRecording());
    }
};

QTEST_MAIN(LinkMonitorWindowTest)
#include "LinkMonitorWindowTest.moc"
