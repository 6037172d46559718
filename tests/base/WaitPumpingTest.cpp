#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "base/WaitPumping.h"

class WaitPumpingTest : public QObject {
    Q_OBJECT

private slots:
    void waitLastsAtLeastTheRequestedTime()
    {
        QElapsedTimer timer;
        timer.start();
        waitPumping(120);
        QVERIFY(timer.elapsed() >= 120);
    }

    void eventsAreHandledDuringTheWait()
    {
        bool handled = false;
        QTimer::singleShot(10, this, [&handled] { handled = true; });
        waitPumping(100);
        QVERIFY(handled);
    }

    void aZeroWaitReturnsWithoutHandlingEvents()
    {
        bool handled = false;
        QMetaObject::invokeMethod(this, [&handled] { handled = true; }, Qt::QueuedConnection);
        waitPumping(0);
        QVERIFY(!handled);
        pumpOneMessage();
        QVERIFY(handled);
    }
};

QTEST_GUILESS_MAIN(WaitPumpingTest)
#include "WaitPumpingTest.moc"
