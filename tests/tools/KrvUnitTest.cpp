#include <gtest/gtest.h>

#include "base/TextCodec.h"
#include "tools/krv-sim/KrvUnit.h"

namespace {

std::string frame(const std::string& head, const std::string& payload)
{
    return "\xE2" + head + payload + "\xE3";
}

// Reads a status text the way the terminal's settings dialog does.
struct ParsedStatus {
    std::string speed, data, parity, stop, flow;
};
ParsedStatus parseAsTerminal(const std::string& text)
{
    const auto baud = text.find("[Baud]");
    const auto data = text.find("[Data]");
    const auto parity = text.find("[Parity]");
    const auto stop = text.find("[Stop]");
    const auto flow = text.find("[Flow]");
    return {text.substr(baud + 6, data - 4 - (baud + 6)), text.substr(data + 6, 1),
            text.substr(parity + 8, stop - 1 - (parity + 8)), text.substr(stop + 6, 1), text.substr(flow + 6)};
}

class KrvTest : public ::testing::Test {
protected:
    KrvTest()
    {
        m_account.busyPorts = {3};
        m_unit = std::make_unique<KrvUnit>(m_account, 3000, m_now);
    }
    std::string exchange(const std::string& bytes)
    {
        m_unit->receive(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), m_now);
        return m_unit->takeOutput();
    }
    void login()
    {
        ASSERT_EQ(exchange(frame("AI", "admin")), frame("AR", "PASS"));
        ASSERT_EQ(exchange(frame("AP", "pilvo")), frame("AR", "PASS"));
    }

    KrvAccount m_account;
    SimMillis m_now = 5000;
    std::unique_ptr<KrvUnit> m_unit;
};

}  // namespace

TEST_F(KrvTest, LoginChecksIdThenPassword)
{
    EXPECT_EQ(exchange(frame("AI", "root")), frame("AR", "FAIL"));
    EXPECT_EQ(exchange(frame("AP", "pilvo")), frame("AR", "FAIL"));  // ID not accepted yet
    EXPECT_EQ(exchange(frame("AI", "admin")), frame("AR", "PASS"));
    EXPECT_EQ(exchange(frame("AP", "wrong")), frame("AR", "FAIL"));
    EXPECT_FALSE(m_unit->loggedIn());
    // Bytes outside frames and a restarted frame are ignored.
    EXPECT_EQ(exchange("OK\r\n\xE2" "AIjunk" + frame("AP", "pilvo")), frame("AR", "PASS"));
    EXPECT_TRUE(m_unit->loggedIn());
}

TEST_F(KrvTest, FramesBeforeLoginAreRefused)
{
    EXPECT_EQ(exchange(frame("C1", "CONN")), frame("C1", "FAIL"));
    EXPECT_EQ(exchange(frame("AD", "admin boss")), frame("AR", "FAIL"));
    EXPECT_EQ(exchange(frame("D1", "ls\r")), frame("D1", "FAIL").replace(1, 1, "C"));
}

TEST_F(KrvTest, IdAndPasswordChangePair)
{
    login();
    EXPECT_EQ(exchange(frame("AD", "nobody boss")), frame("AR", "FAIL"));
    EXPECT_EQ(exchange(frame("AD", "admin boss")), frame("AR", "PASS"));
    EXPECT_EQ(exchange(frame("AW", "wrong secret")), frame("AR", "FAIL"));
    EXPECT_EQ(exchange(frame("AW", "pilvo secret")), frame("AR", "PASS"));
    EXPECT_EQ(m_unit->userId(), "boss");
    EXPECT_EQ(exchange(frame("AI", "boss")), frame("AR", "PASS"));
    EXPECT_EQ(exchange(frame("AP", "secret")), frame("AR", "PASS"));
}

TEST_F(KrvTest, ConnectReportsAStatusTextTheTerminalCanRead)
{
    login();
    const std::string reply = exchange(frame("C2", "conn"));
    ASSERT_EQ(reply, frame("C2", "[Baud]9600 bps[Data]8 bit[Parity]none [Stop]1 bit[Flow]none"));
    EXPECT_TRUE(m_unit->portConnected(2));

    const std::string changed = exchange(frame("C2", "115200 7 even 2 hardware"));
    const auto parsed = parseAsTerminal(changed.substr(3, changed.size() - 4));
    EXPECT_EQ(parsed.speed, "115200");
    EXPECT_EQ(parsed.data, "7");
    EXPECT_EQ(parsed.parity, "even");
    EXPECT_EQ(parsed.stop, "2");
    EXPECT_EQ(parsed.flow, "hardware");
    EXPECT_EQ(m_unit->portSettings(2).speed, "115200");

    EXPECT_EQ(exchange(frame("C2", "9600 8 none 1")), frame("C2", "FAIL"));
    EXPECT_EQ(exchange(frame("C2", "9600  none 1 none")), frame("C2", "FAIL"));
    EXPECT_EQ(exchange(frame("C3", "CONN")), frame("C3", "BUSY"));
    EXPECT_EQ(exchange(frame("C2", "DISC")), frame("C2", "PASS"));
    EXPECT_FALSE(m_unit->portConnected(2));
}

TEST_F(KrvTest, EchoDevicesAnswerOnlyWhenConnected)
{
    login();
    EXPECT_EQ(exchange(frame("D1", "ls\r")), "");
    exchange(frame("C1", "CONN"));
    EXPECT_EQ(exchange(frame("D1", "ls\r")), frame("D1", "ls\r\n> "));
    EXPECT_EQ(exchange(frame("D1", "\x03\r")), frame("D1", "^C\r\n> "));
    exchange(frame("C0", "CONN"));
    EXPECT_EQ(exchange(frame("D0", "\r")), frame("D0", "\r\n> "));
    m_account.busyPorts.clear();
    m_unit = std::make_unique<KrvUnit>(m_account, 3000, m_now);
    login();
    exchange(frame("C3", "CONN"));
    EXPECT_EQ(exchange(frame("D3", "dir a\r")), frame("D3", "DIR A\r\n> "));
}

TEST_F(KrvTest, PortTwoPrintsKoreanTextPeriodically)
{
    login();
    exchange(frame("C2", "CONN"));
    m_unit->tick(m_now + 2900);
    EXPECT_EQ(m_unit->takeOutput(), "");
    m_unit->tick(m_now + 3000);
    const std::string line = utf8ToCp949("서울1 온도 23도\r\n");
    EXPECT_EQ(m_unit->takeOutput(), frame("D2", line));
    EXPECT_EQ(cp949ToUtf8(line), "서울1 온도 23도\r\n");
    m_unit->tick(m_now + 6000);
    EXPECT_EQ(m_unit->takeOutput(), frame("D2", line));
    EXPECT_EQ(exchange(frame("D2", "\x03\r")), frame("D2", "^C\r\n"));
    exchange(frame("C2", "DISC"));
    m_unit->tick(m_now + 9000);
    EXPECT_EQ(m_unit->takeOutput(), "");
}
