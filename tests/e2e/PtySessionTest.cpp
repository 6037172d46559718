// End to end over a pseudo-terminal: the connection window opens the slave side
// that krv-sim --pty serves (serial map SIM1=/dev/pts/N). A pseudo-terminal has
// no carrier signal, so this is the raw path of modem commands and result lines.
// The bytes on the line are checked from the simulator's transcript.

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionToolBar.h"
#include "session/DialWaitDialog.h"
#include "tests/e2e/SimProcess.h"
#include "tests/support/WindowTestSupport.h"

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

class PtySessionTest : public QObject, private ConnectionWindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<SimProcess> m_sim;

    std::string fromProgram() { return m_sim->wire().fromProgram; }

    bool waitFromProgram(const std::string& bytes, int timeoutMs = 3000)
    {
        return waitUntil([&] { return contains(fromProgram(), bytes); }, timeoutMs);
    }

    void openWindow(int connectDelayMs)
    {
        m_sim = std::make_unique<SimProcess>(
            SimProcess::Pty, QStringList{QStringLiteral("--connect-delay"), QString::number(connectDelayMs),
                                         QStringLiteral("--guard-time"), QStringLiteral("200")});
        QVERIFY2(m_sim->started(), m_sim->output().constData());
        qputenv("EMUVOLA_SERIAL_MAP", ("SIM1=" + m_sim->target()).toUtf8());
        m_frame = openConnectionWindow(*m_host, "SIM1");
        QVERIFY(m_frame->isReaderRunning());
        QVERIFY(!m_frame->isConnected());
        QVERIFY(waitFromProgram("ATZ\r"));
        QVERIFY(waitUntil([&] { return contains(left(), "OK"); }));
    }

    void dial(const std::string& number)
    {
        m_dialogs->phoneAnswers.push_back(PhoneEntry{0, "Sim", number, false, "admin", "pilvo"});
        m_frame->toolBar()->dialButton->click();
        QVERIFY(waitUntil([&] { return m_frame->isDialling(); }));
        QVERIFY(m_frame->dialWaitWindow() && m_frame->dialWaitWindow()->isVisible());
        QVERIFY(waitFromProgram("ATDT " + number + "\r"));
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

    // CONNECT makes the window connected; with no carrier signal on the line no
    // login frame goes out (and, the dial still running, no hang-up either).
    // The operator's hang-up then reaches the modem.
    void connectWithoutCarrierSignalSendsNoFrameAndHangsUpOnRequest()
    {
        STEP(openWindow(100));
        STEP(dial("5551234"));
        QVERIFY(waitUntil([&] { return m_frame->isConnected() && !m_frame->isDialling(); }));
        QVERIFY(contains(left(), "CONNECT"));
        QVERIFY(!m_frame->dialWaitWindow());
        QTest::qWait(200);
        QCOMPARE(fromProgram(), std::string("ATZ\rATDT 5551234\r"));

        QElapsedTimer timer;
        timer.start();
        m_frame->toolBar()->hangUpButton->click();
        QVERIFY(waitFromProgram("ATH\r", 5000));
        QVERIFY(timer.elapsed() >= 3000);
        QVERIFY(waitUntil([&] { return !m_frame->isConnected(); }));
        QCOMPARE(fromProgram(), std::string("ATZ\rATDT 5551234\r+++ATH\r"));
        // The modem answered the escape and the hang-up command.
        QVERIFY(waitUntil([&] {
            const std::string to = m_sim->wire().toProgram;
            return to.find("ATH\r\r\nOK\r\n", to.find("CONNECT")) != std::string::npos;
        }));
    }

    void failedDialResults_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("message");
        QTest::newRow("busy") << "5550000" << "BUSY" << "통화중입니다.";
        QTest::newRow("unknown number") << "5557777" << "NO CARRIER" << "연결에 실패하였습니다.";
    }

    void failedDialResults()
    {
        QFETCH(QString, number);
        QFETCH(QString, result);
        QFETCH(QString, message);
        STEP(openWindow(100));
        STEP(dial(number.toStdString()));
        QVERIFY(waitUntil([&] { return contains(left(), message.toStdString()) && contains(right(), message.toStdString()); }));
        QVERIFY(contains(m_sim->wire().toProgram, "\r\n" + result.toStdString() + "\r\n"));
        // The dial ends with CR, a pause, CR; then the wait window goes.
        QVERIFY(waitUntil([&] { return !m_frame->dialWaitWindow(); }));
        QVERIFY(!m_frame->isDialling());
        QVERIFY(!m_frame->isConnected());
        QVERIFY(waitFromProgram("\r\r"));
        QCOMPARE(fromProgram(), "ATZ\rATDT " + number.toStdString() + "\r\r\r");
    }
};

QTEST_MAIN(PtySessionTest)
#include "PtySessionTest.moc"
