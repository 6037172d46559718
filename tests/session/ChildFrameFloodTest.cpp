// A connection window whose window thread falls behind a flood of local text
// and data frames: what waits for it stays bounded, the reader then leaves
// the port's queue to fill, and the port leaves the rest in the device. Once
// the window thread runs again everything is shown, text and frames in
// arrival order.

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionToolBar.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/WindowTestSupport.h"

using namespace std::chrono_literals;

class ChildFrameFloodTest : public QObject {
    Q_OBJECT

private slots:
    void aWindowThreadThatFallsBehindHoldsTheLineBack()
    {
        FakeDeviceInstaller fakes;
        auto modem = fakes.device("COM1");
        FakeHost host;
        ScriptedDialogs dialogs;
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("left.log"));
        dialogs.logPaths.push_back(logPath);

        CChildFrame frame(host);
        frame.resize(1000, 600);
        frame.show();
        frame.openConnection("COM1");
        QVERIFY(waitUntil([&] { return frame.isReaderRunning(); }));
        QCheckBox* logBox = frame.toolBar()->logBoxes[indexOf(PaneSide::Left)];
        logBox->click();
        QVERIFY(waitUntil([&] { return frame.pane(PaneSide::Left)->content().isLogOpen(); }));
        QVERIFY(logBox->isChecked());

        // Text lines, each followed by a data frame without a port (shown in
        // the local panes too), numbered, more than the hand-off and the
        // receive queue hold together.
        std::string flood;
        std::string shown;
        for (int i = 0; flood.size() < 3u * 1024 * 1024; ++i) {
            char number[16];
            std::snprintf(number, sizeof number, "%06d ", i);
            const std::string text = number + std::string(50, static_cast<char>('A' + i % 26)) + "\r\n";
            const std::string payload = number + std::string(200, static_cast<char>('a' + i % 26));
            flood += text + frameBytes('D', '7', payload);
            shown += text + payload;
        }
        flood += frameBytes('D', '7', "END");
        shown += "END";
        modem->feed(flood);

        // The window thread handles nothing meanwhile: the reader fills the
        // hand-off and stops, then the port's queue fills and the port stops
        // reading; from then on the device keeps the rest.
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        bool settled = false;
        while (!settled && std::chrono::steady_clock::now() < deadline) {
            const std::size_t before = modem->pendingInput();
            std::this_thread::sleep_for(100ms);
            settled = frame.serialPort().isReceiveHeld() && modem->pendingInput() == before;
        }
        QVERIFY(settled);
        QVERIFY2(modem->pendingInput() > 0, "the device holds what the window thread has no room for");

        QVERIFY(waitUntil([&] { return paneText(frame.pane(PaneSide::Left)).find("END") != std::string::npos; },
                          30000));
        QCOMPARE(modem->pendingInput(), std::size_t{0});
        QCOMPARE(frame.serialPort().queuedCount(), 0);
        logBox->click();
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY2(log.readAll().toStdString() == shown, "every line and frame, once, in arrival order");
        frame.close();
    }
};

QTEST_MAIN(ChildFrameFloodTest)
#include "ChildFrameFloodTest.moc"
