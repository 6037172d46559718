#include <gtest/gtest.h>

#include "tools/krv-sim/HayesModem.h"

namespace {

class ModemTest : public ::testing::Test {
protected:
    ModemTest()
    {
        m_config = SimConfig::defaults();
        m_config.connectDelayMs = 1000;
        m_config.commaPauseMs = 500;
        m_config.guardTimeMs = 1000;
        m_modem = std::make_unique<HayesModem>(m_config);
    }
    void send(const std::string& text)
    {
        m_modem->receive(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), m_now);
    }
    // Advances the clock in 10 ms ticks.
    void advance(SimMillis ms)
    {
        for (SimMillis end = m_now + ms; m_now < end;) {
            m_now += 10;
            m_modem->tick(m_now);
        }
    }
    std::string output() { return m_modem->takeOutput(); }
    void connect()
    {
        send("ATDT 5551234\r");
        advance(1000);
        ASSERT_EQ(output(), "ATDT 5551234\r\r\nCONNECT 9600\r\n");
    }

    SimConfig m_config;
    std::unique_ptr<HayesModem> m_modem;
    SimMillis m_now = 100000;
};

}  // namespace

TEST_F(ModemTest, CommandStateEchoesAndAnswers)
{
    send("AT\r");
    EXPECT_EQ(output(), "AT\r\r\nOK\r\n");
    send("ATE0\r");
    EXPECT_EQ(output(), "ATE0\r\r\nOK\r\n");
    send("AT\r");
    EXPECT_EQ(output(), "\r\nOK\r\n");
    send("atz\r");
    EXPECT_EQ(output(), "\r\nOK\r\n");
    send("AT\r");  // ATZ restored echo
    EXPECT_EQ(output(), "AT\r\r\nOK\r\n");
    send("ATJ\r");
    EXPECT_EQ(output(), "ATJ\r\r\nERROR\r\n");
    send("ATV0\r");
    EXPECT_EQ(output(), "ATV0\r0\r");
    send("ATE2\r");
    EXPECT_EQ(output(), "ATE2\r4\r");
    send("hello\r");  // not a command line
    EXPECT_EQ(output(), "hello\r");
}

TEST_F(ModemTest, DialThroughOutsideLineReachesTheKrv)
{
    send("ATDT 9,555-1234\r");
    EXPECT_EQ(m_modem->state(), HayesModem::State::Dialling);
    advance(1400);  // one comma (500 ms) plus the connect delay
    EXPECT_FALSE(m_modem->carrier());
    advance(200);
    EXPECT_EQ(m_modem->dialledNumber(), "5551234");
    EXPECT_TRUE(m_modem->carrier());
    EXPECT_EQ(m_modem->state(), HayesModem::State::Online);
    EXPECT_EQ(output(), "ATDT 9,555-1234\r\r\nCONNECT 9600\r\n");

    // Online data goes to the KR-V and is never echoed.
    send("\xE2" "AIadmin\xE3");
    EXPECT_EQ(output(), "\xE2" "ARPASS\xE3");
}

TEST_F(ModemTest, DialResultsForBusyAndUnknownNumbers)
{
    send("ATD (555) 0000\r");
    advance(1000);
    EXPECT_EQ(output(), "ATD (555) 0000\r\r\nBUSY\r\n");
    send("ATDP5559999\r");
    advance(1000);
    EXPECT_EQ(output(), "ATDP5559999\r\r\nNO ANSWER\r\n");
    send("ATDT 1234\r");
    advance(1000);
    EXPECT_EQ(output(), "ATDT 1234\r\r\nNO CARRIER\r\n");
    EXPECT_FALSE(m_modem->carrier());
    EXPECT_EQ(m_modem->state(), HayesModem::State::Command);
}

TEST_F(ModemTest, AnyCharacterAbortsDiallingAfterTheFirstMoment)
{
    send("ATDT 5551234\r");
    output();
    send("\r");  // within 125 ms: ignored
    advance(200);
    EXPECT_EQ(m_modem->state(), HayesModem::State::Dialling);
    send("\r");
    EXPECT_EQ(output(), "\r\nNO CARRIER\r\n");
    advance(200);
    send("\r");  // the second CR of a cancel meets the command state
    advance(2000);
    EXPECT_EQ(output(), "\r");
    EXPECT_FALSE(m_modem->carrier());
}

TEST_F(ModemTest, EscapeNeedsGuardTimeOnBothSides)
{
    connect();
    // Too soon after data: the pluses are data, no escape.
    send("x");
    advance(100);
    send("+++");
    advance(1500);
    EXPECT_EQ(m_modem->state(), HayesModem::State::Online);
    output();

    advance(1000);
    send("+++");
    advance(500);
    send("a");  // breaks the trailing guard time
    advance(1500);
    EXPECT_EQ(m_modem->state(), HayesModem::State::Online);

    advance(1000);
    send("+++");
    advance(1000);
    EXPECT_EQ(output(), "\r\nOK\r\n");
    EXPECT_EQ(m_modem->state(), HayesModem::State::OnlineCommand);
    EXPECT_TRUE(m_modem->carrier());

    send("ATO\r");
    EXPECT_EQ(output(), "ATO\r\r\nCONNECT 9600\r\n");
    EXPECT_EQ(m_modem->state(), HayesModem::State::Online);
}

TEST_F(ModemTest, HangUpAfterEscapeDropsCarrier)
{
    connect();
    advance(1000);
    send("+++");
    advance(3000);
    send("ATH\r");
    EXPECT_EQ(output(), "\r\nOK\r\nATH\r\r\nOK\r\n");
    EXPECT_FALSE(m_modem->carrier());
    EXPECT_EQ(m_modem->krv(), nullptr);
    send("ATO\r");
    EXPECT_EQ(output(), "ATO\r\r\nNO CARRIER\r\n");
}

TEST_F(ModemTest, RemoteLossAndDropAfterGiveNoCarrier)
{
    connect();
    m_modem->dropCarrier(m_now);
    EXPECT_EQ(output(), "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(m_modem->carrier());

    m_config.dropAfterMs = 2000;
    m_modem = std::make_unique<HayesModem>(m_config);
    connect();
    advance(1900);
    EXPECT_TRUE(m_modem->carrier());
    advance(200);
    EXPECT_FALSE(m_modem->carrier());
    EXPECT_EQ(output(), "\r\nNO CARRIER\r\n");
}

// A number that is busy for its first calls, then answers: what a redial meets.
TEST(ModemBusyFirst, TheFirstCallsAreBusyThenTheUnitAnswers)
{
    SimConfig config = SimConfig::defaults();
    config.numbers["5551234"].busyFirst = 2;
    HayesModem modem(config);
    SimMillis now = 1000;
    const auto dial = [&] {
        const std::string command = "ATDT 5551234\r";
        modem.receive(reinterpret_cast<const std::uint8_t*>(command.data()), command.size(), now);
        for (SimMillis end = now + config.connectDelayMs + 20; now < end; now += 10)
            modem.tick(now);
        return modem.takeOutput();
    };
    EXPECT_EQ(dial(), "ATDT 5551234\r\r\nBUSY\r\n");
    EXPECT_EQ(dial(), "ATDT 5551234\r\r\nBUSY\r\n");
    EXPECT_EQ(dial(), "ATDT 5551234\r\r\nCONNECT 9600\r\n");
}
