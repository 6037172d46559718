// End to end over loopback TCP: the connection window's real widgets and serial
// stack talk to the simulated modem and KR-V (krv-sim, a child process) through
// the serial map entry SIM1=rfc2217://127.0.0.1:PORT. The bytes on the line are
// checked from the simulator's transcript.

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <stdlib.h>

#include <memory>

#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionToolBar.h"
#include "session/SendBar.h"
#include "tests/e2e/SimProcess.h"
#include "tests/support/WindowTestSupport.h"

namespace {

const std::string statusText = "[Baud]9600 bps[Data]8 bit[Parity]none [Stop]1 bit[Flow]none";

std::string frame(char cls, char sub, const std::string& payload)
{
    return frameBytes(cls, sub, payload);
}

// Every complete frame in a stream, markers included, in order.
std::vector<std::string> framesIn(const std::string& stream)
{
    std::vector<std::string> frames;
    std::string current;
    bool inFrame = false;
    for (char c : stream) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0xE2) {
            inFrame = true;
            current.assign(1, c);
        } else if (inFrame) {
            current += c;
            if (b == 0xE3) {
                frames.push_back(current);
                inFrame = false;
            }
        }
    }
    return frames;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

class NetworkSessionTest : public QObject, private ConnectionWindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<SimProcess> m_sim;


    bool waitFromProgram(const std::string& bytes, int timeoutMs = 3000)
    {
        return waitUntil([&] { return contains(m_sim->wire().fromProgram, bytes); }, timeoutMs);
    }
    bool waitBothPanes(const std::string& text, int timeoutMs = 3000)
    {
        return waitUntil([&] { return contains(left(), text) && contains(right(), text); }, timeoutMs);
    }

    void startSimulator(const QStringList& extra = {})
    {
        // Short modem delays keep the suite quick; the program's own waits are unchanged.
        m_sim = std::make_unique<SimProcess>(
            SimProcess::Tcp, QStringList{QStringLiteral("--connect-delay"), QStringLiteral("100"),
                                         QStringLiteral("--guard-time"), QStringLiteral("200")} + extra);
        QVERIFY2(m_sim->started(), m_sim->output().constData());
        qputenv("EMUVOLA_SERIAL_MAP", ("SIM1=" + m_sim->target()).toUtf8());
    }

    void createWindow()
    {
        m_frame = std::make_unique<CChildFrame>(*m_host);
        m_frame->resize(1000, 600);
        m_frame->show();
    }

    void openPort()
    {
        m_frame->openConnection("SIM1");
        QVERIFY(m_frame->serialPort().isOpen());
        QVERIFY(waitUntil([&] { return m_frame->isReaderRunning(); }));
        // The modem's init command reaches the simulator, and its echo and OK come back.
        QVERIFY(waitFromProgram("ATZ\r"));
        QVERIFY(waitUntil([&] { return contains(left(), "OK"); }));
    }

    void openWindow(const QStringList& extra = {})
    {
        STEP(startSimulator(extra));
        createWindow();
        STEP(openPort());
    }

    void dialSeoul(const std::string& password)
    {
        m_dialogs->phoneAnswers.push_back(PhoneEntry{0, cp949("서울1"), "5551234", false, "admin", password});
        m_frame->toolBar()->dialButton->click();
        QVERIFY(waitUntil([&] { return m_frame->isDialling(); }));
        QVERIFY(waitFromProgram("ATDT 5551234\r"));
    }

    // Dials the simulated KR-V from the phone book and waits until logged in.
    void logIn()
    {
        STEP(dialSeoul("pilvo"));
        QVERIFY(waitBothPanes("'KR-V' 연결되었습니다."));
        QVERIFY(m_frame->isConnected());
        QVERIFY(!m_frame->isDialling());
        QVERIFY(!m_frame->dialWaitWindow());
    }

    void choosePaneSource(PaneSide which, int entry)
    {
        m_frame->toolBar()->paneSelectors[indexOf(which)]->setCurrentIndex(entry);
        m_frame->selectPaneSource(which);
    }

    void typeInto(PaneSide which, const QString& text)
    {
        SendBar* bar = m_frame->sendBar(which);
        bar->inputLine()->setText(text);
        QTest::keyClick(bar->inputLine(), Qt::Key_Return);
    }

    void connectPort(int port)
    {
        m_frame->toolBar()->portToggles[port]->click();
        QVERIFY(waitUntil([&] { return m_frame->dialogue().portStatusTexts()[port] == statusText; }));
    }

private slots:
    void init()
    {
        startFixture("SIM1");
    }

    void cleanup()
    {
        endFixture();
        m_sim.reset();  // kills the simulator
        qunsetenv("EMUVOLA_SERIAL_MAP");
    }

    void dialFromThePhoneBookLogsIn()
    {
        STEP(openWindow());
        STEP(logIn());
        QCOMPARE(m_frame->caption(), QStringLiteral("연결됨:서울1(5551234)"));
        QVERIFY(m_frame->toolBar()->hangUpButton->isEnabled());
        QVERIFY(!m_frame->toolBar()->dialButton->isEnabled());

        const WireBytes wire = m_sim->wire();
        QCOMPARE(wire.fromProgram, std::string("ATZ\r") + "ATDT 5551234\r" + frame('A', 'I', "admin") +
                                       frame('A', 'P', "pilvo"));
        QVERIFY(contains(bytesOutsideFrames(wire.toProgram), "CONNECT"));
        QCOMPARE(framesIn(wire.toProgram),
                 (std::vector<std::string>{frame('A', 'R', "PASS"), frame('A', 'R', "PASS")}));
        // The modem's text reached the local pane; frame bytes never did.
        QVERIFY(contains(left(), "CONNECT"));
        QVERIFY(!contains(left(), "PASS"));
    }

    void remotePortToggleAndTyping()
    {
        STEP(openWindow());
        STEP(logIn());
        STEP(connectPort(1));
        QVERIFY(contains(m_sim->wire().fromProgram, frame('C', '1', "CONN")));
        QVERIFY(waitUntil([&] { return contains(left(), "포트 1에 연결되었습니다.\n" + statusText); }));

        // Right pane on 포트1, left pane local: typed text goes to port 1, its echo
        // comes back in the right pane only.
        choosePaneSource(PaneSide::Right, 2);
        QCOMPARE(m_frame->paneSelection(PaneSide::Right), 1);
        typeInto(PaneSide::Right, QStringLiteral("hello  "));
        QVERIFY(waitFromProgram(frame('D', '1', "hello\r")));
        QVERIFY(waitUntil([&] { return contains(right(), "hello"); }));
        QVERIFY(contains(framesIn(m_sim->wire().toProgram).back(), "hello"));
        QTest::qWait(100);
        QVERIFY(!contains(left(), "hello"));

        // Releasing the toggle releases the port.
        m_frame->toolBar()->portToggles[1]->click();
        QVERIFY(waitFromProgram(frame('C', '1', "DISC")));
        QVERIFY(waitUntil([&] { return m_frame->dialogue().portStatusTexts()[1].empty(); }));
    }

    void carrierLostAtTheModemDisconnects()
    {
        STEP(openWindow({QStringLiteral("--drop-after"), QStringLiteral("1")}));
        STEP(logIn());
        STEP(connectPort(2));
        choosePaneSource(PaneSide::Right, 3);
        QVERIFY(waitBothPanes("연결이 끊어졌습니다.", 5000));
        QVERIFY(!m_frame->isConnected());
        QVERIFY(contains(left(), "NO CARRIER"));
        QCOMPARE(m_frame->paneSelection(PaneSide::Right), -1);
        QCOMPARE(m_frame->caption(), QStringLiteral("SIM1 - [9600-N-8-1]"));
        // Nothing was sent in answer: no hang-up sequence, no frame.
        QVERIFY(!contains(m_sim->wire().fromProgram, "+++"));
    }

    void simulatorKilledMidSessionLeavesAWindowThatCloses()
    {
        STEP(openWindow());
        STEP(logIn());
        STEP(connectPort(0));
        m_sim->kill();
        QVERIFY(waitBothPanes("연결이 끊어졌습니다.", 5000));
        QVERIFY(!m_frame->isConnected());
        // Typing into the dead line neither blocks nor crashes.
        typeInto(PaneSide::Left, QStringLiteral("AT"));
        m_frame->close();
        QVERIFY(!m_frame->isReaderRunning());
        QCOMPARE(m_host->closedPorts, std::vector<std::string>{"SIM1"});
    }

    void localPaneLogHoldsExactlyTheBytesShown()
    {
        STEP(startSimulator());
        createWindow();
        const QString path = m_sim->scratchPath(QStringLiteral("left.log"));
        m_dialogs->logPaths.push_back(path);
        QCheckBox* box = m_frame->toolBar()->logBoxes[indexOf(PaneSide::Left)];
        box->click();
        QVERIFY(waitUntil([&] { return m_frame->pane(PaneSide::Left)->content().isLogOpen(); }));
        QVERIFY(box->isChecked());
        STEP(openPort());
        STEP(logIn());
        STEP(connectPort(0));
        choosePaneSource(PaneSide::Right, 1);
        typeInto(PaneSide::Right, QStringLiteral("ls"));
        QVERIFY(waitUntil([&] { return contains(right(), "ls"); }));
        m_sim->signal(SIGUSR1);
        QVERIFY(waitBothPanes("연결이 끊어졌습니다.", 5000));
        QTest::qWait(200);
        box->click();
        QVERIFY(!box->isChecked());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        std::string log = file.readAll().toStdString();
        // The window's own message lines, each written whole and ended by CR LF.
        for (const std::string& message :
             {cp949("'KR-V' 연결되었습니다.\r\n"), cp949("포트 0에 연결되었습니다.\r\n") + statusText + "\r\n",
              cp949("연결이 끊어졌습니다.\r\n")}) {
            const std::size_t at = log.find(message);
            QVERIFY2(at != std::string::npos, message.c_str());
            log.erase(at, message.size());
            QVERIFY(log.find(message) == std::string::npos);
        }
        // The rest is byte for byte what the simulator sent outside frames;
        // the port's echo (inside frames) is not in the local pane's log.
        const std::string outside = bytesOutsideFrames(m_sim->wire().toProgram);
        QVERIFY(contains(outside, "CONNECT") && contains(outside, "NO CARRIER"));
        QCOMPARE(log, outside);
    }

    // Redial and reconnect against the simulator: a number busy for its
    // first two calls is dialled until it answers; a carrier dropped after
    // the login with port 1 on is dialled, logged in and port 1 switched on
    // again, and the log keeps every line from before the drop.
    void aBusyNumberIsDialledAgainAndALostLineComesBack()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("sim.ini"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[number 5551234]\nresult = krv\nbusy_first = 2\n");
        file.close();
        m_host->dial.redialCount = 3;
        m_host->dial.redialIntervalSeconds = 1;
        m_host->dial.reconnect = true;
        STEP(startSimulator({QStringLiteral("--config"), config}));
        createWindow();
        const QString log = dir.filePath(QStringLiteral("left.log"));
        m_dialogs->logPaths.push_back(log);
        m_frame->toolBar()->logBoxes[indexOf(PaneSide::Left)]->click();
        QVERIFY(waitUntil([&] { return m_frame->pane(PaneSide::Left)->content().isLogOpen(); }));
        STEP(openPort());

        m_dialogs->phoneAnswers.push_back(PhoneEntry{0, cp949("서울1"), "5551234", false, "admin", "pilvo"});
        m_frame->toolBar()->dialButton->click();
        QVERIFY(waitBothPanes("다시 거는 중 (2/4): 1초 후"));
        QVERIFY(waitBothPanes("다시 거는 중 (3/4): 1초 후", 5000));
        QVERIFY(waitBothPanes("'KR-V' 연결되었습니다.", 5000));
        QCOMPARE(occurrences(m_sim->wire().fromProgram, "ATDT 5551234\r"), std::size_t(3));

        STEP(connectPort(1));
        choosePaneSource(PaneSide::Right, 2);  // 포트1
        typeInto(PaneSide::Right, QStringLiteral("before drop"));
        QVERIFY(waitUntil([&] { return contains(right(), "before drop"); }));
        m_sim->signal(SIGUSR1);
        QVERIFY(waitBothPanes("연결이 끊어졌습니다."));
        QVERIFY(waitBothPanes("다시 연결하는 중 (1/3)..."));
        QVERIFY(waitUntil([&] { return occurrences(m_sim->wire().fromProgram, frame('C', '1', "CONN")) == 2; }, 8000));
        QVERIFY(waitUntil([&] { return m_frame->toolBar()->portToggles[1]->isChecked(); }));
        QVERIFY(m_frame->isConnected());
        QCOMPARE(m_frame->paneSelection(PaneSide::Right), 1);  // the pane shows port 1 again
        QCOMPARE(occurrences(left(), "'KR-V' 연결되었습니다."), std::size_t(2));

        m_frame->toolBar()->logBoxes[indexOf(PaneSide::Left)]->click();  // closes the log
        QFile saved(log);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const std::string logged = saved.readAll().toStdString();
        for (const char* line : {"CONNECT 9600", "'KR-V' 연결되었습니다.", "연결이 끊어졌습니다.", "다시 연결하는 중 (1/3)..."})
            QVERIFY2(contains(logged, cp949(line)), line);
    }

    // emuvola-run drives the same engine: its dial and login put the same
    // bytes on the wire as the window's.
    void aSessionWithoutAWindowCrossesTheWireAsTheWindowDoes()
    {
        STEP(openWindow());
        STEP(logIn());
        const auto throughLogin = [](const std::string& bytes) {
            const std::size_t password = bytes.find("\xE2" "AP");
            return password == std::string::npos ? bytes : bytes.substr(0, bytes.find('\xE3', password) + 1);
        };
        const std::string window = throughLogin(m_sim->wire().fromProgram);
        QVERIFY(contains(window, "\xE2" "APpilvo\xE3"));

        SimProcess other(SimProcess::Tcp, {QStringLiteral("--connect-delay"), QStringLiteral("100"),
                                           QStringLiteral("--guard-time"), QStringLiteral("200")});
        QVERIFY(other.started());
        QTemporaryDir data;
        QFile book(data.filePath(QStringLiteral("phone.dat")));
        QVERIFY(book.open(QIODevice::WriteOnly));
        book.write(("[INFO]\r\nCOUNT=1\r\n[TEL000]\r\nNAME=" + cp949("서울1")
                    + "\r\nNO=5551234\r\nUSE=0\r\nID=admin\r\nPWD=pilvo\r\n").c_str());
        book.close();
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("EMUVOLA_DATA_DIR"), data.path());
        environment.insert(QStringLiteral("EMUVOLA_SERIAL_MAP"), QStringLiteral("SIM1=") + other.target());
        run.setProcessEnvironment(environment);
        run.start(QCoreApplication::applicationDirPath() + QStringLiteral("/emuvola-run"),
                  {QStringLiteral("--port"), QStringLiteral("SIM1"), QStringLiteral("--dial"), QStringLiteral("서울1")});
        QVERIFY(run.waitForFinished(30000));
        QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
        QCOMPARE(throughLogin(other.wire().fromProgram), window);
    }
};

QTEST_MAIN(NetworkSessionTest)
#include "NetworkSessionTest.moc"
