// The main frame: port buttons from discovery, opening and closing connection
// windows, menus, the settings dialogs and the IP launch buttons.

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include "app/CMainFrame.h"
#include "app/QtTranslations.h"
#include "base/AppPaths.h"
#include "directory/DialSettingsDialog.h"
#include "directory/IpBookDialog.h"
#include "directory/LocalPortSettingsDialog.h"
#include "directory/PortNumberDialog.h"
#include "directory/UserPrompts.h"
#include "session/CChildFrame.h"
#include "session/SendBar.h"
#include "tests/directory/DialogTestSupport.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/WindowTestSupport.h"

namespace {

int visibleMenus(QMainWindow& window)
{
    int count = 0;
    for (QAction* action : window.menuBar()->actions())
        count += action->isVisible() ? 1 : 0;
    return count;
}

// The question shown over the frame, once it is up.
QMessageBox* shownQuestion()
{
    QMessageBox* box = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box != nullptr && box->isVisible();
    });
    return shown ? box : nullptr;
}

// Presses the keys where the keyboard goes: an open menu, else the focus.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::activePopupWidget();
    QTest::keyClick(target ? target : QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

QMenu* menuTitled(QMainWindow& window, const QString& title)
{
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

// Operates the control as assistive technology does, through its accessible action.
void toggleByAccessibleAction(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible && accessible->actionInterface());
    QVERIFY(accessible->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestWatchdog> m_watchdog;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDeviceInstaller> m_fakes;
    std::vector<QString> m_boxes;
    bool m_answerYes = true;

    std::string dataDir() const { return m_dir->path().toStdString() + "/"; }

private slots:
    void initTestCase()
    {
        // As the program starts: Qt's own texts in Korean.
        QVERIFY(installQtTranslations(*qApp));
    }

    void init()
    {
        m_watchdog = std::make_unique<TestWatchdog>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_fakes = std::make_unique<FakeDeviceInstaller>();
        m_boxes.clear();
        m_answerYes = true;
        setPromptHandler([this](PromptKind, const QString& text) {
            m_boxes.push_back(text);
            return m_answerYes;
        });
    }

    void cleanup()
    {
        setPromptHandler({});
        m_fakes.reset();
        m_dir.reset();
        m_watchdog.reset();
    }

    void portButtonsAreLabelledFromDiscovery()
    {
        CMainFrame frame({"COM1", "", "COM2"}, dataDir());
        QCOMPARE(frame.portButton(0)->text(), QStringLiteral("COM1"));
        QCOMPARE(frame.portButton(1)->text(), QStringLiteral("COM2"));
        for (int slot : {2, 3}) {
            QCOMPARE(frame.portButton(slot)->text(), QStringLiteral("not use"));
            QVERIFY(!frame.portButton(slot)->isEnabled());
        }
        // A port map name is shown cleaned; the name itself stays as given.
        CMainFrame hostile({"A\x1b[2J/../B"}, dataDir());
        QCOMPARE(hostile.portButton(0)->text(), QStringLiteral("A?[2J?..?B"));
        QCOMPARE(hostile.portTable()[0].portName, std::string("A\x1b[2J/../B"));
        CMainFrame none({}, dataDir());
        for (int slot = 0; slot < portSlotCount; ++slot)
            QCOMPARE(none.portButton(slot)->text(), QStringLiteral("not use"));
    }

    void pressingAndReleasingAPortButtonOpensAndClosesItsWindow()
    {
        CMainFrame frame({"COM1", "COM2", "COM3", "COM4"}, dataDir());
        frame.show();
        QCOMPARE(visibleMenus(frame), 2);
        QVERIFY(!frame.templateRegistered());

        frame.portButton(0)->click();
        QVERIFY(frame.templateRegistered());
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
        CChildFrame* window = frame.connectionWindow(0);
        QVERIFY(window);
        QCOMPARE(window->caption(), QStringLiteral("COM1 - [57600-N-8-1]"));
        QVERIFY(waitUntil([&] { return m_fakes->device("COM1")->written() == "ATZ\r"; }));
        QVERIFY(waitUntil([&] { return visibleMenus(frame) == 3; }));

        frame.portButton(0)->click();
        QVERIFY(waitUntil([&] { return frame.mdiArea()->subWindowList().isEmpty(); }));
        QVERIFY(!frame.portButton(0)->isChecked());
        QVERIFY(!m_fakes->device("COM1")->isOpen());

        // The close box pops the button up too, on the last slot as well.
        frame.portButton(3)->click();
        QVERIFY(frame.portButton(3)->isChecked());
        frame.mdiArea()->subWindowList().front()->close();
        QVERIFY(waitUntil([&] { return frame.mdiArea()->subWindowList().isEmpty(); }));
        QVERIFY(!frame.portButton(3)->isChecked());
        QVERIFY(waitUntil([&] { return visibleMenus(frame) == 2; }));
    }

    void portButtonActsAlikeByAccessibleActionKeyboardAndMouse()
    {
        CMainFrame frame({"COM1"}, dataDir());
        frame.show();
        QPushButton* button = frame.portButton(0);
        toggleByAccessibleAction(button);
        QVERIFY(button->isChecked());
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
        toggleByAccessibleAction(button);
        QVERIFY(waitUntil([&] { return frame.mdiArea()->subWindowList().isEmpty(); }));

        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
        // The window's own close pops the button up, which neither closes
        // nor opens anything more.
        frame.mdiArea()->subWindowList().front()->close();
        QVERIFY(waitUntil([&] { return frame.mdiArea()->subWindowList().isEmpty(); }));
        QTest::qWait(50);
        QVERIFY(!button->isChecked());
        QVERIFY(frame.mdiArea()->subWindowList().isEmpty());
        button->click();
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
    }

    void titleNamesTheActiveConnectionWindow()
    {
        CMainFrame frame({"COM1", "COM2"}, dataDir());
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V"));
        frame.portButton(0)->click();
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V - COM1 - [57600-N-8-1]"));
        frame.portButton(1)->click();
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V - COM2 - [57600-N-8-1]"));
        // A maximised window does not change how the title reads.
        frame.mdiArea()->activeSubWindow()->showMaximized();
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V - COM2 - [57600-N-8-1]"));
        frame.mdiArea()->activatePreviousSubWindow();
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V - COM1 - [57600-N-8-1]"));
        frame.connectionWindow(0)->setWindowTitle(QStringLiteral("COM1 - Seoul"));
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V - COM1 - Seoul"));
        for (int slot : {0, 1})
            frame.portButton(slot)->click();
        QVERIFY(waitUntil([&] { return frame.mdiArea()->subWindowList().isEmpty(); }));
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V"));
    }

    void tileArrangesWindowsSideBySide()
    {
        CMainFrame frame({"COM1", "COM2", "COM3"}, dataDir());
        frame.resize(1200, 800);
        frame.show();
        for (int slot = 0; slot < 3; ++slot)
            frame.portButton(slot)->click();
        frame.tileSideBySide();
        QList<QMdiSubWindow*> windows = frame.mdiArea()->subWindowList();
        QCOMPARE(windows.size(), 3);
        std::sort(windows.begin(), windows.end(),
                  [](QMdiSubWindow* a, QMdiSubWindow* b) { return a->x() < b->x(); });
        const int height = frame.mdiArea()->viewport()->height();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(windows[i]->y(), 0);
            QCOMPARE(windows[i]->height(), height);
            if (i > 0)
                QCOMPARE(windows[i]->x(), windows[i - 1]->x() + windows[i - 1]->width());
        }
    }

    void aPortThatFailsToOpenPopsItsButtonUp()
    {
        m_fakes->device("COM1")->failOpen(true);
        CMainFrame frame({"COM1"}, dataDir());
        frame.show();
        frame.portButton(0)->click();
        QCOMPARE(m_boxes.size(), std::size_t(1));
        QCOMPARE(m_boxes.front(), QStringLiteral("포트[COM1]가 사용중이거나, 다른 문제로 열기에 실패했습니다."));
        QVERIFY(waitUntil([&] { return frame.mdiArea()->subWindowList().isEmpty(); }));
        QVERIFY(!frame.portButton(0)->isChecked());
    }

    void programEndClosesPortsWithoutHangingUp()
    {
        auto frame = std::make_unique<CMainFrame>(std::vector<std::string>{"COM1"}, dataDir());
        frame->show();
        auto modem = m_fakes->device("COM1");
        modem->setCarrier(true);
        frame->portButton(0)->click();
        QVERIFY(waitUntil([&] { return frame->connectionWindow(0)->isReaderRunning(); }));
        frame.reset();
        QVERIFY(!modem->isOpen());
        QCOMPARE(modem->written(), std::string());
    }

    void endingDuringAHangUpWaitStopsWithoutTheHangUpCommand_data()
    {
        QTest::addColumn<bool>("programEnds");
        QTest::newRow("port button released") << false;
        QTest::newRow("program exit") << true;
    }

    void endingDuringAHangUpWaitStopsWithoutTheHangUpCommand()
    {
        QFETCH(bool, programEnds);
        auto frame = std::make_unique<CMainFrame>(std::vector<std::string>{"COM1"}, dataDir());
        frame->show();
        auto modem = m_fakes->device("COM1");
        modem->setCarrier(true);
        frame->portButton(0)->click();
        const QPointer<CChildFrame> window = frame->connectionWindow(0);
        QVERIFY(waitUntil([&] { return window->isReaderRunning(); }));
        // Released or exited while the window sits in the hang-up's 3 s wait:
        // the wait ends there, without a crash and without the hang-up command.
        window->engine().hangUp();
        QTest::qWait(200);
        if (programEnds)
            frame->menuBar()->actions().front()->menu()->actions().back()->trigger();  // 종료
        else
            frame->portButton(0)->click();
        if (programEnds) {
            QVERIFY(window && window->isConnected());  // the hang-up never finished
            frame.reset();
        }
        QVERIFY(waitUntil([&] { return !modem->isOpen(); }));
        QCOMPARE(modem->written(), std::string("+++"));
    }

    void ctrlXCutsASelectionAndExitAsksWhileAConnectionIsLive()
    {
        setPromptHandler({});  // the real boxes, as the operator meets them
        auto modem = m_fakes->device("COM1");
        modem->setCarrier(true);  // taken as connected when the port opens
        CMainFrame frame({"COM1", "COM2"}, dataDir());
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        frame.portButton(1)->click();  // idle: not counted
        frame.portButton(0)->click();
        CChildFrame* window = frame.connectionWindow(0);
        QVERIFY(window->isConnected());
        QLineEdit* input = window->sendBar(PaneSide::Left)->inputLine();
        QTRY_VERIFY(input->hasFocus());

        QTest::keyClicks(input, "ATI");
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(input->text(), QString());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ATI"));
        QVERIFY(frame.isVisible());

        // Nothing selected: Exit, asked first with Qt's buttons in Korean.
        press(Qt::Key_X, Qt::ControlModifier);
        QMessageBox* box = shownQuestion();
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("연결된 창이 1개 있습니다. 연결을 끊고 종료하시겠습니까?"));
        QCOMPARE(box->button(QMessageBox::Yes)->text(), QStringLiteral("예(&Y)"));
        QCOMPARE(box->button(QMessageBox::No)->text(), QStringLiteral("아니요(&N)"));
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(frame.isVisible());
        QVERIFY(window->isConnected());

        // The close box asks the same; 예 (the default, Enter) ends the program.
        frame.close();
        box = shownQuestion();
        QVERIFY(box);
        QTest::keyClick(box, Qt::Key_Return);
        QTRY_VERIFY(!frame.isVisible());
        QCOMPARE(modem->written(), std::string());  // nothing more sent, no hang-up

        // With no link up nor dialling it ends at once, as ever.
        CMainFrame idle({"COM3"}, dataDir());
        idle.show();
        QVERIFY(QTest::qWaitForWindowActive(&idle));
        idle.portButton(0)->click();
        QTRY_VERIFY(idle.connectionWindow(0)->sendBar(PaneSide::Left)->inputLine()->hasFocus());
        press(Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!idle.isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void windowMenuListsTheWindowsByPortAndSwitches()
    {
        CMainFrame frame({"COM1", "COM2"}, dataDir());
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        frame.portButton(0)->click();
        frame.portButton(1)->click();
        // Once logged in the caption names the site, not the port.
        frame.connectionWindow(0)->setDocumentTitle(cp949("연결됨:서울1(5551234)"));
        QCOMPARE(frame.connectionWindow(0)->caption(), QStringLiteral("연결됨:서울1(5551234)"));

        press(Qt::Key_W, Qt::AltModifier);
        QMenu* menu = menuTitled(frame, QStringLiteral("창(&W)"));
        QTRY_VERIFY(QApplication::activePopupWidget() == menu);
        QStringList entries;
        QList<bool> checked;
        for (QAction* action : menu->actions()) {
            if (action->isCheckable()) {
                entries << action->text();
                checked << action->isChecked();
            }
        }
        QCOMPARE(entries, (QStringList{"&1 COM1 - 연결됨:서울1(5551234)", "&2 COM2 - [57600-N-8-1]"}));
        QCOMPARE(checked, (QList<bool>{false, true}));
        press(Qt::Key_1);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QCOMPARE(frame.mdiArea()->activeSubWindow()->widget(), frame.connectionWindow(0));
        QCOMPARE(frame.windowTitle(), QStringLiteral("EmuKR-V - COM1 - 연결됨:서울1(5551234)"));
    }

    void localPortSettingsAreSavedOnOk()
    {
        CMainFrame frame({"COM1", "COM2"}, dataDir());
        onNextDialog<LocalPortSettingsDialog>([](LocalPortSettingsDialog* dialog) { dialog->accept(); });
        frame.editLocalPortSettings();
        QFile file(m_dir->filePath(QStringLiteral("pinfo.dat")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QCOMPARE(text.count("[COM"), 2);
        QVERIFY(text.contains("BAUD=576"));
    }

    void unreadableDataFilesAreListedAndDefaultsUsed()
    {
        // A FIFO would block the start for ever, a directory cannot be read.
        QVERIFY(::mkfifo(QFile::encodeName(m_dir->filePath("pinfo.dat")).constData(), 0600) == 0);
        QVERIFY(QDir(m_dir->path()).mkdir("ip.dat"));
        CMainFrame frame({"COM1"}, dataDir());
        QCOMPARE(frame.portSettingsText("COM1"), std::string("57600-N-8-1"));
        QCOMPARE(frame.unreadableFiles().size(), std::size_t(2));
        for (const FileProblem& problem : frame.unreadableFiles())
            QCOMPARE(problem.fault.kind, FileFault::Kind::NotRegularFile);
        QCOMPARE(frame.unreadableFiles()[0].path, dataDir() + "pinfo.dat");
        QCOMPARE(frame.unreadableFiles()[1].path, dataDir() + "ip.dat");
        QVERIFY(m_boxes.empty());
    }

    void settingsSavesThatFailAreToldAndKeepTheirDialogs()
    {
        // A data directory that is a regular file refuses every write, for root too.
        const QString plain = m_dir->filePath("plain");
        QFile(plain).open(QIODevice::WriteOnly);
        CMainFrame frame({"COM1"}, plain.toStdString() + "/");
        frame.ipBook() = {IpEntry{0, "A", "192.0.2.1", 0}, IpEntry{2, "C", "192.0.2.3", 0}};
        Watchdog watchdog;
        // Presses 확인 once the dialog shows, expects it told and still open, then cancels.
        const auto refusedOnOk = [this](QWidget* dialog, const char* file) {
            QTest::mouseClick(buttonLabelled(dialog, "확인"), Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            QCOMPARE(m_boxes.size(), std::size_t(1));
            QVERIFY(m_boxes[0].startsWith(QStringLiteral("파일을 저장하지 못했습니다: ")));
            QVERIFY(m_boxes[0].contains(file));
            QVERIFY(m_boxes[0].contains(QString::fromLocal8Bit(strerror(ENOTDIR))));
            m_boxes.clear();
            QTest::mouseClick(buttonLabelled(dialog, "취소"), Qt::LeftButton);
        };
        onNextDialog<LocalPortSettingsDialog>([&](LocalPortSettingsDialog* dialog) {
            fieldLabelled<QComboBox>(dialog, "통신속도")->setCurrentIndex(2);
            refusedOnOk(dialog, "pinfo.dat");
        });
        frame.editLocalPortSettings();
        QCOMPARE(frame.portSettingsText("COM1"), std::string("57600-N-8-1"));

        onNextDialog<DialSettingsDialog>([&](DialSettingsDialog* dialog) {
            typeInto(dialog, "외부 회선 연결번호", "0");
            refusedOnOk(dialog, "pinfo.dat");
        });
        frame.editDialSettings();
        QCOMPARE(frame.dialSettings().outsideLineNumber, std::string("9"));

        // The book holds unsaved entries: 취소 asks to save them, and 아니요 closes.
        m_answerYes = false;
        onNextDialog<IpBookDialog>([&](IpBookDialog* dialog) { refusedOnOk(dialog, "ip.dat"); });
        frame.editIpBook();
        QCOMPARE(m_boxes, std::vector<QString>{QStringLiteral("변경된 내용을 저장하시겠습니까?")});
        // Not renumbered: the rows the dialog showed still name their entries.
        QCOMPARE(frame.ipBook()[1].index, 2);
    }

    void launchButtonsNeedASelectedAddress()
    {
        CMainFrame frame({}, dataDir());
        std::vector<QStringList> launches;
        frame.setSessionStarter([&](const QString&, const QStringList& arguments, const QString&) {
            launches.push_back(arguments);
            return QString();
        });
        frame.launchConsole();
        QCOMPARE(m_boxes, std::vector<QString>{QStringLiteral("IP 주소를 선택하세요.")});
        QVERIFY(launches.empty());

        frame.ipBook() = {IpEntry{0, "Seoul1", "192.0.2.5", 0}, IpEntry{1, cp949("광주 센터"), "192.0.2.6", 0}};
        frame.fillIpCombo();
        QCOMPARE(frame.ipSelector()->currentText(), QStringLiteral("192.0.2.5"));
        frame.launchConsole();
        QCOMPARE(launches.back(), (QStringList{"192.0.2.5", "23", "Seoul1"}));

        onNextDialog<PortNumberDialog>([](PortNumberDialog* dialog) {
            typeInto(dialog, QStringLiteral("포트번호"), QStringLiteral("7300"));
            dialog->accept();
        });
        frame.ipSelector()->setCurrentIndex(1);
        frame.launchPort(2);
        // A blank in the name stays inside its argument.
        QCOMPARE(launches.back(), (QStringList{"192.0.2.6", "7300", "광주 센터"}));

        // A launcher that cannot be started is told, once per launch.
        frame.setSessionStarter([](const QString&, const QStringList&, const QString&) {
            return QStringLiteral("execv: No such file or directory");
        });
        m_boxes.clear();
        frame.launchConsole();
        QCOMPARE(m_boxes.size(), std::size_t(1));
        QVERIFY(m_boxes[0].startsWith(QStringLiteral("프로그램을 시작하지 못했습니다: ")));
        QVERIFY(m_boxes[0].endsWith(QStringLiteral("KR-V___\n(execv: No such file or directory)")));
    }

    void consoleLaunchStartsTheRealLauncher()
    {
        const QString folder = QString::fromStdString(executableDirectory());
        if (!QFile::exists(folder + QStringLiteral("KR-V___")))
            QSKIP("the launcher is not built beside the tests");
        // A name with a blank reaches the launcher whole.
        const QString expected = folder + QStringLiteral("AN광주 센터-콘솔포트-192.0.2.5-원격감시.ht");
        QFile::remove(expected);
        CMainFrame frame({}, dataDir());
        frame.ipBook() = {IpEntry{0, cp949("광주 센터"), "192.0.2.5", 0}};
        frame.fillIpCombo();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        frame.launchConsole();
        QVERIFY(waitUntil([&] { return QFileInfo(expected).size() == 1294; }, 10000));
        QFile::remove(expected);
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
