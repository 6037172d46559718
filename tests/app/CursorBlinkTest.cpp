// Text cursors stop blinking after a quiet spell and blink again with the
// next key or click, which still reaches the widget it was meant for.

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "app/CursorBlinkTimeout.h"

using namespace std::chrono_literals;

class CursorBlinkTest : public QObject {
    Q_OBJECT

private slots:
    void blinkingStopsWhenQuietAndComesBackWithInput()
    {
        const int desktopFlashTime = QApplication::cursorFlashTime();
        QVERIFY(desktopFlashTime > 0);
        CursorBlinkTimeout* blink = CursorBlinkTimeout::install(300ms);
        QLineEdit line;
        line.show();
        line.activateWindow();
        line.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&line));

        // Typing keeps it blinking past the time-out.
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(100);
            QTest::keyClick(&line, Qt::Key_A);
        }
        QVERIFY(blink->isBlinking());
        QCOMPARE(QApplication::cursorFlashTime(), desktopFlashTime);

        QTRY_VERIFY_WITH_TIMEOUT(!blink->isBlinking(), 3000);
        QCOMPARE(QApplication::cursorFlashTime(), 0);

        QTest::keyClick(&line, Qt::Key_B);
        QVERIFY(blink->isBlinking());
        QCOMPARE(QApplication::cursorFlashTime(), desktopFlashTime);
        QCOMPARE(line.text(), QStringLiteral("aaaaab"));

        QTRY_VERIFY_WITH_TIMEOUT(!blink->isBlinking(), 3000);
        QTest::mouseClick(&line, Qt::LeftButton);
        QVERIFY(blink->isBlinking());
        QCOMPARE(QApplication::cursorFlashTime(), desktopFlashTime);
        delete blink;
    }
};

QTEST_MAIN(CursorBlinkTest)
#include "CursorBlinkTest.moc"
