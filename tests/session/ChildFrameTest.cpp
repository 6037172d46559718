// The connection window over a scripted device playing the modem: what only a
// window shows of dialling, typing, the login, the port commands, the panes,
// carrier loss and a vanished device, and closing the window in the middle of
// a wait or a dialog. What the dialogue decides is tested without a window.

#include <QAccessible>
#include <QApplication>
#include <QTableView>
#include <QClipboard>
#include <QRegularExpression>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "directory/UserPrompts.h"
#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionToolBar.h"
#include "session/DialWaitDialog.h"
#include "session/LinkMonitorWindow.h"
#include "session/SendBar.h"
#include "tests/support/ContextMenuChoice.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/WindowTestSupport.h"

namespace {

// Operates the control as assistive technology does, through its accessible action.
void toggleByAccessibleAction(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible && accessible->actionInterface());
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

}  // namespace

class ChildFrameTest : public QObject, private ConnectionWindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceInstaller> m_fakes;
    std::shared_ptr<FakeSerialDevice> m_modem;

    std::string written() const { return m_modem->written(); }

    bool waitWritten(std::string_view bytes)
    {
        return waitUntil([&] { return written().find(bytes) != std::string::npos; });
    }

    void openWindow(bool carrierAtOpen = false)
    {
        m_modem->setCarrier(carrierAtOpen);
        m_frame = openConnectionWindow(*m_host, "COM1");
        QVERIFY(m_frame->isReaderRunning());
    }

    // Dials from the phone book, the modem answers CONNECT with carrier, and
    // the unit takes the user ID up to where the test goes on.
    void dialAndConnect()
    {
        m_dialogs->phoneAnswers.push_back(PhoneEntry{0, "Seoul", "555", false, "kim", "secret"});
        m_frame->toolBar()->dialButton->click();
        QVERIFY(waitUntil([&] { return m_frame->isDialling(); }));
        m_modem->setCarrier(true);
        m_modem->feed("\r\nCONNECT 9600\r\n");
        QVERIFY(waitWritten(frameBytes('A', 'I', "kim")));
        QVERIFY(!m_frame->dialWaitWindow());
    }

    void loggedIn()
    {
        STEP(dialAndConnect());
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitWritten(frameBytes('A', 'P', "secret")));
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitUntil([&] { return right().find("연결되었습니다") != std::string::npos; }));
        m_modem->clearWritten();
    }

    void typeAndEnter(PaneSide pane, const QString& text)
    {
        QLineEdit* input = m_frame->sendBar(pane)->inputLine();
        input->setText(text);
        QTest::keyClick(input, Qt::Key_Return);
    }

    // The tool bar's mark for output the line holds back.
    bool heldMarkShown() const
    {
        for (const QLabel* label : m_frame->toolBar()->findChildren<QLabel*>()) {
            if (label->text() == QStringLiteral("전송 대기 중"))
                return label->isVisible();
        }
        return false;
    }

    void choosePaneSource(PaneSide pane, int entry)
    {
        QComboBox* selector = m_frame->toolBar()->paneSelectors[indexOf(pane)];
        selector->setCurrentIndex(entry);
        emit selector->activated(entry);
    }

    void choosePaneMenuEntry(PaneSide side, const QString& entry)
    {
        QWidget* viewport = m_frame->pane(side)->viewport();
        chooseFromContextMenu(viewport, viewport->rect().center(), entry);
    }

private slots:
    void init()
    {
        startFixture("COM1");
        m_fakes = std::make_unique<FakeDeviceInstaller>();
        m_modem = m_fakes->device("COM1");
    }

    void cleanup()
    {
        endFixture();
        m_modem.reset();
        m_fakes.reset();
    }

    void openWritesTheInitCommandAndEchoesModemText()
    {
        m_host->dial.initCommand = "AT&F";
        openWindow();
        QVERIFY(waitWritten("AT&F\r"));
        QCOMPARE(m_frame->caption(), QStringLiteral("COM1 - [9600-N-8-1]"));
        m_modem->feed("\r\nOK\r\n");
        QVERIFY(waitUntil([&] { return left().find("OK") != std::string::npos; }));
        QVERIFY(right().find("OK") != std::string::npos);
    }

    void thePhoneBookDialsAndTheWaitWindowCancels()
    {
        openWindow();
        m_modem->clearWritten();
        m_dialogs->phoneAnswers.push_back(PhoneEntry{0, "Seoul", "555", true, "kim", "pw"});
        m_frame->toolBar()->dialButton->click();
        QVERIFY(waitUntil([&] { return m_frame->isDialling(); }));
        QCOMPARE(written(), std::string("ATDT 9,555\r"));
        QVERIFY(m_frame->dialWaitWindow() && m_frame->dialWaitWindow()->isVisible());

        m_modem->clearWritten();
        auto* cancel = m_frame->dialWaitWindow()->findChild<QPushButton*>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("취소"));
        QElapsedTimer timer;
        timer.start();
        cancel->click();
        QVERIFY(waitWritten("\r\r"));
        QVERIFY(timer.elapsed() >= 200);
        QVERIFY(!m_frame->isDialling());
    }

    void typedTextGoesOutRawAndADialCommandDials()
    {
        openWindow();
        m_modem->clearWritten();
        typeAndEnter(PaneSide::Left, QStringLiteral("AT"));
        QVERIFY(waitWritten("AT\r"));
        // Escape empties the line and sends nothing; Enter on an empty local line sends nothing.
        QLineEdit* input = m_frame->sendBar(PaneSide::Left)->inputLine();
        input->setText(QStringLiteral("ATH"));
        QTest::keyClick(input, Qt::Key_Escape);
        QVERIFY(input->text().isEmpty());
        QTest::keyClick(input, Qt::Key_Return);
        typeAndEnter(PaneSide::Left, QStringLiteral("atdt 123 "));
        QVERIFY(waitWritten("atdt 123\r"));
        QCOMPARE(written(), std::string("AT\ratdt 123\r"));
        QVERIFY(waitUntil([&] { return m_frame->isDialling(); }));
        QVERIFY(m_frame->dialWaitWindow() && m_frame->dialWaitWindow()->isVisible());
    }

    void unknownPortKeepsTheWindowWithoutAPort()
    {
        m_host->knowsPort = false;
        m_frame = openConnectionWindow(*m_host, "COM1");
        QTest::qWait(200);
        QVERIFY(!m_frame->serialPort().isOpen());
        QVERIFY(!m_frame->isReaderRunning());
        QCOMPARE(m_frame->caption(), QStringLiteral("COM1 - []"));
    }

    void loginRetryAndAccountChangeAskWithTheirCaptions()
    {
        openWindow();
        QVERIFY(waitWritten("ATZ\r"));
        STEP(dialAndConnect());
        m_dialogs->loginAnswers.push_back(LoginAnswer{"park", "new"});
        m_modem->feed(frameBytes('A', 'R', "FAIL"));
        QVERIFY(waitWritten(frameBytes('A', 'I', "park")));
        QCOMPARE(m_dialogs->loginCaptions, std::vector<QString>{QStringLiteral("로그인 재시도")});
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitWritten(frameBytes('A', 'P', "new")));
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitUntil([&] { return right().find("'KR-V' 연결되었습니다.") != std::string::npos; }));
        QCOMPARE(m_frame->caption(), QStringLiteral("연결됨:Seoul(555)"));
        QCOMPARE(occurrences(left(), "'KR-V' 연결되었습니다."), std::size_t(1));

        // "ID/PWD 설정" asks with its own caption and sends the ID step.
        m_dialogs->loginAnswers.push_back(LoginAnswer{"kim2", "secret2"});
        m_frame->toolBar()->idPasswordButton->click();
        QCOMPARE(m_dialogs->loginCaptions.back(), QStringLiteral("아이디 변경"));
        QVERIFY(waitWritten(frameBytes('A', 'D', "kim kim2")));
    }

    void busyReleasesTheToggle()
    {
        openWindow();
        STEP(loggedIn());
        QPushButton* toggle = m_frame->toolBar()->portToggles[2];
        toggle->click();
        QVERIFY(waitWritten(frameBytes('C', '2', "CONN")));
        m_modem->feed(frameBytes('C', '2', "BUSY"));
        QVERIFY(waitUntil([&] { return !toggle->isChecked(); }));
        QVERIFY(right().find("포트 2 연결에 실패하였습니다. 다른장치에서 사용중입니다.") != std::string::npos);
        // The program's own release of the toggle sends no DISC.
        QTest::qWait(50);
        QCOMPARE(written().find(frameBytes('C', '2', "DISC")), std::string::npos);
    }

    void theLinkMonitorListsTheLinkSinceTheWindowOpenedWithoutPasswords()
    {
        openWindow();
        STEP(loggedIn());
        QVERIFY(!m_frame->linkMonitor());
        // Opened after the login, it shows the login.
        m_frame->toolBar()->linkMonitorButton->click();
        LinkMonitorWindow* monitor = m_frame->linkMonitor();
        QVERIFY(monitor && monitor->isVisible());
        QVERIFY(monitor->isWindow());
        QVERIFY(monitor->windowTitle().endsWith(m_frame->caption()));
        QCOMPARE(monitor->accessibleName(), monitor->windowTitle());
        QTRY_COMPARE(monitor->table()->model()->rowCount(), static_cast<int>(monitor->log().rows().size()));
        const std::string text = monitor->log().toText();
        for (const char* expected : {"→\t모뎀\t\tATDT 555\\x0D", "←\t모뎀\t\tCONNECT 9600", "→\tA\tI\tkim\t로그인 ID",
                                     "→\tA\tP\t****\t로그인 암호", "←\tA\tR\tPASS\t로그인 암호\t수락"})
            QVERIFY2(text.find(expected) != std::string::npos, (std::string(expected) + " in\n" + text).c_str());
        QCOMPARE(text.find("secret"), std::string::npos);
    }

    void paneMenuPastesIntoItsOwnBarAndFindOpensOverThePaneOfTheFocusedBar()
    {
        openWindow();
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        m_modem->clearWritten();
        QApplication::clipboard()->setText(QStringLiteral("ATI\r\nATZ"));
        m_frame->pane(PaneSide::Right)->pasteClipboard();  // "붙여넣기"
        QLineEdit* right = m_frame->sendBar(PaneSide::Right)->inputLine();
        QCOMPARE(right->text(), QStringLiteral("ATI ATZ"));
        QVERIFY(m_frame->sendBar(PaneSide::Left)->inputLine()->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), right);
        QTest::qWait(100);
        QCOMPARE(written(), std::string());  // not sent before Enter

        QTest::keyClick(right, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(m_frame->pane(PaneSide::Right)->findBar() != nullptr);
        QVERIFY(m_frame->pane(PaneSide::Left)->findBar() == nullptr);
    }

    void togglesAndLogBoxesAnswerTheirAccessibleAction()
    {
        openWindow();
        STEP(loggedIn());
        QPushButton* toggle = m_frame->toolBar()->portToggles[3];
        toggleByAccessibleAction(toggle);
        QVERIFY(waitWritten(frameBytes('C', '3', "CONN")));
        toggleByAccessibleAction(toggle);
        QVERIFY(waitWritten(frameBytes('C', '3', "DISC")));

        QTemporaryDir dir;
        m_dialogs->logPaths.push_back(dir.filePath(QStringLiteral("right.log")));
        QCheckBox* box = m_frame->toolBar()->logBoxes[indexOf(PaneSide::Right)];
        toggleByAccessibleAction(box);
        QVERIFY(waitUntil([&] { return m_frame->pane(PaneSide::Right)->content().isLogOpen(); }));
        QVERIFY(box->isChecked());
        toggleByAccessibleAction(box);
        QVERIFY(!m_frame->pane(PaneSide::Right)->content().isLogOpen());
    }

    void typedTextGoesToThePanesPortAndDataComesBackThere()
    {
        openWindow();
        STEP(loggedIn());
        choosePaneSource(PaneSide::Right, 3);  // 포트2
        QCOMPARE(m_frame->paneSelection(PaneSide::Right), 2);
        typeAndEnter(PaneSide::Right, QStringLiteral("ls  "));
        QVERIFY(waitWritten(frameBytes('D', '2', "ls\r")));
        QVERIFY(m_frame->sendBar(PaneSide::Right)->inputLine()->text().isEmpty());

        m_modem->feed(frameBytes('D', '2', cp949("한글 응답")) + frameBytes('D', '3', "elsewhere") + "local\r\n");
        QVERIFY(waitUntil([&] { return right().find("한글 응답") != std::string::npos; }));
        QVERIFY(waitUntil([&] { return left().find("local") != std::string::npos; }));
        QVERIFY(left().find("한글 응답") == std::string::npos);
        QVERIFY(right().find("elsewhere") == std::string::npos && right().find("local") == std::string::npos);

        // CTRL+C in the port's bar; none from the local pane's.
        m_modem->clearWritten();
        for (PaneSide pane : {PaneSide::Left, PaneSide::Right}) {
            for (QPushButton* button : m_frame->sendBar(pane)->findChildren<QPushButton*>()) {
                if (button->text() == QStringLiteral("CTRL+C"))
                    button->click();
            }
        }
        QVERIFY(waitWritten(frameBytes('D', '2', "\x03\r")));
        QTest::qWait(50);
        QCOMPARE(written(), frameBytes('D', '2', "\x03\r"));
    }

    void remotePortSettingsStartAtTheActivePanesPort()
    {
        openWindow();
        STEP(loggedIn());
        choosePaneSource(PaneSide::Right, 4);  // 포트3
        m_dialogs->remoteAnswers.push_back(RemotePortAnswer{1, "19200 7 odd 2 hardware"});
        m_frame->toolBar()->portSettingsButton->click();
        QCOMPARE(m_dialogs->remoteInitialPorts, std::vector<int>{3});
        QVERIFY(waitWritten(frameBytes('C', '1', "19200 7 odd 2 hardware")));
        m_modem->feed(frameBytes('C', '1', "PASS"));
        QVERIFY(waitUntil([&] { return left().find("포트 1 설정이 변경되었습니다.") != std::string::npos; }));
    }

    void aLostConnectionResetsTheCommandsAndPanesAndIsToldOnce_data()
    {
        QTest::addColumn<bool>("vanish");
        QTest::newRow("no carrier line") << false;
        QTest::newRow("device vanished") << true;
    }

    void aLostConnectionResetsTheCommandsAndPanesAndIsToldOnce()
    {
        QFETCH(bool, vanish);
        openWindow();
        STEP(loggedIn());
        const ConnectionToolBar* bar = m_frame->toolBar();
        QVERIFY(!bar->dialButton->isEnabled());
        for (const QPushButton* command : {bar->hangUpButton, bar->idPasswordButton, bar->portSettingsButton,
                                           bar->portToggles[0], bar->portToggles[3]})
            QVERIFY(command->isEnabled());
        bar->portToggles[3]->click();
        choosePaneSource(PaneSide::Left, 2);
        if (vanish)
            m_modem->vanish();
        else
            m_modem->feed("\r\nNO CARRIER\r\n");
        const std::string lost = "연결이 끊어졌습니다.";
        QVERIFY(waitUntil([&] { return right().find(lost) != std::string::npos; }));
        QTest::qWait(200);
        QCOMPARE(occurrences(left(), lost), std::size_t(1));
        QCOMPARE(occurrences(right(), lost), std::size_t(1));
        QCOMPARE(m_frame->paneSelection(PaneSide::Left), -1);
        QCOMPARE(m_frame->toolBar()->paneSelectors[indexOf(PaneSide::Left)]->currentText(), QStringLiteral("로컬"));
        QVERIFY(!bar->portToggles[3]->isChecked());
        QCOMPARE(m_frame->caption(), QStringLiteral("COM1 - [9600-N-8-1]"));
        QVERIFY(bar->dialButton->isEnabled() && !bar->hangUpButton->isEnabled() && !bar->portToggles[3]->isEnabled());
        // The window still closes cleanly.
        m_frame->close();
        QVERIFY(!m_frame->isReaderRunning());
        QCOMPARE(m_host->closedPorts, std::vector<std::string>{"COM1"});
    }

    void closingDuringTheHangUpWaitStopsCleanly()
    {
        openWindow();
        STEP(loggedIn());
        m_frame->toolBar()->hangUpButton->click();
        QVERIFY(waitWritten("+++"));
        QTest::qWait(300);
        m_frame->close();
        QVERIFY(!m_frame->isReaderRunning());
        // The pause ended with the close: the closed window never sends the
        // hang-up command, nor finishes the hang-up.
        QTest::qWait(3000);
        QCOMPARE(written(), std::string("+++"));
        QVERIFY(m_frame->isConnected());
    }

    void aLineThatTakesNothingNeitherHoldsTheWindowNorItsClose()
    {
        openWindow();
        QVERIFY(waitWritten("ATZ\r"));
        m_modem->holdOutput(true);
        // At 9600 bit/s "AT" CR may wait 6 ms: dropped and told, once for the stall.
        typeAndEnter(PaneSide::Left, QStringLiteral("AT"));
        typeAndEnter(PaneSide::Left, QStringLiteral("AT"));
        const std::string dropped = "회선이 받지 않아 보내지 못한 데이터를 버렸습니다.";
        QVERIFY(waitUntil([&] { return right().find(dropped) != std::string::npos; }));
        // A pasted 32 KB line may wait 65 s: the window goes on and shows the wait.
        typeAndEnter(PaneSide::Left, QString(32767, QLatin1Char('x')));
        QVERIFY(waitUntil([&] { return heldMarkShown(); }));
        typeAndEnter(PaneSide::Right, QStringLiteral("ATI"));
        QVERIFY(waitUntil([&] { return m_frame->sendBar(PaneSide::Right)->inputLine()->text().isEmpty(); }));
        QCOMPARE(occurrences(left(), dropped), std::size_t(1));
        // Closing drops what waits: nothing reaches the line once it takes bytes again.
        m_frame->close();
        m_modem->holdOutput(false);
        QTest::qWait(50);
        QCOMPARE(written(), std::string("ATZ\r"));
    }

    void theHangUpGuardTimeStartsWhenTheEscapeHasLeft()
    {
        m_host->settings.baudHundreds = 576;  // "+++" may wait 2003 ms
        openWindow();
        STEP(loggedIn());
        m_modem->holdOutput(true);
        QElapsedTimer timer;
        timer.start();
        m_frame->toolBar()->hangUpButton->click();
        QTest::qWait(500);
        QVERIFY(heldMarkShown() && written().empty());
        const qint64 releasedAt = timer.elapsed();
        m_modem->holdOutput(false);
        QVERIFY(waitUntil([&] { return written() == "+++ATH\r"; }, 6000));
        QVERIFY(timer.elapsed() - releasedAt >= 3000);
        QVERIFY(!m_frame->isConnected());
    }

    // Two windows: a question or a pause in one never stops the other's panes.
    void aQuestionOrAPauseInOneWindowNeverStopsAnotherWindowsPanes()
    {
        openWindow();
        FakeHost otherHost;
        otherHost.settings.portName = "COM2";
        std::shared_ptr<FakeSerialDevice> otherModem = m_fakes->device("COM2");
        std::unique_ptr<CChildFrame> other = openConnectionWindow(otherHost, "COM2");
        QVERIFY(other->isReaderRunning());
        const auto otherShows = [&](const std::string& text) {
            return waitUntil([&] { return paneText(other->pane(PaneSide::Left)).find(text) != std::string::npos; },
                             1000);
        };

        STEP(dialAndConnect());
        m_dialogs->holdAnswers = true;
        m_modem->feed(frameBytes('A', 'R', "FAIL"));
        QVERIFY(waitUntil([&] { return m_dialogs->heldCount() == 1; }));
        for (int i = 0; i < 5; ++i) {
            otherModem->feed("unit line " + std::to_string(i) + "\r\n");
            QVERIFY(otherShows("unit line " + std::to_string(i)));
            QTest::qWait(100);
        }
        // The asking window's own panes go on too.
        m_modem->feed("\r\nRING\r\n");
        QVERIFY(waitUntil([&] { return left().find("RING") != std::string::npos; }, 1000));

        // Cancelled, the retry hangs up: during its 3 s guard time the other
        // window goes on showing its unit.
        m_modem->clearWritten();
        m_dialogs->loginAnswers.push_back(std::nullopt);
        m_dialogs->answerHeld();
        QVERIFY(waitWritten("+++"));
        otherModem->feed("during the pause\r\n");
        QVERIFY(otherShows("during the pause"));
        QCOMPARE(written(), std::string("+++"));
        QVERIFY(waitUntil([&] { return written() == "+++ATH\r"; }, 5000));
        other.reset();
    }

    // "스크립트 실행..." runs a script on the window's connection: the panes
    // go on as usual, the bar shows the running line, "중지" stops it at
    // once and the connection stays. A faulty script is told and runs nothing.
    void aScriptRunsOnTheWindowsConnectionUntilStopped()
    {
        openWindow();
        STEP(loggedIn());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("poll.krv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("connect 1\nsend 1 \"ls\"\nexpect 1 \"done\" timeout 10s\nwait 30s\n");
        file.close();
        m_dialogs->scriptPaths.push_back(path);
        m_frame->toolBar()->scriptButton->click();
        QVERIFY(waitWritten(frameBytes('C', '1', "CONN")));
        m_modem->feed(frameBytes('C', '1', "[Baud]9600"));
        QVERIFY(waitWritten(frameBytes('D', '1', "ls\r")));
        m_modem->feed(frameBytes('D', '1', "done\r\n"));
        QVERIFY(waitUntil([&] { return m_frame->toolBar()->scriptState->toolTip().contains(QStringLiteral("wait")); }));
        QVERIFY(!m_frame->toolBar()->scriptButton->isEnabled());
        QCOMPARE(m_host->scripts, std::vector<std::string>{path.toStdString()});

        m_modem->clearWritten();
        m_frame->toolBar()->stopScriptButton->click();
        QVERIFY(waitUntil([&] { return !m_frame->script(); }));
        QVERIFY(m_frame->toolBar()->scriptState->toolTip().contains(QStringLiteral("중지했습니다")));
        QVERIFY(m_frame->toolBar()->scriptButton->isEnabled() && m_frame->isConnected());
        QTest::qWait(100);
        QCOMPARE(written(), std::string());

        QFile bad(dir.filePath(QStringLiteral("bad.krv")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("connect 7\n");
        bad.close();
        QString told;
        setPromptHandler([&](PromptKind, const QString& text) {
            told = text;
            return true;
        });
        m_frame->runScript(bad.fileName());
        setPromptHandler({});
        QVERIFY(told.contains(QStringLiteral("bad.krv:1:")));
        QVERIFY(!m_frame->script());
    }

    void closingDuringTheRetryDialogSendsNothingMore()
    {
        openWindow();
        STEP(dialAndConnect());
        m_modem->clearWritten();
        m_dialogs->loginAnswers.push_back(LoginAnswer{"park", "new"});
        m_dialogs->whileOpen = [this] { m_frame->close(); };
        m_modem->feed(frameBytes('A', 'R', "FAIL"));
        QVERIFY(waitUntil([&] { return !m_dialogs->loginCaptions.empty(); }));
        QTest::qWait(100);
        QCOMPARE(written(), std::string());
        QCOMPARE(m_host->closedPorts, std::vector<std::string>{"COM1"});
    }

    void localPaneLogReceivesExactlyTheBytesShown()
    {
        openWindow();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("left.log"));
        m_dialogs->logPaths.push_back(path);
        QCheckBox* box = m_frame->toolBar()->logBoxes[indexOf(PaneSide::Left)];
        box->click();
        QVERIFY(waitUntil([&] { return m_frame->pane(PaneSide::Left)->content().isLogOpen(); }));
        QVERIFY(box->isChecked());
        QVERIFY(m_dialogs->proposedLogNames.back().endsWith(QStringLiteral("_LM")));
        m_modem->feed(std::string("OK\r\n") + frameBytes('D', '0', "hidden") + cp949("한") + "\r\n");
        QVERIFY(waitUntil([&] { return left().find("한") != std::string::npos; }));
        box->click();
        QVERIFY(!box->isChecked());
        QFile log(path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().toStdString(), std::string("OK\r\n") + cp949("한") + "\r\n");

        // The right pane's name tells its port; a cancelled save dialog leaves the box clear.
        choosePaneSource(PaneSide::Right, 3);
        QCheckBox* rightBox = m_frame->toolBar()->logBoxes[indexOf(PaneSide::Right)];
        rightBox->click();
        QVERIFY(m_dialogs->proposedLogNames.back().endsWith(QStringLiteral("_R2")));
        QVERIFY(waitUntil([&] { return !rightBox->isChecked(); }));
        QVERIFY(!m_frame->pane(PaneSide::Right)->content().isLogOpen());
    }

    // The pane menu's own entries: time stamps for the log, remembered by the
    // host, and the link monitor.
    void thePaneMenuStampsTheLogAndOpensTheMonitor()
    {
        m_host->timestamps = {false, true};  // as remembered from an earlier session
        openWindow();
        m_frame->show();
        QTemporaryDir dir;
        for (PaneSide side : paneSides) {
            m_dialogs->logPaths.push_back(dir.filePath(QString::number(indexOf(side))));
            m_frame->toolBar()->logBoxes[indexOf(side)]->click();
            QVERIFY(waitUntil([&] { return m_frame->pane(side)->content().isLogOpen(); }));
        }
        m_modem->feed("OK\r\n");
        QVERIFY(waitUntil([&] { return right().find("OK") != std::string::npos; }));
        for (PaneSide side : paneSides)
            m_frame->toolBar()->logBoxes[indexOf(side)]->click();
        QFile left(dir.filePath(QStringLiteral("0"))), right(dir.filePath(QStringLiteral("1")));
        QVERIFY(left.open(QIODevice::ReadOnly) && right.open(QIODevice::ReadOnly));
        QCOMPARE(left.readAll(), QByteArray("OK\r\n"));
        QVERIFY(QRegularExpression(QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] OK\r\n$)"))
                    .match(QString::fromLatin1(right.readAll()))
                    .hasMatch());

        choosePaneMenuEntry(PaneSide::Left, QStringLiteral("로그에 시각 기록"));
        QCOMPARE(m_host->timestamps, (std::array<bool, 2>{true, true}));
        choosePaneMenuEntry(PaneSide::Right, QStringLiteral("링크 모니터"));
        QVERIFY(m_frame->linkMonitor() && m_frame->linkMonitor()->isVisible());
    }
};

QTEST_MAIN(ChildFrameTest)
#include "ChildFrameTest.moc"
