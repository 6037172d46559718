// The connection window over a scripted device with modem lines: login, retry,
// port commands, data frames, carrier loss and a vanished device.

#include <QAccessible>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionToolBar.h"
#include "session/DialWaitDialog.h"
#include "session/SendBar.h"
#include "tests/support/FakeSerialDevice.h"
#include "WindowTestSupport.h"

using namespace std::chrono_literals;

namespace {

// Operates the control as assistive technology does, through its accessible action.
void toggleByAccessibleAction(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible && accessible->actionInterface());
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

}  // namespace

class ChildFrameFramedTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceInstaller> m_fakes;
    std::shared_ptr<FakeSerialDevice> m_modem;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<CChildFrame> m_frame;

    std::string written() const { return m_modem->written(); }

    // Waits, with the window's events flowing, until the bytes were written.
    bool waitWritten(std::string_view bytes, int timeoutMs = 3000)
    {
        return waitUntil([&] { return written().find(bytes) != std::string::npos; }, timeoutMs);
    }

    // Opens the window on COM1 and waits for its reader to run.
    void openWindow(bool carrierAtOpen = false)
    {
        m_frame = std::make_unique<CChildFrame>(*m_host);
        m_frame->resize(1000, 600);
        m_frame->show();
        m_modem->setCarrier(carrierAtOpen);
        m_frame->openConnection("COM1");
        QVERIFY(waitUntil([&] { return m_frame->isReaderRunning(); }));
    }

    // Dials the phone book entry and lets the modem answer CONNECT with carrier.
    void dialAndConnect(const PhoneEntry& entry)
    {
        m_dialogs->phoneAnswers.push_back(entry);
        m_frame->dial();
        QVERIFY(m_frame->isDialling());
        m_modem->setCarrier(true);
        m_modem->clearWritten();
        m_modem->feed("\r\nCONNECT 9600\r\n");
        QVERIFY(waitUntil([&] { return m_frame->isConnected() && !m_frame->isDialling(); }));
    }

    void loggedIn()
    {
        dialAndConnect(PhoneEntry{0, "Seoul", "555", false, "kim", "secret"});
        QVERIFY(waitWritten(frameBytes('A', 'I', "kim")));
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitWritten(frameBytes('A', 'P', "secret")));
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::RightPane)).find("연결되었습니다") != std::string::npos; }));
        m_modem->clearWritten();
    }

    void choosePaneSource(CChildFrame::Pane pane, int entry)
    {
        m_frame->toolBar()->paneSelectors[pane]->setCurrentIndex(entry);
        m_frame->selectPaneSource(pane);
    }

    void typeAndSend(CChildFrame::Pane pane, const QString& text)
    {
        SendBar* bar = m_frame->sendBar(pane);
        bar->inputLine()->setText(text);
        QTest::keyClick(bar->inputLine(), Qt::Key_Return);
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        m_fakes = std::make_unique<FakeDeviceInstaller>();
        m_modem = m_fakes->device("COM1");
        m_host = std::make_unique<FakeHost>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
    }

    void cleanup()
    {
        m_frame.reset();
        m_dialogs.reset();
        m_host.reset();
        m_modem.reset();
        m_fakes.reset();
    }

    void carrierAtOpenIsConnectedWithoutLoginOrInit()
    {
        openWindow(true);
        QVERIFY(m_frame->isConnected());
        QTest::qWait(150);
        QCOMPARE(written(), std::string());
        QVERIFY(!m_frame->toolBar()->dialButton->isEnabled());
        QVERIFY(m_frame->toolBar()->hangUpButton->isEnabled());
    }

    void loginSendsIdThenPasswordAndShowsConnectedTitle()
    {
        openWindow();
        QVERIFY(waitWritten(std::string_view("ATZ\r")));
        loggedIn();
        QCOMPARE(m_frame->caption(), QStringLiteral("연결됨:Seoul(555)"));
        QVERIFY(paneText(m_frame->pane(CChildFrame::LeftPane)).find("'KR-V' 연결되었습니다.") != std::string::npos);
        QCOMPARE(m_frame->requestKind(), RequestKind::LoginPassword);
    }

    void refusedLoginAsksAgainAndOkResendsTheId()
    {
        openWindow();
        dialAndConnect(PhoneEntry{0, "Busan", "777", false, "lee", "pw"});
        QVERIFY(waitWritten(frameBytes('A', 'I', "lee")));
        m_dialogs->loginAnswers.push_back(LoginAnswer{"park", "new"});
        m_modem->clearWritten();
        m_modem->feed(frameBytes('A', 'R', "fail"));
        QVERIFY(waitWritten(frameBytes('A', 'I', "park")));
        QCOMPARE(m_dialogs->loginCaptions.size(), std::size_t(1));
        QCOMPARE(m_dialogs->loginCaptions.front(), QStringLiteral("로그인 재시도"));
        QVERIFY(paneText(m_frame->pane(CChildFrame::LeftPane)).find("로그인 아이디가 일치하지 않습니다") != std::string::npos);
        // The password step now carries the dialog's password; the window's own
        // credentials stay as the phone book gave them.
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitWritten(frameBytes('A', 'P', "new")));
        QCOMPARE(m_frame->userId(), std::string("lee"));
    }

    void cancelledRetryHangsUp()
    {
        openWindow();
        dialAndConnect(PhoneEntry{0, "Busan", "777", false, "lee", "pw"});
        QVERIFY(waitWritten(frameBytes('A', 'I', "lee")));
        m_modem->clearWritten();
        m_dialogs->loginAnswers.push_back(std::nullopt);
        QElapsedTimer timer;
        timer.start();
        m_modem->feed(frameBytes('A', 'R', "FAIL"));
        QVERIFY(waitWritten(std::string_view("+++")));
        QVERIFY(waitUntil([&] { return !m_frame->isConnected(); }, 6000));
        QVERIFY(timer.elapsed() >= 3000);
        QCOMPARE(written(), std::string("+++ATH\r"));
    }

    void portTogglesConnectAndRelease()
    {
        openWindow();
        loggedIn();
        QPushButton* toggle = m_frame->toolBar()->portToggles[1];
        QVERIFY(toggle->isEnabled());
        toggle->click();
        QVERIFY(waitWritten(frameBytes('C', '1', "CONN")));
        const std::string status = "[Baud]9600 bps[Data]8 bit[Parity]none [Stop]1 bit[Flow]none";
        m_modem->feed(frameBytes('C', '1', status));
        QVERIFY(waitUntil([&] { return m_frame->portStatusText(1) == status; }));
        QVERIFY(paneText(m_frame->pane(CChildFrame::LeftPane)).find("포트 1에 연결되었습니다.\n" + status) != std::string::npos);
        m_modem->clearWritten();
        toggle->click();
        QVERIFY(waitWritten(frameBytes('C', '1', "DISC")));
        m_modem->feed(frameBytes('C', '1', "PASS"));
        QVERIFY(waitUntil([&] { return m_frame->portStatusText(1).empty(); }));
    }

    void togglesAndLogBoxesAnswerTheirAccessibleAction()
    {
        openWindow();
        loggedIn();
        QPushButton* toggle = m_frame->toolBar()->portToggles[3];
        toggleByAccessibleAction(toggle);
        QVERIFY(waitWritten(frameBytes('C', '3', "CONN")));
        m_modem->clearWritten();
        toggleByAccessibleAction(toggle);
        QVERIFY(waitWritten(frameBytes('C', '3', "DISC")));

        QTemporaryDir dir;
        m_dialogs->logPaths.push_back(dir.filePath(QStringLiteral("right.log")));
        QCheckBox* box = m_frame->toolBar()->logBoxes[CChildFrame::RightPane];
        toggleByAccessibleAction(box);
        QVERIFY(box->isChecked());
        QVERIFY(m_frame->pane(CChildFrame::RightPane)->isLogOpen());
        toggleByAccessibleAction(box);
        QVERIFY(!m_frame->pane(CChildFrame::RightPane)->isLogOpen());
    }

    void busyReleasesTheToggleWithoutSending()
    {
        openWindow();
        loggedIn();
        QPushButton* toggle = m_frame->toolBar()->portToggles[2];
        toggle->click();
        QVERIFY(waitWritten(frameBytes('C', '2', "CONN")));
        m_modem->clearWritten();
        m_modem->feed(frameBytes('C', '2', "BUSY"));
        QVERIFY(waitUntil([&] { return !toggle->isChecked(); }));
        QVERIFY(paneText(m_frame->pane(CChildFrame::RightPane)).find("포트 2 연결에 실패하였습니다. 다른장치에서 사용중입니다.") != std::string::npos);
        QTest::qWait(100);
        QCOMPARE(written(), std::string());
    }

    void idAndPasswordChangeIsAPair()
    {
        openWindow();
        loggedIn();
        m_dialogs->loginAnswers.push_back(LoginAnswer{"kim2", "secret2"});
        m_frame->changeIdAndPassword();
        QCOMPARE(m_dialogs->loginCaptions.back(), QStringLiteral("아이디 변경"));
        QVERIFY(waitWritten(frameBytes('A', 'D', "kim kim2")));
        QTest::qWait(50);
        QVERIFY(written().find("\xE2" "AW") == std::string::npos);
        m_modem->feed(frameBytes('A', 'R', "PASS"));
        QVERIFY(waitWritten(frameBytes('A', 'W', "secret secret2")));

        // After a refused ID step no password step follows.
        m_modem->clearWritten();
        m_dialogs->loginAnswers.push_back(LoginAnswer{"x", "y"});
        m_frame->changeIdAndPassword();
        QVERIFY(waitWritten(frameBytes('A', 'D', "kim x")));
        m_modem->feed(frameBytes('A', 'R', "FAIL"));
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::LeftPane)).find("아이디 변경에 실패하였습니다.") != std::string::npos; }));
        QCOMPARE(written(), frameBytes('A', 'D', "kim x"));
    }

    void typedTextGoesToThePanesPortAndDataComesBackThere()
    {
        openWindow();
        loggedIn();
        choosePaneSource(CChildFrame::RightPane, 3);  // 포트2
        QCOMPARE(m_frame->paneSelection(CChildFrame::RightPane), 2);
        typeAndSend(CChildFrame::RightPane, QStringLiteral("ls  "));
        QVERIFY(waitWritten(frameBytes('D', '2', "ls\r")));
        QVERIFY(m_frame->sendBar(CChildFrame::RightPane)->inputLine()->text().isEmpty());

        m_modem->feed(frameBytes('D', '2', cp949("한글 응답")) + frameBytes('D', '3', "elsewhere"));
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::RightPane)).find("한글 응답") != std::string::npos; }));
        QTest::qWait(50);
        QVERIFY(paneText(m_frame->pane(CChildFrame::LeftPane)).find("한글 응답") == std::string::npos);
        QVERIFY(paneText(m_frame->pane(CChildFrame::RightPane)).find("elsewhere") == std::string::npos);

        // CTRL+C: ETX and CR in a data frame; nothing from a local pane.
        m_modem->clearWritten();
        m_frame->sendInterrupt(m_frame->sendBar(CChildFrame::RightPane));
        QVERIFY(waitWritten(frameBytes('D', '2', "\x03\r")));
        m_modem->clearWritten();
        m_frame->sendInterrupt(m_frame->sendBar(CChildFrame::LeftPane));
        QTest::qWait(50);
        QCOMPARE(written(), std::string());
    }

    void remotePortSettingsGoToTheChosenPort()
    {
        openWindow();
        loggedIn();
        choosePaneSource(CChildFrame::LeftPane, 4);  // 포트3
        m_frame->focusActivePane();
        m_dialogs->remoteAnswers.push_back(RemotePortAnswer{1, "19200 7 odd 2 hardware"});
        m_frame->configureRemotePort();
        QCOMPARE(m_dialogs->remoteInitialPorts.back(), 3);
        QVERIFY(waitWritten(frameBytes('C', '1', "19200 7 odd 2 hardware")));
        m_modem->feed(frameBytes('C', '1', "PASS"));
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::RightPane)).find("포트 1 설정이 변경되었습니다.") != std::string::npos; }));
    }

    void carrierLineWhileConnectedDisconnects()
    {
        openWindow();
        loggedIn();
        m_frame->toolBar()->portToggles[0]->click();
        choosePaneSource(CChildFrame::LeftPane, 2);
        m_modem->feed("\r\nNO CARRIER\r\n");
        QVERIFY(waitUntil([&] { return !m_frame->isConnected(); }));
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::RightPane)).find("연결이 끊어졌습니다.") != std::string::npos; }));
        QCOMPARE(m_frame->paneSelection(CChildFrame::LeftPane), -1);
        QCOMPARE(m_frame->toolBar()->paneSelectors[CChildFrame::LeftPane]->currentText(), QStringLiteral("로컬"));
        QVERIFY(!m_frame->toolBar()->portToggles[0]->isChecked());
        QCOMPARE(m_frame->caption(), QStringLiteral("COM1 - [9600-N-8-1]"));
        QVERIFY(m_frame->toolBar()->dialButton->isEnabled());
    }

    void sendWithoutCarrierHangsUp()
    {
        openWindow();
        loggedIn();
        m_modem->setCarrier(false);
        m_frame->toolBar()->portToggles[0]->click();
        QVERIFY(waitUntil([&] { return !m_frame->isConnected(); }, 6000));
        QCOMPARE(written(), std::string("+++ATH\r"));
    }

    void vanishedDeviceShowsTheLostConnection()
    {
        openWindow();
        loggedIn();
        m_modem->vanish();
        QVERIFY(waitUntil([&] { return !m_frame->isConnected(); }));
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::RightPane)).find("연결이 끊어졌습니다.") != std::string::npos; }));
        // The window can still be closed cleanly.
        m_frame->close();
        QVERIFY(!m_frame->isReaderRunning());
        QCOMPARE(m_host->closedPorts, std::vector<std::string>{"COM1"});
    }

    void closingDuringTheHangUpWaitStopsCleanly()
    {
        openWindow();
        loggedIn();
        QTimer::singleShot(300, m_frame.get(), [this] { m_frame->close(); });
        m_frame->hangUp();
        QVERIFY(!m_frame->isReaderRunning());
        // The closed window never sends the hang-up command.
        QCOMPARE(written(), std::string("+++"));
    }

    void localPaneLogReceivesExactlyTheBytesShown()
    {
        openWindow();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("left.log"));
        m_dialogs->logPaths.push_back(path);
        QCheckBox* box = m_frame->toolBar()->logBoxes[CChildFrame::LeftPane];
        box->click();
        QVERIFY(box->isChecked());
        QVERIFY(m_dialogs->proposedLogNames.back().endsWith(QStringLiteral("_LM")));
        m_modem->feed(std::string("OK\r\n") + frameBytes('D', '0', "hidden") + cp949("한") + "\r\n");
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::LeftPane)).find("한") != std::string::npos; }));
        box->click();
        QVERIFY(!box->isChecked());
        QFile log(path);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().toStdString(), std::string("OK\r\n") + cp949("한") + "\r\n");

        // A cancelled save dialog leaves the box clear.
        box->click();
        QVERIFY(!box->isChecked());
    }
};

QTEST_MAIN(ChildFrameFramedTest)
#include "ChildFrameFramedTest.moc"
