// A connection window as the operator meets it inside the main frame: worked
// with the keyboard alone, and kept whole and in view on a small screen.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/CMainFrame.h"
#include "directory/UserPrompts.h"
#include "session/CChildFrame.h"
#include "session/ConnectionToolBar.h"
#include "session/SendBar.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/WindowTestSupport.h"

namespace {

// Presses the key where the keyboard goes: an open menu, else the focus.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::activePopupWidget();
    QTest::keyClick(target ? target : QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

QWidget* focus()
{
    return QApplication::focusWidget();
}

// The entries of the menu open now.
QStringList openMenuEntries()
{
    QStringList entries;
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (const QAction* action : menu->actions())
            entries << action->text();
    }
    return entries;
}

// Every control of the tool bar is shown at its full width and inside the
// window: no label is cut or pushed out of sight.
void verifyToolBarWhole(CChildFrame* window)
{
    for (QWidget* control : window->toolBar()->findChildren<QWidget*>()) {
        if (control->isVisibleTo(window) && (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLabel*>(control))) {
            const QString label = control->property("text").toString();
            QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(label));
            QVERIFY(window->rect().contains(QRect(control->mapTo(window, QPoint(0, 0)), control->size())));
        }
    }
}

}  // namespace

class ConnectionWindowUseTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDeviceInstaller> m_fakes;

    std::string dataDir() const { return m_dir->path().toStdString() + "/"; }

private slots:
    void init()
    {
        m_watchdog = std::make_unique<TestWatchdog>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_fakes = std::make_unique<FakeDeviceInstaller>();
    }

    void cleanup()
    {
        m_fakes.reset();
        m_dir.reset();
        m_watchdog.reset();
    }

    void theKeyboardAloneWorksTheWindow()
    {
        auto modem = m_fakes->device("COM1");
        modem->setCarrier(true);  // connected: every command of the tool bar is open
        CMainFrame frame({"COM1"}, dataDir());
        frame.resize(1400, 900);
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        // The port buttons of the main window stay reachable.
        frame.portButton(0)->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Space);
        CChildFrame* window = frame.connectionWindow(0);
        QVERIFY(window && window->isConnected());
        const ConnectionToolBar* bar = window->toolBar();
        QLineEdit* left = window->sendBar(PaneSide::Left)->inputLine();
        QLineEdit* right = window->sendBar(PaneSide::Right)->inputLine();
        QTRY_COMPARE(focus(), left);

        // F6 goes round the regions: tool bar, left bar, right bar.
        press(Qt::Key_F6);
        QCOMPARE(focus(), right);
        QTest::qWait(50);  // the pane's focus news arrives late; the bar keeps the focus
        QCOMPARE(focus(), right);
        press(Qt::Key_F6);
        QCOMPARE(focus(), bar->hangUpButton);  // the first that can be used ("전화걸기" is not, connected)
        const QList<QWidget*> expected{bar->hangUpButton,      bar->portToggles[0],   bar->portToggles[1],
                                       bar->portToggles[2],    bar->portToggles[3],   bar->idPasswordButton,
                                       bar->portSettingsButton, bar->paneSelectors[0], bar->logBoxes[0],
                                       bar->paneSelectors[1],  bar->logBoxes[1],      bar->linkMonitorButton,
                                       bar->scriptButton};
        QList<QWidget*> visited{focus()};
        for (int i = 1; i < expected.size(); ++i) {
            press(Qt::Key_Tab);
            visited << focus();
        }
        QCOMPARE(visited, expected);
        press(Qt::Key_Tab);
        QCOMPARE(focus(), bar->hangUpButton);  // and round again
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focus(), bar->scriptButton);

        // Space and Enter operate the focused control.
        bar->portToggles[0]->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Space);
        press(Qt::Key_Tab);
        press(Qt::Key_Return);
        QVERIFY(bar->portToggles[0]->isChecked() && bar->portToggles[1]->isChecked());
        QVERIFY(waitUntil([&] { return modem->written().find(frameBytes('C', '1', "CONN")) != std::string::npos; }));

        press(Qt::Key_F6);
        QCOMPARE(focus(), left);
        press(Qt::Key_F6);
        QCOMPARE(focus(), right);
        press(Qt::Key_F6);
        QCOMPARE(focus(), bar->portToggles[1]);  // back where the tool bar was left
        press(Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(focus(), right);

        // Shift+F10 and the Menu key open the pane's own menu, not the line's.
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_F10, Qt::ShiftModifier},
                                             std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
            press(key, modifiers);
            QTRY_VERIFY(openMenuEntries().contains("찾기..."));
            QVERIFY(openMenuEntries().contains("링크 모니터"));
            press(Qt::Key_Escape);
            QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
            QCOMPARE(focus(), right);
        }
    }

    void aSmallScreenKeepsTheWindowInViewAndItsLabelsWhole()
    {
        CMainFrame frame({"COM1", "COM2"}, dataDir());
        frame.resize(800, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.portButton(0)->click();
        const QRect area = frame.mdiArea()->viewport()->rect();
        QVERIFY(area.contains(frame.mdiArea()->subWindowList().front()->geometry()));
        STEP(verifyToolBarWhole(frame.connectionWindow(0)));
        // The second window too opens in view.
        frame.portButton(1)->click();
        QVERIFY(area.contains(frame.mdiArea()->subWindowList().back()->geometry()));

        // Side by side, each window half as wide: the tool bar takes more rows.
        frame.tileSideBySide();
        for (int slot : {0, 1}) {
            CChildFrame* window = frame.connectionWindow(slot);
            QTRY_VERIFY(window->toolBar()->height() > window->toolBar()->sizeHint().height());
            STEP(verifyToolBarWhole(window));
        }
    }
};

QTEST_MAIN(ConnectionWindowUseTest)
#include "ConnectionWindowUseTest.moc"
