// The four settings dialogs, driven headless through their controls.

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "directory/DialSettingsDialog.h"
#include "directory/LocalPortSettingsDialog.h"
#include "directory/LoginDialog.h"
#include "directory/RemotePortSettingsDialog.h"
#include "tests/directory/DialogTestSupport.h"

namespace {

PortTable twoPorts()
{
    PortTable table;
    table[0] = PortSettings{"COM3", 96, 8, 1, 0};
    table[1] = PortSettings{"COM4", 576, 7, 2, 2};
    return table;
}

QString shown(QWidget* dialog, const QString& label)
{
    return fieldLabelled<QComboBox>(dialog, label)->currentText();
}

void choose(QWidget* dialog, const QString& label, const QString& item)
{
    auto* list = fieldLabelled<QComboBox>(dialog, label);
    const int position = list->findText(item);
    QVERIFY(position >= 0);
    list->setCurrentIndex(position);
}

}  // namespace

class SettingsDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void localShowsRecordAndStoresPickedSpeed()
    {
        LocalPortSettingsDialog dialog(twoPorts());
        QCOMPARE(shown(&dialog, "통신속도"), QString("9600"));
        QCOMPARE(shown(&dialog, "데이터비트"), QString("8 Bit"));
        QCOMPARE(shown(&dialog, "스톱비트"), QString("1 Bit"));
        QCOMPARE(shown(&dialog, "패리티비트"), QString("None Parity"));
        choose(&dialog, "통신속도", "115200");
        buttonLabelled(&dialog, "확인")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.table()[0].baudHundreds, 1152);
    }

    void localEditsOfTwoPortsReturnOnlyOnOk()
    {
        const PortTable original = twoPorts();
        for (const bool pressOk : {false, true}) {
            LocalPortSettingsDialog dialog(original);
            auto* ports = fieldLabelled<QListWidget>(&dialog, "통신포트");
            choose(&dialog, "패리티비트", "Odd Parity");
            ports->setCurrentRow(1);
            QCOMPARE(shown(&dialog, "통신속도"), QString("57600"));
            choose(&dialog, "데이터비트", "5 Bit");
            buttonLabelled(&dialog, pressOk ? "확인" : "취소")->click();
            QCOMPARE(dialog.result(), int(pressOk ? QDialog::Accepted : QDialog::Rejected));
            if (pressOk) {
                QCOMPARE(dialog.table()[0].parity, 1);
                QCOMPARE(dialog.table()[1].dataBits, 5);
                QCOMPARE(dialog.table()[1].baudHundreds, 576);
            }
        }
    }

    void localValueOutsideTheListsSurvivesOk()
    {
        PortTable table = twoPorts();
        table[0].baudHundreds = 3;
        LocalPortSettingsDialog dialog(table);
        QCOMPARE(fieldLabelled<QComboBox>(&dialog, "통신속도")->currentIndex(), -1);
        buttonLabelled(&dialog, "확인")->click();
        QCOMPARE(dialog.table()[0].baudHundreds, 3);
    }

    void localEnterCancels()
    {
        Watchdog watchdog;
        LocalPortSettingsDialog dialog(twoPorts());
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(fieldLabelled<QListWidget>(&dialog, "통신포트"), Qt::Key_Return);
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void remoteEmptyStatusGivesDefaults()
    {
        RemotePortSettingsDialog dialog(1, {});
        QCOMPARE(shown(&dialog, "원격 포트"), QString("1"));
        QCOMPARE(shown(&dialog, "속도"), QString("9600"));
        QCOMPARE(shown(&dialog, "흐름제어"), QString("none"));
        buttonLabelled(&dialog, "확인")->click();
        QCOMPARE(dialog.port(), 1);
        QCOMPARE(dialog.settingsText(), std::string("9600 8 none 1 none"));
    }

    void remoteReadsStatusOfPortShown()
    {
        const std::array<std::string, remotePortCount> status{"[Baud]19200abcd[Data]7x[Parity]odd [Stop]2;[Flow]hardware", "",
                                                "[Baud]1....[Data]8.[Parity]NONE.[Stop]1.[Flow]none", ""};
        RemotePortSettingsDialog dialog(-1, status);
        QCOMPARE(shown(&dialog, "원격 포트"), QString("0"));
        QCOMPARE(shown(&dialog, "데이타비트"), QString("7"));
        QCOMPARE(shown(&dialog, "패리티비트"), QString("odd"));
        // Two steps down the port list, as the user would pick port 2.
        auto* ports = fieldLabelled<QComboBox>(&dialog, "원격 포트");
        QTest::keyClick(ports, Qt::Key_Down);
        QTest::keyClick(ports, Qt::Key_Down);
        QCOMPARE(shown(&dialog, "속도"), QString("19200"));
        QCOMPARE(shown(&dialog, "패리티비트"), QString("none"));
        QCOMPARE(shown(&dialog, "흐름제어"), QString("none"));
        buttonLabelled(&dialog, "확인")->click();
        QCOMPARE(dialog.port(), 2);
        QCOMPARE(dialog.settingsText(), std::string("19200 8 none 1 none"));
    }

    void dialSelectsAtdtOnlyForAtdt()
    {
        const QStringList given{"ATDT", "ATD", "ATX", ""};
        for (const QString& command : given) {
            DialSettingsDialog dialog(DialSettings{command.toStdString(), "9", "ATZ"});
            const bool tones = command == "ATDT";
            QCOMPARE(buttonLabelled<QRadioButton>(&dialog, "ATDT")->isChecked(), tones);
            typeInto(&dialog, "외부 회선 연결번호", "");
            buttonLabelled(&dialog, "확인")->click();
            QCOMPARE(dialog.settings().dialCommand, std::string(tones ? "ATDT" : "ATD"));
            QCOMPARE(dialog.settings().outsideLineNumber, std::string());
            QCOMPARE(dialog.settings().initCommand, std::string("ATZ"));
        }
    }

    // Redial: off until the operator sets it; the fields stay in range
    // whatever is typed, by keyboard as by mouse.
    void dialSettingsCarryTheRedialChoices()
    {
        DialSettingsDialog dialog(DialSettings{});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* count = fieldLabelled<QSpinBox>(&dialog, "재다이얼 횟수");
        auto* interval = fieldLabelled<QSpinBox>(&dialog, "재다이얼 간격(초)");
        auto* reconnect = buttonLabelled<QCheckBox>(&dialog, "끊기면 다시 연결");
        QCOMPARE(count->value(), 0);
        QCOMPARE(interval->value(), 30);
        QVERIFY(!reconnect->isChecked());
        count->setFocus();
        count->selectAll();
        QTest::keyClicks(count, "150");  // 99 is the most
        QTest::keyClick(count, Qt::Key_Tab);
        interval->selectAll();
        QTest::keyClicks(interval, "5");
        QTest::keyClick(interval, Qt::Key_Tab);
        QTest::keyClick(reconnect, Qt::Key_Space);
        buttonLabelled(&dialog, "확인")->click();
        QVERIFY(dialog.settings().redialCount <= 99 && dialog.settings().redialCount > 0);
        QCOMPARE(dialog.settings().redialIntervalSeconds, 5);
        QVERIFY(dialog.settings().reconnect);
    }

    void loginNeedsTheSamePasswordTwice()
    {
        ScriptedPrompts prompts;
        LoginDialog dialog("아이디 변경", "admin", "pilvo");
        QCOMPARE(dialog.windowTitle(), QString("아이디 변경"));
        QCOMPARE(fieldLabelled<QLineEdit>(&dialog, "비밀번호 확인")->echoMode(), QLineEdit::Password);
        buttonLabelled(&dialog, "확인")->click();
        QCOMPARE(prompts.told, QStringList{"비밀번호에 차이가 있습니다. 확인하세요."});
        QVERIFY(dialog.result() != QDialog::Accepted);
        typeInto(&dialog, "비밀번호 확인", "PILVO");
        buttonLabelled(&dialog, "확인")->click();
        QCOMPARE(prompts.told.size(), 2);
        typeInto(&dialog, "비밀번호 확인", "pilvo");
        typeInto(&dialog, "유저 ID", "운영자");
        buttonLabelled(&dialog, "확인")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.userId(), std::string("\xBF\xEE\xBF\xB5\xC0\xDA"));
        QCOMPARE(dialog.password(), std::string("pilvo"));
    }

    void loginAcceptsEmptyPasswords()
    {
        ScriptedPrompts prompts;
        LoginDialog dialog("로그인 재시도", "", "");
        buttonLabelled(&dialog, "확인")->click();
        QVERIFY(prompts.told.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(SettingsDialogsTest)
#include "SettingsDialogsTest.moc"
