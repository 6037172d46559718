// Rules behind the settings and directory dialogs, without any widget.

#include <gtest/gtest.h>

#include <climits>

#include "directory/BookEditing.h"
#include "directory/EntryChecks.h"
#include "directory/IpBook.h"
#include "directory/LocalPortForm.h"
#include "directory/PortStatusText.h"

namespace {

const std::string statusExample = "[Baud]19200abcd[Data]7x[Parity]odd [Stop]2;[Flow]hardware";

}  // namespace

TEST(PortStatusText, MatchesByPrefixIgnoringCase)
{
    const RemotePortChoice choice =
        choiceForStatusText("[Baud]1wxyz[Data]8 [Parity]NONE [Stop]1 [Flow]NoNe", RemotePortChoice{});
    EXPECT_EQ(remoteSettingsText(choice), "19200 8 none 1 none");
}

TEST(PortStatusText, UnknownValueKeepsTheCurrentSelection)
{
    const RemotePortChoice current = choiceForStatusText(statusExample, RemotePortChoice{});
    const RemotePortChoice choice =
        choiceForStatusText("[Baud]300xxxx[Data]9 [Parity]mark [Stop]3 [Flow]xon", current);
    EXPECT_EQ(choice, current);
}

TEST(PortStatusText, MissingTagsShowTheDefaultForTheirListsOnly)
{
    // No "[Data]": neither the speed (it ends before "[Data]") nor the data bits
    // can be read; an empty range must not pick "2400", the first item.
    const RemotePortChoice choice =
        choiceForStatusText("[Baud]19200abcd[Parity]odd [Stop]2;", RemotePortChoice{0, 0, 0, 0, 0});
    EXPECT_EQ(remoteSettingsText(choice), "9600 8 odd 2 none");
}

TEST(PortStatusText, TagsWithEmptyValuesSelectTheFirstItem)
{
    // Nothing between a tag and the next one: every item begins with the empty
    // value, so the first is chosen, never no selection and an empty field.
    const RemotePortChoice none;
    EXPECT_EQ(remoteSettingsText(choiceForStatusText("[Baud]19200abcd[Data]7x[Parity][Stop][Flow]none", none)),
              "19200 7 even 1 none");
    const auto values = parsePortStatusText("[Data]8 [Baud]19200 [Stop]1 [Parity]odd");
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->speed, "");
    EXPECT_EQ(values->parity, "");
    EXPECT_EQ(choiceForStatusText("[Data]8 [Baud]19200 [Stop]2 [Parity]odd [Flow]none", RemotePortChoice{3, 0, 1, 0, 0}),
              (RemotePortChoice{0, 1, 0, 1, 1}));
}

TEST(PortStatusText, ListsWithoutSelectionLeaveEmptyFields)
{
    EXPECT_EQ(remoteSettingsText(RemotePortChoice{}), "    ");
    EXPECT_EQ(remoteSettingsText(RemotePortChoice{6, -1, 0, 1, 0}), "115200  even 2 hardware");
}

TEST(LocalPortForm, StoresTheSpeedInHundreds)
{
    PortSettings settings;
    storeChoice(LocalPortChoice{7, 0, 1, 1}, settings);
    EXPECT_EQ(settings.baudHundreds, 1152);
    EXPECT_EQ(settings.dataBits, 5);
    EXPECT_EQ(settings.stopBits, 2);
    EXPECT_EQ(settings.parity, 1);
}

TEST(LocalPortForm, ValuesOutsideTheListsAreKeptNotZeroed)
{
    PortSettings settings;
    settings.baudHundreds = 3;  // 300 bit/s is not offered
    settings.dataBits = 9;
    settings.stopBits = 0;
    settings.parity = 4;
    const LocalPortChoice shown = choiceForSettings(settings);
    EXPECT_EQ(shown, LocalPortChoice{});
    const PortSettings before = settings;
    storeChoice(shown, settings);
    EXPECT_EQ(settings.baudHundreds, before.baudHundreds);
    EXPECT_EQ(settings.dataBits, before.dataBits);
    EXPECT_EQ(settings.stopBits, before.stopBits);
    EXPECT_EQ(settings.parity, before.parity);
}

TEST(LocalPortForm, SwitchingPortsStoresTheListsIntoThePortShownBefore)
{
    PortTable table;
    table[0].portName = "COM3";
    table[1].portName = "COM4";
    LocalPortForm form(table);
    LocalPortChoice lists = *form.showPort(0, LocalPortChoice{});
    lists.speed = 0;  // 2400 for COM3
    lists = *form.showPort(1, lists);
    EXPECT_EQ(form.shownPort(), 1);
    lists.parity = 2;  // even for COM4
    EXPECT_FALSE(form.showPort(-1, lists).has_value());
    EXPECT_EQ(form.shownPort(), 1);
    form.finish(lists);
    EXPECT_EQ(form.table()[0].baudHundreds, 24);
    EXPECT_EQ(form.table()[0].parity, table[0].parity);
    EXPECT_EQ(form.table()[1].parity, 2);
    EXPECT_EQ(form.table()[1].baudHundreds, table[1].baudHundreds);
}

TEST(BookEditing, IndexesFollowTheLastEntryAcrossGaps)
{
    IpBook book;
    EXPECT_EQ(nextEntryIndex(book), 0);
    book = {{0, "a", "", 0}, {1, "b", "", 0}, {2, "c", "", 0}};
    EXPECT_EQ(removeEntriesByIndex(book, 1), 1u);
    EXPECT_EQ(removeEntriesByIndex(book, 1), 0u);
    EXPECT_EQ(nextEntryIndex(book), 3);
    ASSERT_NE(findEntryByIndex(book, 2), nullptr);
    EXPECT_EQ(findEntryByIndex(book, 2)->name, "c");
    EXPECT_EQ(findEntryByIndex(book, 1), nullptr);
}

TEST(BookEditing, ChangesCountByStoredFieldsNotByIndexes)
{
    const PhoneBook saved{{0, "Busan", "051", false, "admin", "pilvo"}, {1, "Seoul", "02", true, "op", "pw"}};
    PhoneBook book = saved;
    EXPECT_FALSE(differsFromSaved(book, saved));
    book[1].password = "pw2";
    EXPECT_TRUE(differsFromSaved(book, saved));
    // Deleted and added back as it was: the gap in the indexes is no change.
    book = {saved[0], saved[1]};
    book[1].index = 7;
    EXPECT_FALSE(differsFromSaved(book, saved));
    book.pop_back();
    EXPECT_TRUE(differsFromSaved(book, saved));
    const IpBook ipSaved{{0, "a", "192.0.2.1", 23}};
    EXPECT_TRUE(differsFromSaved(IpBook{{0, "a", "192.0.2.1", 24}}, ipSaved));
    EXPECT_FALSE(differsFromSaved(IpBook{{5, "a", "192.0.2.1", 23}}, ipSaved));
}

TEST(BookEditing, RowNumbersAreIndexPlusOne)
{
    EXPECT_EQ(rowNumberText(0), "1");
    EXPECT_EQ(rowNumberText(1000), "1001");
    EXPECT_EQ(indexFromRowNumber("4"), 3);
    EXPECT_EQ(indexFromRowNumber(""), -1);  // a row position past the last row
    EXPECT_EQ(indexFromRowNumber("99999999999"), -1);
}

TEST(EntryChecks, PhoneEntryProblemsComeInOrder)
{
    PhoneEntry entry;
    entry.password = "a";
    EXPECT_EQ(checkPhoneEntry(entry, "b"), PhoneEntryProblem::EmptyName);
    entry.name = " ";
    EXPECT_EQ(checkPhoneEntry(entry, "b"), PhoneEntryProblem::EmptyNumber);
    entry.number = "0212345678";
    EXPECT_EQ(checkPhoneEntry(entry, "A"), PhoneEntryProblem::PasswordMismatch);
    EXPECT_EQ(checkPhoneEntry(entry, "a"), PhoneEntryProblem::None);
    entry.password.clear();
    EXPECT_EQ(checkPhoneEntry(entry, ""), PhoneEntryProblem::None);
}

TEST(EntryChecks, AddressesAreDottedIpv4OrHostNames)
{
    for (const char* good : {"192.0.2.5", "0.0.0.0", "255.255.255.255", "010.1.1.1", "krv-seoul", "krv1.example.org",
                             "a", "1.2.3.a", "xn--3e0b707e.kr"})
        EXPECT_TRUE(isHostAddress(good)) << good;
    for (const char* bad : {"999.1.1.1", "256.0.0.1", "1.2.3", "1.2.3.4.5", "1..2.3", "1.2.3.4.", "1.2.3.0400", "",
                            " 192.0.2.5", "192.0.2.5 ", "-krv", "krv-", "krv..org", "krv_1", "서울", "a b"})
        EXPECT_FALSE(isHostAddress(bad)) << bad;
    EXPECT_TRUE(isHostAddress(std::string(63, 'a') + ".kr"));
    EXPECT_FALSE(isHostAddress(std::string(64, 'a') + ".kr"));
    std::string long253;
    while (long253.size() < 253)
        long253 += long253.empty() ? "a" : ".a";
    EXPECT_TRUE(isHostAddress(long253));
    EXPECT_FALSE(isHostAddress(long253 + "a"));
}

TEST(EntryChecks, IntegerFields)
{
    EXPECT_EQ(parseIntegerField(" 7200 "), 7200);
    EXPECT_EQ(parseIntegerField("-1"), -1);
    EXPECT_EQ(parseIntegerField("+5"), 5);
    EXPECT_FALSE(parseIntegerField("").has_value());
    EXPECT_FALSE(parseIntegerField("-").has_value());
    EXPECT_FALSE(parseIntegerField("72 00").has_value());
    EXPECT_FALSE(parseIntegerField("7200x").has_value());
    EXPECT_FALSE(parseIntegerField("99999999999").has_value());
    EXPECT_EQ(parseIntegerField("2147483647"), 2147483647);
    EXPECT_FALSE(parseIntegerField("2147483648").has_value());
    EXPECT_EQ(parseIntegerField("-2147483648"), INT_MIN);
    EXPECT_FALSE(parseIntegerField("-2147483649").has_value());
}

TEST(EntryChecks, IpEntryProblemsComeInOrder)
{
    const std::string sixteenBytes = "\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1\xB0\xA1";
    EXPECT_EQ(checkIpEntry({sixteenBytes, "", "x"}), IpEntryProblem::NameTooLong);
    EXPECT_EQ(checkIpEntry({sixteenBytes.substr(0, 14) + "a", "1.2.3.4", "1"}), IpEntryProblem::None);
    EXPECT_EQ(checkIpEntry({"", "", "x"}), IpEntryProblem::PortNotInteger);
    EXPECT_EQ(checkIpEntry({"", "", "1"}), IpEntryProblem::EmptyName);
    EXPECT_EQ(checkIpEntry({"a", "", "99999"}), IpEntryProblem::EmptyAddress);
    EXPECT_EQ(checkIpEntry({"a", "b", "32700"}), IpEntryProblem::None);
    EXPECT_EQ(checkIpEntry({"a", "b", "0"}), IpEntryProblem::None);
    EXPECT_EQ(checkIpEntry({"a", "b", "32701"}), IpEntryProblem::PortOutOfRange);
    EXPECT_EQ(checkIpEntry({"a", "b", "-1"}), IpEntryProblem::PortOutOfRange);
    // The address is checked last, after the port's range.
    EXPECT_EQ(checkIpEntry({"a", "999.1.1.1", "70000"}), IpEntryProblem::PortOutOfRange);
    EXPECT_EQ(checkIpEntry({"a", "999.1.1.1", "23"}), IpEntryProblem::BadAddress);
    EXPECT_EQ(ipEntryMessage(IpEntryProblem::BadAddress), "IP주소가 잘못되었습니다. 확인하세요.");
    EXPECT_EQ(ipEntryMessage(IpEntryProblem::NameTooLong), "Please enter no more than 15 characters.");
}
