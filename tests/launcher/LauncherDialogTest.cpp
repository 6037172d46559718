// The status window's timed sequence and its hidden developer buttons.

#include "TempDir.h"

#include "launcher/LauncherApp.h"
#include "launcher/LauncherDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <string>
#include <vector>

using launcher::LauncherApp;
using launcher::LauncherDialog;

class LauncherDialogTest : public QObject {
    Q_OBJECT

private:
    static LauncherApp startedApp(const TempDir& dir, std::vector<std::string> fields)
    {
        fields.insert(fields.begin(), dir.dir() + "KR-V___");
        LauncherApp app;
        app.start(fields, dir.dir());
        return app;
    }

private slots:
    void validArgumentsWriteThenOpenThenClose()
    {
        const TempDir dir;
        LauncherApp app = startedApp(dir, {"192.0.2.5", "23", "Seoul1"});
        LauncherDialog dialog(app);
        std::vector<std::string> opened;
        dialog.setOpener([&](const std::string& path) { opened.push_back(path); });
        QSignalSpy finished(&dialog, &QDialog::finished);
        QElapsedTimer clock;
        clock.start();
        dialog.show();

        QCOMPARE(dialog.statusText(), QStringLiteral("임시파일 확인"));
        QVERIFY(dir.entries().empty());

        QTRY_COMPARE_WITH_TIMEOUT(dialog.statusText(), QStringLiteral("하이퍼터미널 실행"), 2000);
        const std::filesystem::path file = dir.path() / "ANSeoul1-콘솔포트-192.0.2.5-원격감시.ht";
        QCOMPARE(std::filesystem::file_size(file), std::uintmax_t{1294});

        QTRY_COMPARE_WITH_TIMEOUT(opened.size(), std::size_t{1}, 2000);
        QCOMPARE(opened.front(), file.string());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 2000);
        QVERIFY(clock.elapsed() >= 1400);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(opened.size(), std::size_t{1});
    }

    void invalidArgumentsShowTheLineAndCloseAfterOneAndAHalfSeconds()
    {
        const TempDir dir;
        LauncherApp app = startedApp(dir, {"192.0.2.5", "23"});
        LauncherDialog dialog(app);
        int opens = 0;
        dialog.setOpener([&](const std::string&) { ++opens; });
        QSignalSpy finished(&dialog, &QDialog::finished);
        QElapsedTimer clock;
        clock.start();
        dialog.show();

        QCOMPARE(dialog.statusText(), QStringLiteral("올바른 인자가 아닙니다."));
        QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
        for (const char* label : {"m", "C", "R", "DEL"}) {
            auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(label));
            QVERIFY2(button && !button->isVisible(), label);
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 3000);
        QVERIFY(clock.elapsed() >= 1400);
        QCOMPARE(dialog.statusText(), QStringLiteral("올바른 인자가 아닙니다."));
        QCOMPARE(opens, 0);
        QVERIFY(dir.entries().empty());
    }

    void buttonCWritesTheDefaultServerUnderTheStartUpName()
    {
        const TempDir dir;
        LauncherApp app = startedApp(dir, {"192.0.2.5", "7201", "Seoul1"});
        LauncherDialog dialog(app);
        dialog.findChild<QPushButton*>(QStringLiteral("C"))->click();
        const auto bytes = readBytes(dir.path() / "ANSeoul1-포트1디바이스-192.0.2.5-원격감시.ht");
        const std::string address = LauncherApp::defaultServerAddress;
        QCOMPARE(bytes.size(), 1285 + address.size());
        QCOMPARE(bytes.at(817 + address.size() + 7), static_cast<unsigned char>(4));
    }

    void buttonROpensAndClosesAtOnce()
    {
        const TempDir dir;
        LauncherApp app = startedApp(dir, {"192.0.2.5", "23", "Seoul1"});
        LauncherDialog dialog(app);
        std::vector<std::string> opened;
        dialog.setOpener([&](const std::string& path) { opened.push_back(path); });
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        dialog.findChild<QPushButton*>(QStringLiteral("R"))->click();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(opened, std::vector<std::string>{app.outputPath()});
    }

    void buttonMDumpsFromTheCurrentDirectoryAndReportsThroughTheHook()
    {
        const TempDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QString::fromStdString(dir.path().string())));
        LauncherApp app = startedApp(dir, {"1", "2"});
        LauncherDialog dialog(app);
        std::vector<std::string> messages;
        dialog.setMessageHook([&](const std::string& m) { messages.push_back(m); });

        dialog.findChild<QPushButton*>(QStringLiteral("m"))->click();
        QCOMPARE(messages, std::vector<std::string>{"ht파일이 없어요..ㅠ,ㅜ"});

        std::ofstream(dir.path() / "1234.ht", std::ios::binary) << "AB";
        dialog.findChild<QPushButton*>(QStringLiteral("m"))->click();
        QCOMPARE(readText(dir.path() / "1234.txt"), std::string("\n0x41,0x42,"));
        QDir::setCurrent(previous);
    }
};

QTEST_MAIN(LauncherDialogTest)
#include "LauncherDialogTest.moc"
