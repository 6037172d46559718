// The phone book and IP book dialogs with their entry dialogs, driven headless
// over a scratch phone.dat; nested dialogs are answered as they open.

#include <QFile>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "base/TextCodec.h"
#include "directory/IpBookDialog.h"
#include "directory/IpEntryDialog.h"
#include "directory/PhoneBookDialog.h"
#include "directory/PhoneEntryDialog.h"
#include "directory/PortNumberDialog.h"
#include "tests/directory/DialogTestSupport.h"
#include "tests/directory/FileTestSupport.h"
#include "tests/directory/posix/FileSizeLimit.h"

#include <sys/stat.h>

namespace {

const char* const threeSites = "[INFO]\r\nCOUNT=3\r\n"
                               "[TEL000]\r\nNAME=Busan\r\nNO=0511111\r\nUSE=0\r\nID=admin\r\nPWD=pilvo\r\n"
                               "[TEL001]\r\nNAME=Seoul\r\nNO=0222222\r\nUSE=1\r\nID=op\r\nPWD=secret\r\n"
                               "[TEL002]\r\nNAME=Jeju\r\nNO=0643333\r\nUSE=0\r\nID=admin\r\nPWD=pilvo\r\n";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QTableWidget* listOf(QWidget* dialog)
{
    return dialog->findChild<QTableWidget*>();
}

QStringList column(QWidget* dialog, int columnIndex)
{
    QStringList cells;
    const QTableWidget* list = listOf(dialog);
    for (int row = 0; row < list->rowCount(); ++row)
        cells << (list->item(row, columnIndex) ? list->item(row, columnIndex)->text() : QString("<none>"));
    return cells;
}

void click(QWidget* dialog, const QString& label)
{
    buttonLabelled(dialog, label)->click();
}

// Shows the dialog as it opens for the operator: active, its list focused.
void showAsOpened(QDialog* dialog)
{
    dialog->setModal(true);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QVERIFY(listOf(dialog)->hasFocus());
}

// Presses the button; true when that opened a dialog of its own (closed again).
bool opensADialog(QDialog* dialog, const QString& label)
{
    bool opened = false;
    QTimer::singleShot(0, dialog, [dialog, &opened] {
        if (auto* nested = qobject_cast<QDialog*>(QApplication::activeModalWidget()); nested && nested != dialog) {
            opened = true;
            nested->reject();
        }
    });
    click(dialog, label);
    QCoreApplication::processEvents();
    return opened;
}

// The question the dialog shows over itself, once it is up.
QMessageBox* shownQuestion(QWidget* dialog)
{
    QMessageBox* box = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box != nullptr && box->isVisible();
    });
    if (!shown || box->parentWidget() != dialog)
        qFatal("no question shown over the dialog");
    return box;
}

// Fills the next phone entry dialog and presses 확인.
void enterPhoneEntry(const QString& name, const QString& number, bool outside)
{
    onNextDialog<PhoneEntryDialog>([=](PhoneEntryDialog* entry) {
        typeInto(entry, "이름", name);
        typeInto(entry, "전화번호", number);
        buttonLabelled(entry, "외부 통화")->setChecked(outside);
        click(entry, "확인");
    });
}

}  // namespace

class BookDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_phonePath = m_dir.filePath("phone.dat");
        QFile::remove(m_phonePath);
    }

    void emptyBookAsksForSelectionAndWritesNothing()
    {
        Watchdog watchdog;
        ScriptedPrompts prompts;
        PhoneBookDialog dialog(m_phonePath.toStdString());
        QTableWidget* list = listOf(&dialog);
        QCOMPARE(list->rowCount(), 0);
        const QStringList headers{"순번", "이름", "전화번호", "외부회선"};
        const int widths[] = {50, 120, 120, 80};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(list->horizontalHeaderItem(i)->text(), headers[i]);
            QCOMPARE(list->columnWidth(i), widths[i]);
        }
        QVERIFY(!list->isSortingEnabled());
        click(&dialog, "수정");
        click(&dialog, "삭제");
        click(&dialog, "전화걸기");
        QCOMPARE(prompts.told, QStringList{"전화번호를 선택해 주세요."});
        QVERIFY(prompts.asked.isEmpty());
        QVERIFY(dialog.result() != QDialog::Accepted);
        QVERIFY(!QFile::exists(m_phonePath));
    }

    void shownBooksChooseNothingUntilARowIsSelected()
    {
        // Focus makes a row current in the list; only a selection chooses one.
        Watchdog watchdog;
        ScriptedPrompts prompts;
        writeAll(m_phonePath, threeSites);
        PhoneBookDialog phone(m_phonePath.toStdString());
        showAsOpened(&phone);
        QTableWidget* list = listOf(&phone);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!opensADialog(&phone, "수정"));
        click(&phone, "삭제");
        click(&phone, "전화걸기");
        QCOMPARE(prompts.told, (QStringList{"전화번호를 선택해 주세요.", "전화번호를 선택해 주세요."}));
        QVERIFY(prompts.asked.isEmpty());
        QVERIFY(phone.isVisible());
        QCOMPARE(readAll(m_phonePath), QByteArray(threeSites));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(phone.result(), int(QDialog::Accepted));
        QCOMPARE(phone.chosenEntry().name, std::string("Busan"));  // the first Down selects the first row

        IpBook book{{0, "Seoul1", "192.0.2.1", 7200}, {1, "Seoul2", "192.0.2.2", 0}};
        IpBookDialog ip(book);
        showAsOpened(&ip);
        QVERIFY(!opensADialog(&ip, "수정"));
        click(&ip, "삭제");
        QVERIFY(prompts.asked.isEmpty());
        QCOMPARE(book.size(), std::size_t(2));
    }

    void deleteLeavesGapUntilSavedAndReopened()
    {
        Watchdog watchdog;
        ScriptedPrompts prompts;
        writeAll(m_phonePath, threeSites);
        {
            PhoneBookDialog dialog(m_phonePath.toStdString());
            QCOMPARE(column(&dialog, 3), (QStringList{"", "사용", ""}));
            listOf(&dialog)->selectRow(1);
            prompts.answer(false);
            click(&dialog, "삭제");
            QCOMPARE(prompts.asked, QStringList{"'2 - Seoul' 항목을 삭제하시겠습니까?"});
            QCOMPARE(listOf(&dialog)->rowCount(), 3);
            prompts.answer(true);
            click(&dialog, "삭제");
            QCOMPARE(column(&dialog, 0), (QStringList{"1", "3"}));
            enterPhoneEntry("Daegu", "0534444", true);
            click(&dialog, "추가");
            QCOMPARE(column(&dialog, 0), (QStringList{"1", "3", "4"}));
            QCOMPARE(column(&dialog, 1).last(), QString("Daegu"));
            QCOMPARE(column(&dialog, 2).last(), QString("0534444"));
            QCOMPARE(column(&dialog, 3).last(), QString("사용"));
            click(&dialog, "저장");
            click(&dialog, "취소");
        }
        PhoneBookDialog reopened(m_phonePath.toStdString());
        QCOMPARE(column(&reopened, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(column(&reopened, 1), (QStringList{"Busan", "Jeju", "Daegu"}));
    }

    void cancelLeavesFileUntouchedAndDialWritesEdits()
    {
        Watchdog watchdog;
        ScriptedPrompts prompts;
        writeAll(m_phonePath, threeSites);
        const QByteArray before = readAll(m_phonePath);
        {
            PhoneBookDialog dialog(m_phonePath.toStdString());
            listOf(&dialog)->selectRow(0);
            prompts.answer(true);
            click(&dialog, "삭제");
            click(&dialog, "취소");
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QCOMPARE(readAll(m_phonePath), before);

        PhoneBookDialog dialog(m_phonePath.toStdString());
        QCOMPARE(listOf(&dialog)->rowCount(), 3);
        listOf(&dialog)->selectRow(0);
        prompts.answer(true);
        click(&dialog, "삭제");
        // The current row stays at position 0, which now shows Seoul.
        click(&dialog, "전화걸기");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosenEntry().name, std::string("Seoul"));
        QCOMPARE(dialog.chosenEntry().number, std::string("0222222"));
        QVERIFY(dialog.chosenEntry().outsideLine);
        QCOMPARE(dialog.chosenEntry().userId, std::string("op"));
        QCOMPARE(dialog.chosenEntry().password, std::string("secret"));
        QCOMPARE(readPhoneBook(m_phonePath.toStdString()).size(), std::size_t(2));
    }

    void unsavedChangesAreAskedAboutWhenTheBookCloses()
    {
        Watchdog watchdog;
        writeAll(m_phonePath, threeSites);
        const QString question = QStringLiteral("변경된 내용을 저장하시겠습니까?");
        {
            // Nothing changed (a save of the same book included): closes at once.
            PhoneBookDialog dialog(m_phonePath.toStdString());
            showAsOpened(&dialog);
            QTest::mouseClick(buttonLabelled(&dialog, "취소"), Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
            QVERIFY(QApplication::activeModalWidget() == nullptr);
        }
        PhoneBookDialog dialog(m_phonePath.toStdString());
        showAsOpened(&dialog);
        enterPhoneEntry("광주", "0625555", false);
        QTest::mouseClick(buttonLabelled(&dialog, "추가"), Qt::LeftButton);
        // Escape asks; 취소 stays with the edits.
        QTest::keyClick(listOf(&dialog), Qt::Key_Escape);
        QMessageBox* box = shownQuestion(&dialog);
        QCOMPARE(box->text(), question);
        QTest::mouseClick(box->button(QMessageBox::Cancel), Qt::LeftButton);
        QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
        QCOMPARE(listOf(&dialog)->rowCount(), 4);
        // The close box asks; 아니요 closes without saving.
        dialog.close();
        QTest::mouseClick(shownQuestion(&dialog)->button(QMessageBox::No), Qt::LeftButton);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(readAll(m_phonePath), QByteArray(threeSites));

        // 예 saves and closes, without dialling.
        PhoneBookDialog again(m_phonePath.toStdString());
        showAsOpened(&again);
        enterPhoneEntry("광주", "0625555", false);
        QTest::mouseClick(buttonLabelled(&again, "추가"), Qt::LeftButton);
        QTest::mouseClick(buttonLabelled(&again, "취소"), Qt::LeftButton);
        QTest::keyClick(shownQuestion(&again), Qt::Key_Return);  // 예 is the default
        QTRY_VERIFY(!again.isVisible());
        QCOMPARE(again.result(), int(QDialog::Rejected));
        QCOMPARE(readPhoneBook(m_phonePath.toStdString()).back().name, utf8ToCp949("광주"));

        // The IP book likewise: 예 is its 확인, 아니요 keeps the edits in memory only.
        IpBook book{{0, "Seoul1", "192.0.2.1", 23}};
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            IpBookDialog ip(book);
            int commits = 0;
            ip.setCommit([&commits](QWidget*) { return ++commits > 0; });
            showAsOpened(&ip);
            onNextDialog<IpEntryDialog>([](IpEntryDialog* entry) {
                typeInto(entry, "이름", "Busan");
                typeInto(entry, "IP 주소", "198.51.100.7");
                click(entry, "확인");
            });
            QTest::mouseClick(buttonLabelled(&ip, "추가"), Qt::LeftButton);
            QTest::keyClick(listOf(&ip), Qt::Key_Escape);
            QTest::mouseClick(shownQuestion(&ip)->button(answer), Qt::LeftButton);
            QTRY_VERIFY(!ip.isVisible());
            QCOMPARE(ip.result(), int(answer == QMessageBox::Yes ? QDialog::Accepted : QDialog::Rejected));
            QCOMPARE(commits, answer == QMessageBox::Yes ? 1 : 0);
            QCOMPARE(book.back().name, std::string("Busan"));
            book.pop_back();
        }
    }

    void rowPastTheEndAfterDeletingLastRowNamesNothing()
    {
        Watchdog watchdog;
        ScriptedPrompts prompts;
        writeAll(m_phonePath, threeSites);
        PhoneBookDialog dialog(m_phonePath.toStdString());
        listOf(&dialog)->selectRow(2);
        prompts.answer(true);
        click(&dialog, "삭제");
        click(&dialog, "수정");  // would open an entry dialog and trip the watchdog
        click(&dialog, "삭제");
        QCOMPARE(prompts.asked.size(), 1);
        click(&dialog, "전화걸기");
        QCOMPARE(prompts.told, QStringList{"전화번호를 선택해 주세요."});
        QCOMPARE(readAll(m_phonePath), QByteArray(threeSites));
    }

    void enterAndDoubleClickDial()
    {
        Watchdog watchdog;
        writeAll(m_phonePath, threeSites);
        for (const bool doubleClick : {false, true}) {
            PhoneBookDialog dialog(m_phonePath.toStdString());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTableWidget* list = listOf(&dialog);
            if (doubleClick) {
                const QRect cell = list->visualRect(list->model()->index(2, 1));
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            } else {
                list->setFocus();
                list->selectRow(2);
                QTest::keyClick(list, Qt::Key_Return);
            }
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.chosenEntry().name, std::string("Jeju"));
        }
    }

    void modifyKeepsIndexAndFillsConfirmation()
    {
        Watchdog watchdog;
        ScriptedPrompts prompts;
        writeAll(m_phonePath, threeSites);
        PhoneBookDialog dialog(m_phonePath.toStdString());
        listOf(&dialog)->selectRow(1);
        onNextDialog<PhoneEntryDialog>([](PhoneEntryDialog* entry) {
            QCOMPARE(fieldLabelled<QLineEdit>(entry, "비밀번호확인")->text(), QString("secret"));
            QCOMPARE(fieldLabelled<QLineEdit>(entry, "비밀번호")->echoMode(), QLineEdit::Password);
            typeInto(entry, "전화번호", "0229999");
            buttonLabelled(entry, "외부 통화")->setChecked(false);
            click(entry, "확인");
        });
        click(&dialog, "수정");
        QCOMPARE(column(&dialog, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(column(&dialog, 2)[1], QString("0229999"));
        QCOMPARE(column(&dialog, 3)[1], QString(""));
        QVERIFY(prompts.told.isEmpty());
    }

    void phoneEntryChecksInOrder()
    {
        ScriptedPrompts prompts;
        PhoneEntry stored{5, "Seoul", "02", false, "op", "secret"};
        PhoneEntryDialog added(stored, true);
        QCOMPARE(fieldLabelled<QLineEdit>(&added, "이름")->text(), QString());
        typeInto(&added, "비밀번호", "x");
        click(&added, "확인");
        typeInto(&added, "이름", " ");
        click(&added, "확인");
        typeInto(&added, "전화번호", "1");
        click(&added, "확인");
        QCOMPARE(prompts.told, (QStringList{"이름을 입력하세요.", "전화번호를 입력하세요.",
                                            "비밀번호에 차이가 있습니다. 확인하세요."}));
        QVERIFY(added.result() != QDialog::Accepted);
        QCOMPARE(fieldLabelled<QLineEdit>(&added, "이름")->text(), QString(" "));

        PhoneEntryDialog modified(stored, false);
        click(&modified, "확인");
        QCOMPARE(modified.result(), int(QDialog::Accepted));
        QCOMPARE(modified.entry().index, 5);
        QCOMPARE(modified.entry().password, std::string("secret"));
    }

    void ipBookDeletesTheMiddleOfThree()
    {
        Watchdog watchdog;
        ScriptedPrompts prompts;
        IpBook book{{0, "Seoul1", "192.0.2.1", 7200}, {1, "Seoul2", "192.0.2.2", 0}, {2, "Seoul3", "192.0.2.3", 23}};
        IpBookDialog dialog(book);
        QCOMPARE(dialog.windowTitle(), QString("IP주소관리"));
        QCOMPARE(column(&dialog, 3), (QStringList{"7200", "0", "23"}));
        click(&dialog, "수정");
        click(&dialog, "삭제");
        QVERIFY(prompts.asked.isEmpty());
        listOf(&dialog)->selectRow(1);
        prompts.answer(true);
        click(&dialog, "삭제");
        QCOMPARE(prompts.asked, QStringList{"'2 - Seoul2' 항목을 삭제하시겠습니까?"});
        QCOMPARE(column(&dialog, 0), (QStringList{"1", "3"}));
        QCOMPARE(book.size(), std::size_t(2));
        QCOMPARE(book[1].index, 2);
        onNextDialog<IpEntryDialog>([](IpEntryDialog* entry) {
            typeInto(entry, "이름", "Busan");
            typeInto(entry, "IP 주소", "198.51.100.7");
            typeInto(entry, "포트번호", "32700");
            click(entry, "확인");
        });
        click(&dialog, "추가");
        QCOMPARE(column(&dialog, 0), (QStringList{"1", "3", "4"}));
        QCOMPARE(book.back().index, 3);
        QCOMPARE(book.back().port, 32700);
        click(&dialog, "확인");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void ipBookModifyKeepsAndStoresThePort()
    {
        // The operator picks the second row, presses 수정, finds its port there
        // and types a new one; the book the caller saves must hold it.
        Watchdog watchdog;
        ScriptedPrompts prompts;
        IpBook book{{0, "Seoul1", "192.0.2.1", 7200}, {1, "Seoul2", "192.0.2.2", 23}};
        IpBookDialog dialog(book);
        showAsOpened(&dialog);
        QTest::keyClick(listOf(&dialog), Qt::Key_Down);
        QTest::keyClick(listOf(&dialog), Qt::Key_Down);
        QString shownPort;
        onNextDialog<IpEntryDialog>([&shownPort](IpEntryDialog* entry) {
            auto* port = fieldLabelled<QLineEdit>(entry, "포트번호");
            shownPort = port->text();
            port->setFocus();
            port->selectAll();
            QTest::keyClicks(port, "7203");
            QTest::keyClick(port, Qt::Key_Return);
        });
        QTest::mouseClick(buttonLabelled(&dialog, "수정"), Qt::LeftButton);
        QCOMPARE(shownPort, QString("23"));
        QVERIFY(prompts.told.isEmpty());
        QCOMPARE(book[1].port, 7203);
        QCOMPARE(book[1].address, std::string("192.0.2.2"));
        QCOMPARE(book[0].port, 7200);
        QCOMPARE(column(&dialog, 3), (QStringList{"7200", "7203"}));
    }

    void ipEntryChecksInOrder()
    {
        ScriptedPrompts prompts;
        IpEntryDialog dialog("", "", 0);
        typeInto(&dialog, "포트번호", "port");
        click(&dialog, "확인");
        typeInto(&dialog, "포트번호", "32701");
        click(&dialog, "확인");
        typeInto(&dialog, "이름", "a");
        click(&dialog, "확인");
        typeInto(&dialog, "IP 주소", "192.0.2.9");
        click(&dialog, "확인");
        typeInto(&dialog, "포트번호", "-1");
        click(&dialog, "확인");
        QCOMPARE(prompts.told, (QStringList{"Please enter an integer.", "이름을 입력하세요.", "IP주소를 입력하세요.",
                                            "포트번호가 잘못되었습니다. 확인하세요.",
                                            "포트번호가 잘못되었습니다. 확인하세요."}));
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(dialog.port(), 0);
        typeInto(&dialog, "포트번호", "32700");
        typeInto(&dialog, "IP 주소", "999.1.1.1");
        click(&dialog, "확인");
        QCOMPARE(prompts.told.last(), QString("IP주소가 잘못되었습니다. 확인하세요."));
        QVERIFY(dialog.result() != QDialog::Accepted);
        typeInto(&dialog, "IP 주소", "192.0.2.9");
        click(&dialog, "확인");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.port(), 32700);
    }

    void ipEntryNameHoldsFifteenBytes()
    {
        ScriptedPrompts prompts;
        // Eight Hangul syllables are 16 bytes of code page 949.
        IpEntryDialog given("\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1", "192.0.2.1", 23);
        click(&given, "확인");
        QCOMPARE(prompts.told, QStringList{"Please enter no more than 15 characters."});
        QTest::keyClick(fieldLabelled<QLineEdit>(&given, "이름"), Qt::Key_Backspace);
        click(&given, "확인");
        QCOMPARE(given.result(), int(QDialog::Accepted));
        QCOMPARE(given.name().size(), std::size_t(14));

        IpEntryDialog typed("", "192.0.2.1", 23);
        auto* name = fieldLabelled<QLineEdit>(&typed, "이름");
        // Hangul arrives committed by the input method, one syllable at a time.
        for (const QChar syllable : QString("가나다라마바사아")) {
            QInputMethodEvent commit;
            commit.setCommitString(QString(syllable));
            QApplication::sendEvent(name, &commit);
        }
        QCOMPARE(name->text(), QString("가나다라마바사"));
        QTest::keyClicks(name, "z");
        QCOMPARE(name->text(), QString("가나다라마바사z"));
        QTest::keyClicks(name, "z");
        QCOMPARE(name->text(), QString("가나다라마바사z"));
        click(&typed, "확인");
        QCOMPARE(typed.result(), int(QDialog::Accepted));
        QCOMPARE(typed.name().size(), std::size_t(15));
    }

    void portNumberTakesAnyInteger()
    {
        ScriptedPrompts prompts;
        PortNumberDialog dialog(7202);
        QCOMPARE(fieldLabelled<QLineEdit>(&dialog, "포트번호")->text(), QString("7202"));
        typeInto(&dialog, "포트번호", "72o2");
        click(&dialog, "연결");
        QCOMPARE(prompts.told, QStringList{"Please enter an integer."});
        QVERIFY(dialog.result() != QDialog::Accepted);
        typeInto(&dialog, "포트번호", "99999");
        click(&dialog, "연결");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.port(), 99999);
    }

    void aFailedSaveIsToldAndKeepsTheDialogWithItsEdits()
    {
        Watchdog watchdog;
        ScriptedPrompts prompts;
        writeAll(m_phonePath, threeSites);
        PhoneBookDialog dialog(m_phonePath.toStdString());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        enterPhoneEntry("Daegu", "0534444", false);
        QTest::mouseClick(buttonLabelled(&dialog, "추가"), Qt::LeftButton);
        const QString told = QString("파일을 저장하지 못했습니다: %1\n(%2)").arg(m_phonePath, strerror(EFBIG));
        {
            FileSizeLimit diskFull;
            QTest::mouseClick(buttonLabelled(&dialog, "저장"), Qt::LeftButton);
            listOf(&dialog)->selectRow(3);
            QTest::mouseClick(buttonLabelled(&dialog, "전화걸기"), Qt::LeftButton);
        }
        QCOMPARE(prompts.told, (QStringList{told, told}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(column(&dialog, 1), (QStringList{"Busan", "Seoul", "Jeju", "Daegu"}));
        QCOMPARE(readAll(m_phonePath), QByteArray(threeSites));

        // Once there is room again the same edits go out, silently.
        QTest::mouseClick(buttonLabelled(&dialog, "전화걸기"), Qt::LeftButton);
        QCOMPARE(prompts.told.size(), 2);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosenEntry().name, std::string("Daegu"));
        QCOMPARE(readPhoneBook(m_phonePath.toStdString()).size(), std::size_t(4));
    }

    void aPhoneBookThatIsNoFileIsToldOnceAndNeverReplaced()
    {
        // A FIFO would block the opening for ever; it opens empty, says why, and a
        // save leaves the FIFO in place.
        Watchdog watchdog;
        ScriptedPrompts prompts;
        QVERIFY(::mkfifo(QFile::encodeName(m_phonePath).constData(), 0600) == 0);
        PhoneBookDialog dialog(m_phonePath.toStdString());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(prompts.told.size(), 1);
        QCOMPARE(prompts.told[0], QString("파일을 읽을 수 없습니다: %1\n(일반 파일이 아닙니다)").arg(m_phonePath));
        QCOMPARE(listOf(&dialog)->rowCount(), 0);
        QTest::mouseClick(buttonLabelled(&dialog, "저장"), Qt::LeftButton);
        QCOMPARE(prompts.told.size(), 2);
        QVERIFY(prompts.told[1].startsWith("파일을 저장하지 못했습니다: "));
        QVERIFY(QFileInfo(m_phonePath).isFile() == false && QFileInfo::exists(m_phonePath));
    }

private:
    QTemporaryDir m_dir;
    QString m_phonePath;
};

QTEST_MAIN(BookDialogsTest)
#include "BookDialogsTest.moc"
