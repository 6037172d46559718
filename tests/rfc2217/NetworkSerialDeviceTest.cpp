// The network serial device against the simulator's server on loopback.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/rfc2217/ComPortCommands.h"
#include "serial/rfc2217/NetworkSerialDevice.h"
#include "serial/rfc2217/Rfc2217Device.h"
#include "tests/rfc2217/DeviceTestSupport.h"
#include "tools/krv-sim/HayesModem.h"
#include "tools/krv-sim/Rfc2217Server.h"

namespace {

// Sends every byte straight back.
class LoopEndpoint final : public LineEndpoint {
public:
    void receive(const std::uint8_t* data, std::size_t length, SimMillis) override
    {
        out_.append(reinterpret_cast<const char*>(data), length);
    }
    void tick(SimMillis) override {}
    std::string takeOutput() override
    {
        std::string out;
        out.swap(out_);
        return out;
    }
    bool carrier() const override { return false; }
    void terminalGone(SimMillis) override {}
    void dropCarrier(SimMillis) override {}

private:
    std::string out_;
};

class ServerFixture : public ::testing::Test {
protected:
    void start(Rfc2217Server::EndpointFactory factory)
    {
        server_ = std::make_unique<Rfc2217Server>(std::move(factory));
        std::string error;
        ASSERT_TRUE(server_->listen("127.0.0.1", 0, false, error)) << error;
        stepper_ = std::make_unique<StepThread<Rfc2217Server>>(*server_);
        device_ = createRfc2217Device("127.0.0.1", server_->port());
    }
    void TearDown() override
    {
        collector_.reset();
        if (device_) {
            device_->close();
        }
        stepper_.reset();
    }
    void collect() { collector_ = std::make_unique<Collector>(*device_); }

    std::unique_ptr<Rfc2217Server> server_;
    std::unique_ptr<StepThread<Rfc2217Server>> stepper_;
    std::unique_ptr<SerialDevice> device_;
    std::unique_ptr<Collector> collector_;
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
    ASSERT_TRUE(device_->open(settings(19200, 7, 2, 2)));
    const auto state = server_->lineState();
    EXPECT_EQ(state.baudRate, 19200u);
    EXPECT_EQ(state.dataSize, 7);
    EXPECT_EQ(state.parity, comport::ParityEven);
    EXPECT_EQ(state.stopSize, 2);
    EXPECT_EQ(state.flow, comport::ControlXonXoff);
    EXPECT_EQ(state.modemStateMask, 0xFF);
    auto& network = dynamic_cast<NetworkSerialDevice&>(*device_);
    for (std::uint8_t code : {comport::SetBaudRate, comport::SetDataSize, comport::SetParity, comport::SetStopSize,
                              comport::SetControl}) {
        EXPECT_TRUE(network.acknowledged(code)) << int(code);
    }
    EXPECT_TRUE(network.modemStateKnown());
    EXPECT_FALSE(device_->carrierDetected());

    device_->purge();
    EXPECT_TRUE(eventually([&] { return server_->lineState().purges == 1; }));
}

TEST_F(ServerFixture, EveryByteValueCrossesBothWaysIntact)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(device_->open(settings(9600, 8, 0, 1)));
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
    ASSERT_EQ(writeText(*device_, all), all.size());
    ASSERT_TRUE(collector_->waitFor([&](const std::string& got) { return got.size() >= all.size(); }));
    EXPECT_EQ(collector_->bytes(), all);
}

TEST_F(ServerFixture, CarrierFollowsTheModemCall)
{
    start([] { return std::make_unique<HayesModem>(fastConfig()); });
    ASSERT_TRUE(device_->open(settings(9600, 8, 0, 1)));
    EXPECT_FALSE(device_->carrierDetected());
    collect();
    writeText(*device_, "ATDT 9,5551234\r");
    ASSERT_TRUE(collector_->waitForText("CONNECT 9600\r\n"));
    // Carrier is reported before the result text.
    EXPECT_TRUE(device_->carrierDetected());

    writeText(*device_, "\xE2" "AIadmin\xE3");
    EXPECT_TRUE(collector_->waitForText("\xE2" "ARPASS\xE3"));

    server_->requestCarrierDrop();
    ASSERT_TRUE(collector_->waitForText("NO CARRIER"));
    EXPECT_FALSE(device_->carrierDetected());
}

TEST_F(ServerFixture, ServerClosingTheConnectionMeansGone)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(device_->open(settings(9600, 8, 0, 1)));
    collect();
    ASSERT_TRUE(eventually([&] { return server_->hasClient(); }));
    server_->requestDisconnect();
    EXPECT_TRUE(collector_->waitGone());
    EXPECT_FALSE(device_->carrierDetected());
    EXPECT_EQ(device_->waitForInput(), DeviceWait::Gone);
    EXPECT_EQ(writeText(*device_, "x"), 0u);
}

TEST_F(ServerFixture, WakeReleasesTheWaitEvenWhenItComesFirst)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(device_->open(settings(9600, 8, 0, 1)));
    device_->wake();
    EXPECT_EQ(device_->waitForInput(), DeviceWait::Woken);
    auto waiting = std::async(std::launch::async, [&] { return device_->waitForInput(); });
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    device_->wake();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(waiting.get(), DeviceWait::Woken);
}

TEST_F(ServerFixture, ASecondClientIsToldTheLineIsBusyAndTheFirstKeepsIt)
{
    start([] { return std::make_unique<LoopEndpoint>(); });
    ASSERT_TRUE(device_->open(settings(9600, 8, 0, 1)));
    collect();

    auto second = createRfc2217Device("127.0.0.1", server_->port());
    EXPECT_FALSE(second->open(settings(9600, 8, 0, 1)));

    // What a plain terminal connecting to the port sees.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(server_->port()));
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::string told;
    char chunk[256];
    ssize_t got = 0;
    while ((got = ::recv(fd, chunk, sizeof chunk, 0)) > 0) {
        told.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    EXPECT_EQ(told, std::string(Rfc2217Server::busyMessage) + "\r\n");

    ASSERT_EQ(writeText(*device_, "still mine"), 10u);
    EXPECT_TRUE(collector_->waitForText("still mine"));
}

TEST(NetworkSerialDevice, OpenFailsWhenTheServerDoesNotTakeUpTheComPortOption)
{
    // A listening socket nobody accepts from (a busy server's queue): the TCP
    // connection is made by the kernel and then nothing ever comes.
    const int queue = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(queue, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(::listen(queue, 4), 0);
    ::getsockname(queue, reinterpret_cast<sockaddr*>(&address), &size);

    NetworkSerialDevice::Timing timing;
    timing.connectMs = 300;
    NetworkSerialDevice silent("127.0.0.1", ntohs(address.sin_port), timing);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(silent.open(settings(9600, 8, 0, 1)));
    // It waited out the connect time limit for the negotiation.
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(250));
    EXPECT_FALSE(silent.carrierDetected());
    ::close(queue);
}

TEST(NetworkSerialDevice, OpenFailsWhenNothingListens)
{
    // Take a free loopback port and release it again.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);

    auto device = createRfc2217Device("127.0.0.1", ntohs(address.sin_port));
    EXPECT_FALSE(device->open(settings(9600, 8, 0, 1)));
    EXPECT_FALSE(device->carrierDetected());
    EXPECT_EQ(device->waitForInput(), DeviceWait::Gone);
    EXPECT_FALSE(createRfc2217Device("127.0.0.1", 0)->open(settings(9600, 8, 0, 1)));
}
