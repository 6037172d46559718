// The connection window over a real pseudo-terminal playing the modem: the raw
// path of modem commands and result lines, where no carrier is ever reported.

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "directory/UserPrompts.h"
#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/DialWaitDialog.h"
#include "session/SendBar.h"
#include "WindowTestSupport.h"

namespace {

// The modem side of a pseudo-terminal whose other side the window opens as COM1.
class PtyModem {
public:
    PtyModem()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(m_master);
        unlockpt(m_master);
        termios raw{};
        const std::string slave = ptsname(m_master);
        // Keep the slave side raw until the window configures it.
        int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
        tcgetattr(fd, &raw);
        cfmakeraw(&raw);
        tcsetattr(fd, TCSANOW, &raw);
        ::close(fd);
        setenv("EMUVOLA_SERIAL_MAP", ("COM1=" + slave).c_str(), 1);
    }
    ~PtyModem()
    {
        unsetenv("EMUVOLA_SERIAL_MAP");
        ::close(m_master);
    }

    void say(const std::string& bytes) { (void)!::write(m_master, bytes.data(), bytes.size()); }

    // Everything the window wrote so far (reads what is waiting, processing events meanwhile).
    const std::string& heard()
    {
        QCoreApplication::processEvents();
        char buffer[512];
        pollfd p{m_master, POLLIN, 0};
        while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_heard.append(buffer, static_cast<std::size_t>(n));
        }
        return m_heard;
    }
    bool waitToHear(const std::string& text, int timeoutMs = 3000)
    {
        return waitUntil([&] { return heard().find(text) != std::string::npos; }, timeoutMs);
    }
    void forget() { heard(); m_heard.clear(); }

private:
    int m_master = -1;
    std::string m_heard;
};

}  // namespace

class ChildFrameRawTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PtyModem> m_modem;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<CChildFrame> m_frame;
    std::vector<QString> m_boxes;

    void openWindow()
    {
        m_frame = std::make_unique<CChildFrame>(*m_host);
        m_frame->show();
        m_frame->openConnection("COM1");
        QVERIFY(waitUntil([&] { return m_frame->isReaderRunning(); }));
    }

    void dialEntry(bool outsideLine)
    {
        m_dialogs->phoneAnswers.push_back(PhoneEntry{0, "Seoul", "555", outsideLine, "kim", "pw"});
        m_frame->dial();
        QVERIFY(m_frame->isDialling());
        QVERIFY(m_frame->dialWaitWindow() && m_frame->dialWaitWindow()->isVisible());
    }

    std::string leftPane() { return paneText(m_frame->pane(CChildFrame::LeftPane)); }

private slots:
    void init()
    {
        m_modem = std::make_unique<PtyModem>();
        m_host = std::make_unique<FakeHost>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_boxes.clear();
        setPromptHandler([this](PromptKind, const QString& text) {
            m_boxes.push_back(text);
            return true;
        });
    }

    void cleanup()
    {
        m_frame.reset();
        setPromptHandler({});
        m_dialogs.reset();
        m_host.reset();
        m_modem.reset();
    }

    void openWritesTheInitCommandAndEchoesModemText()
    {
        m_host->dial.initCommand = "AT&F";
        openWindow();
        QVERIFY(m_modem->waitToHear("AT&F\r"));
        QCOMPARE(m_frame->caption(), QStringLiteral("COM1 - [9600-N-8-1]"));
        m_modem->say("\r\nOK\r\n");
        QVERIFY(waitUntil([&] { return leftPane().find("OK") != std::string::npos; }));
        QVERIFY(paneText(m_frame->pane(CChildFrame::RightPane)).find("OK") != std::string::npos);
    }

    void dialTextWithAndWithoutTheOutsideLine()
    {
        openWindow();
        m_modem->forget();
        dialEntry(true);
        QVERIFY(m_modem->waitToHear("ATDT 9,555\r"));
        m_frame->cancelDial();
        m_frame->closeDialWait();
        m_modem->forget();
        dialEntry(false);
        QVERIFY(m_modem->waitToHear("ATDT 555\r"));
        QCOMPARE(m_frame->connectedTitle(), cp949("연결됨:Seoul(555)"));
    }

    void lowerCaseConnectIsRecognised()
    {
        openWindow();
        dialEntry(false);
        m_modem->say("connect 9600\r\n");
        QVERIFY(waitUntil([&] { return m_frame->isConnected() && !m_frame->isDialling(); }));
        QVERIFY(!m_frame->dialWaitWindow());
    }

    void failedDialResultsEndTheDial_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("message");
        QTest::newRow("no dial tone") << "NO DIALTONE" << "연결에 실패하였습니다.";
        QTest::newRow("no carrier") << "NO CARRIER" << "연결에 실패하였습니다.";
        QTest::newRow("no answer") << "no answer" << "연결에 실패하였습니다.";
        QTest::newRow("busy") << "BUSY" << "통화중입니다.";
    }

    void failedDialResultsEndTheDial()
    {
        QFETCH(QString, result);
        QFETCH(QString, message);
        openWindow();
        dialEntry(false);
        m_modem->forget();
        QElapsedTimer timer;
        timer.start();
        m_modem->say("\r\n" + result.toStdString() + "\r\n");
        QVERIFY(m_modem->waitToHear("\r\r"));
        QVERIFY(timer.elapsed() >= 200);
        QVERIFY(waitUntil([&] { return !m_frame->isDialling(); }));
        QVERIFY(!m_frame->isConnected());
        QVERIFY(leftPane().find(message.toStdString()) != std::string::npos);
        QVERIFY(waitUntil([&] { return paneText(m_frame->pane(CChildFrame::RightPane)).find(message.toStdString()) != std::string::npos; }));
    }

    void cancelInTheWaitWindowEndsTheDial()
    {
        openWindow();
        dialEntry(false);
        m_modem->forget();
        auto* cancel = m_frame->dialWaitWindow()->findChild<QPushButton*>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("취소"));
        cancel->click();
        QVERIFY(m_modem->waitToHear("\r\r"));
        QVERIFY(!m_frame->isDialling());
    }

    void typedDialCommandStartsAManualDial()
    {
        openWindow();
        m_modem->forget();
        SendBar* bar = m_frame->sendBar(CChildFrame::LeftPane);
        bar->inputLine()->setText(QStringLiteral("atdt 123 "));
        QTest::keyClick(bar->inputLine(), Qt::Key_Return);
        QVERIFY(m_modem->waitToHear("atdt 123\r"));
        QVERIFY(waitUntil([&] { return m_frame->isDialling(); }));
        QCOMPARE(m_frame->connectedTitle(), cp949("연결됨:수동(123)"));
        QCOMPARE(m_frame->userId(), std::string("admin"));

        // While dialling, hang-up and every send do nothing.
        m_modem->forget();
        m_frame->hangUp();
        bar->inputLine()->setText(QStringLiteral("AT"));
        QTest::keyClick(bar->inputLine(), Qt::Key_Return);
        QTest::qWait(100);
        QCOMPARE(m_modem->heard(), std::string());
    }

    void localTextIsWrittenRawWithCr()
    {
        openWindow();
        m_modem->forget();
        SendBar* bar = m_frame->sendBar(CChildFrame::LeftPane);
        bar->inputLine()->setText(QStringLiteral("AT"));
        QTest::keyClick(bar->inputLine(), Qt::Key_Return);
        QVERIFY(m_modem->waitToHear("AT\r"));
        // Escape empties the line and sends nothing; Enter on an empty local line sends nothing.
        bar->inputLine()->setText(QStringLiteral("ATH"));
        QTest::keyClick(bar->inputLine(), Qt::Key_Escape);
        QVERIFY(bar->inputLine()->text().isEmpty());
        QTest::keyClick(bar->inputLine(), Qt::Key_Return);
        QTest::qWait(100);
        QCOMPARE(m_modem->heard(), std::string("AT\r"));
    }

    void theInputLineLeavesCtrlXToTheExitKey()
    {
        openWindow();
        QLineEdit* input = m_frame->sendBar(CChildFrame::LeftPane)->inputLine();
        input->setText(QStringLiteral("AT"));
        input->selectAll();
        QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_X, Qt::ControlModifier);
        QCoreApplication::sendEvent(input, &override);
        QVERIFY(!override.isAccepted());
        QCOMPARE(input->text(), QStringLiteral("AT"));
    }

    void paneMenuPastesIntoItsOwnBarAndFindOpensOverThePaneOfTheFocusedBar()
    {
        openWindow();
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        m_modem->forget();
        QApplication::clipboard()->setText(QStringLiteral("ATI\r\nATZ"));
        m_frame->pane(CChildFrame::RightPane)->pasteClipboard();  // "붙여넣기"
        QLineEdit* right = m_frame->sendBar(CChildFrame::RightPane)->inputLine();
        QCOMPARE(right->text(), QStringLiteral("ATI ATZ"));
        QVERIFY(m_frame->sendBar(CChildFrame::LeftPane)->inputLine()->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), right);
        QTest::qWait(100);
        QCOMPARE(m_modem->heard(), std::string());  // not sent before Enter

        QTest::keyClick(right, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(m_frame->pane(CChildFrame::RightPane)->findBar() != nullptr);
        QVERIFY(m_frame->pane(CChildFrame::LeftPane)->findBar() == nullptr);
    }

    void aPortHeldElsewhereFailsToOpenAndTheWindowCloses()
    {
        openWindow();
        auto second = std::make_unique<CChildFrame>(*m_host);
        second->show();
        second->openConnection("COM1");
        QCOMPARE(m_boxes.size(), std::size_t(1));
        QCOMPARE(m_boxes.front(), QStringLiteral("포트[COM1]가 사용중이거나, 다른 문제로 열기에 실패했습니다."));
        QVERIFY(!second->isVisible());
        QCOMPARE(m_host->closedPorts, std::vector<std::string>{"COM1"});
    }

    void unknownPortKeepsTheWindowWithoutAPort()
    {
        m_host->knowsPort = false;
        m_frame = std::make_unique<CChildFrame>(*m_host);
        m_frame->openConnection("COM1");
        QTest::qWait(200);
        QVERIFY(!m_frame->serialPort().isOpen());
        QVERIFY(!m_frame->isReaderRunning());
        QVERIFY(m_boxes.empty());
        QCOMPARE(m_frame->caption(), QStringLiteral("COM1 - []"));
    }
};

QTEST_MAIN(ChildFrameRawTest)
#include "ChildFrameRawTest.moc"
