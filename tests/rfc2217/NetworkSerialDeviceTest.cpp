// The network serial device against the simulator's server on loopback.

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "serial/rfc2217/ComPortCommands.h"
#include "serial/rfc2217/NetworkSerialDevice.h"
#include "serial/rfc2217/Rfc2217Device.h"
#include "serial/rfc2217/TcpSocket.h"
#include "tests/rfc2217/DeviceTestSupport.h"
#include "tools/krv-sim/HayesModem.h"
#include "tools/krv-sim/Rfc2217Server.h"

namespace {

// Sends every byte straight back.
class LoopEndpoint final : public LineEndpoint {
public:
    void receive(const std::uint8_t* data, std::size_t length, SimMillis) override
    {
        m_out.append(reinterpret_cast<const char*>(data), length);
    }
    void tick(SimMillis) override {}
    std::string takeOutput() override
    {
        std::string out;
        out.swap(m_out);
        return out;
    }
    bool carrier() const override { return false; }
    void terminalGone(SimMillis) override {}
    void dropCarrier(SimMillis) override {}

private:
    std::string m_out;
};

class ServerFixture : public ::testing::Test {
protected:
    void start(Rfc2217Server::EndpointFactory factory)
    {
        m_server = std::make_unique<Rfc2217Server>(std::move(factory));
        std::string error;
        ASSERT_TRUE(m_server->listen("127.0.0.1", 0, false, error)) << error;
        m_stepper = std::make_unique<StepThread<Rfc2217Server>>(*m_server);
        m_device = createRfc2217Device("127.0.0.1", m_server->port());
    }
    void TearDown() override
    {
        m_collector.reset();
        if (m_device) {
            m_device->close();
        }
        m_stepper.reset();
    }
    void collect() { m_collector = std::make_unique<Collector>(*m_device); }

    std::unique_ptr<Rfc2217Server> m_server;
    std::unique_ptr<StepThread<Rfc2217Server>> m_stepper;
    std::unique_ptr<SerialDevice> m_device;
    std::unique_ptr<Collector> m_collector;
};

LineSettings settings(std::uint32_t baud, int data, int parity, int stop)
{
    LineSettings s;
    s.portName = "SIM";
    s.baudRate = baud;
    s.dataBits = data;
    s.parityCode = parity;
    s.stopBitsCode = stop;
    return s;
}

SimConfig fastConfig()
{
    SimConfig config = SimConfig::defaults();
    config.connectDelayMs = 50;
    config.commaPauseMs = 20;
    return config;
}

}  // namespace

TEST_F(ServerFixture, OpenPutsLineSettingsOnTheServerAndGetsThemAcked)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(m_device->open(settings(19200, 7, 2, 2)));
    const auto state = m_server->lineState();
    EXPECT_EQ(state.baudRate, 19200u);
    EXPECT_EQ(state.dataSize, 7);
    EXPECT_EQ(state.parity, comport::ParityEven);
    EXPECT_EQ(state.stopSize, 2);
    EXPECT_EQ(state.flow, comport::ControlXonXoff);
    EXPECT_EQ(state.modemStateMask, 0xFF);
    auto& network = dynamic_cast<NetworkSerialDevice&>(*m_device);
    for (std::uint8_t code : {comport::SetBaudRate, comport::SetDataSize, comport::SetParity, comport::SetStopSize,
                              comport::SetControl}) {
        EXPECT_TRUE(network.acknowledged(code)) << int(code);
    }
    EXPECT_TRUE(network.modemStateKnown());
    EXPECT_FALSE(m_device->carrierDetected());

    m_device->purge();
    EXPECT_TRUE(eventually([&] { return m_server->lineState().purges == 1; }));
}

TEST_F(ServerFixture, EveryByteValueCrossesBothWaysIntact)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(m_device->open(settings(9600, 8, 0, 1)));
    collect();
    std::string block;
    for (int i = 0; i < 256; ++i) {
        block += static_cast<char>(i);
    }
    std::string all;
    for (int round = 0; round < 40; ++round) {
        all += block;
    }
    all += "\xFF";  // an IAC at the very end of the stream
    ASSERT_EQ(writeText(*m_device, all), all.size());
    ASSERT_TRUE(m_collector->waitFor([&](const std::string& got) { return got.size() >= all.size(); }));
    EXPECT_EQ(m_collector->bytes(), all);
}

TEST_F(ServerFixture, CarrierFollowsTheModemCall)
{
    start([] { return std::make_unique<HayesModem>(fastConfig()); });
    ASSERT_TRUE(m_device->open(settings(9600, 8, 0, 1)));
    EXPECT_FALSE(m_device->carrierDetected());
    collect();
    writeText(*m_device, "ATDT 9,5551234\r");
    ASSERT_TRUE(m_collector->waitForText("CONNECT 9600\r\n"));
    // Carrier is reported before the result text.
    EXPECT_TRUE(m_device->carrierDetected());

    writeText(*m_device, "\xE2" "AIadmin\xE3");
    EXPECT_TRUE(m_collector->waitForText("\xE2" "ARPASS\xE3"));

    m_server->requestCarrierDrop();
    ASSERT_TRUE(m_collector->waitForText("NO CARRIER"));
    EXPECT_FALSE(m_device->carrierDetected());
}

TEST_F(ServerFixture, ServerClosingTheConnectionMeansGone)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(m_device->open(settings(9600, 8, 0, 1)));
    collect();
    ASSERT_TRUE(eventually([&] { return m_server->hasClient(); }));
    m_server->requestDisconnect();
    EXPECT_TRUE(m_collector->waitGone());
    EXPECT_FALSE(m_device->carrierDetected());
    EXPECT_EQ(m_device->waitForInput(), DeviceWait::Gone);
    EXPECT_EQ(writeText(*m_device, "x"), 0u);
}

TEST_F(ServerFixture, WakeReleasesTheWaitEvenWhenItComesFirst)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(m_device->open(settings(9600, 8, 0, 1)));
    m_device->wake();
    EXPECT_EQ(m_device->waitForInput(), DeviceWait::Woken);
    auto waiting = std::async(std::launch::async, [&] { return m_device->waitForInput(); });
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    m_device->wake();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(waiting.get(), DeviceWait::Woken);
}

TEST_F(ServerFixture, ASecondClientIsToldTheLineIsBusyAndTheFirstKeepsIt)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(m_device->open(settings(9600, 8, 0, 1)));
    collect();

    auto second = createRfc2217Device("127.0.0.1", m_server->port());
    EXPECT_FALSE(second->open(settings(9600, 8, 0, 1)));

    // What a plain terminal connecting to the port sees.
    const tcp::Socket socket = tcp::connectWithTimeout("127.0.0.1", m_server->port(), 2000);
    ASSERT_NE(socket, tcp::noSocket);
    std::string told;
    std::uint8_t chunk[256];
    tcp::Received got;
    while (!got.closed && tcp::waitReadable(socket, 5000)) {
        got = tcp::receiveNow(socket, chunk, sizeof chunk);
        told.append(reinterpret_cast<const char*>(chunk), got.count);
    }
    tcp::closeSocket(socket);
    EXPECT_EQ(told, std::string(Rfc2217Server::busyMessage) + "\r\n");

    ASSERT_EQ(writeText(*m_device, "still mine"), 10u);
    EXPECT_TRUE(m_collector->waitForText("still mine"));
}

TEST(NetworkSerialDevice, OpenFailsWhenTheServerDoesNotTakeUpTheComPortOption)
{
    // A listening socket nobody accepts from (a busy server's queue): the TCP
    // connection is made by the kernel and then nothing ever comes.
    std::string error;
    const tcp::Socket queue = tcp::listenOn("127.0.0.1", 0, error);
    ASSERT_NE(queue, tcp::noSocket) << error;

    NetworkSerialDevice::Timing timing;
    timing.connectMs = 300;
    NetworkSerialDevice silent("127.0.0.1", tcp::localPort(queue), timing);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(silent.open(settings(9600, 8, 0, 1)));
    // It waited out the connect time limit for the negotiation.
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(250));
    EXPECT_FALSE(silent.carrierDetected());
    tcp::closeSocket(queue);
}

TEST(NetworkSerialDevice, OpenFailsWhenNothingListens)
{
    // Take a free loopback port and release it again.
    std::string error;
    const tcp::Socket taken = tcp::listenOn("127.0.0.1", 0, error);
    ASSERT_NE(taken, tcp::noSocket) << error;
    const int port = tcp::localPort(taken);
    tcp::closeSocket(taken);

    auto device = createRfc2217Device("127.0.0.1", port);
    EXPECT_FALSE(device->open(settings(9600, 8, 0, 1)));
    EXPECT_FALSE(device->carrierDetected());
    EXPECT_EQ(device->waitForInput(), DeviceWait::Gone);
    EXPECT_FALSE(createRfc2217Device("127.0.0.1", 0)->open(settings(9600, 8, 0, 1)));
}
