#include <gtest/gtest.h>

#include "tools/krv-sim/HayesModem.h"

namespace {

class ModemTest : public ::testing::Test {
protected:
    ModemTest()
    {
        config_ = SimConfig::defaults();
        config_.connectDelayMs = 1000;
        config_.commaPauseMs = 500;
        config_.guardTimeMs = 1000;
        modem_ = std::make_unique<HayesModem>(config_);
    }
    void send(const std::string& text)
    {
        modem_->receive(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), now_);
    }
    // Advances the clock in 10 ms ticks.
    void advance(SimMillis ms)
    {
        for (SimMillis end = now_ + ms; now_ < end;) {
            now_ += 10;
            modem_->tick(now_);
        }
    }
    std::string output() { return modem_->takeOutput(); }
    void connect()
    {
        send("ATDT 5551234\r");
        advance(1000);
        ASSERT_EQ(output(), "ATDT 5551234\r\r\nCONNECT 9600\r\n");
    }

    SimConfig config_;
    std::unique_ptr<HayesModem> modem_;
    SimMillis now_ = 100000;
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
    EXPECT_EQ(modem_->state(), HayesModem::State::Dialling);
    advance(1400);  // one comma (500 ms) plus the connect delay
    EXPECT_FALSE(modem_->carrier());
    advance(200);
    EXPECT_EQ(modem_->dialledNumber(), "5551234");
    EXPECT_TRUE(modem_->carrier());
    EXPECT_EQ(modem_->state(), HayesModem::State::Online);
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
    EXPECT_FALSE(modem_->carrier());
    EXPECT_EQ(modem_->state(), HayesModem::State::Command);
}

TEST_F(ModemTest, AnyCharacterAbortsDiallingAfterTheFirstMoment)
{
    send("ATDT 5551234\r");
    output();
    send("\r");  // within 125 ms: ignored
    advance(200);
    EXPECT_EQ(modem_->state(), HayesModem::State::Dialling);
    send("\r");
    EXPECT_EQ(output(), "\r\nNO CARRIER\r\n");
    advance(200);
    send("\r");  // the second CR of a cancel meets the command state
    advance(2000);
    EXPECT_EQ(output(), "\r");
    EXPECT_FALSE(modem_->carrier());
}

TEST_F(ModemTest, EscapeNeedsGuardTimeOnBothSides)
{
    connect();
    // Too soon after data: the pluses are data, no escape.
    send("x");
    advance(100);
    send("+++");
    advance(1500);
    EXPECT_EQ(modem_->state(), HayesModem::State::Online);
    output();

    advance(1000);
    send("+++");
    advance(500);
    send("a");  // breaks the trailing guard time
    advance(1500);
    EXPECT_EQ(modem_->state(), HayesModem::State::Online);

    advance(1000);
    send("+++");
    advance(1000);
    EXPECT_EQ(output(), "\r\nOK\r\n");
    EXPECT_EQ(modem_->state(), HayesModem::State::OnlineCommand);
    EXPECT_TRUE(modem_->carrier());

    send("ATO\r");
    EXPECT_EQ(output(), "ATO\r\r\nCONNECT 9600\r\n");
    EXPECT_EQ(modem_->state(), HayesModem::State::Online);
}

TEST_F(ModemTest, HangUpAfterEscapeDropsCarrier)
{
    connect();
    advance(1000);
    send("+++");
    advance(3000);
    send("ATH\r");
    EXPECT_EQ(output(), "\r\nOK\r\nATH\r\r\nOK\r\n");
    EXPECT_FALSE(modem_->carrier());
    EXPECT_EQ(modem_->krv(), nullptr);
    send("ATO\r");
    EXPECT_EQ(output(), "ATO\r\r\nNO CARRIER\r\n");
}

TEST_F(ModemTest, RemoteLossAndDropAfterGiveNoCarrier)
{
    connect();
    modem_->dropCarrier(now_);
    EXPECT_EQ(output(), "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(modem_->carrier());

    config_.dropAfterMs = 2000;
    modem_ = std::make_unique<HayesModem>(config_);
    connect();
    advance(1900);
    EXPECT_TRUE(modem_->carrier());
    advance(200);
    EXPECT_FALSE(modem_->carrier());
    EXPECT_EQ(output(), "\r\nNO CARRIER\r\n");
}
