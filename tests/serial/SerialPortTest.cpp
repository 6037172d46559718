// SerialPort against the scripted fake device: queueing, the data-ready event,
// close, a vanishing device and the checks open makes before touching a device.

#include <gtest/gtest.h>

#include <chrono>
#include <atomic>
#include <string>
#include <thread>

#include "serial/SerialPort.h"
#include "tests/serial/PortReading.h"
#include "tests/support/FakeSerialDevice.h"

using namespace std::chrono_literals;

namespace {

LineSettings settingsFor(const std::string& port, std::uint32_t baud = 9600)
{
    LineSettings settings;
    settings.portName = port;
    settings.baudRate = baud;
    return settings;
}

} // namespace

TEST(SerialPort, OpenRefusesSettingsTheLineCannotTake)
{
    FakeDeviceInstaller fakes;
    SerialPort port;
    LineSettings settings = settingsFor("COM1", 0);
    EXPECT_FALSE(port.open(settings)) << "baud 0 would divide by zero in the write limit";
    settings.baudRate = 9600;
    settings.dataBits = 9;
    EXPECT_FALSE(port.open(settings));
    settings.dataBits = 4;
    EXPECT_FALSE(port.open(settings));
    EXPECT_EQ(fakes.createdCount("COM1"), 0);
    EXPECT_FALSE(port.isOpen());

    settings.portName = "../COM1";
    settings.dataBits = 8;
    EXPECT_FALSE(port.open(settings));
}

TEST(SerialPort, AFailedDeviceOpenLeavesThePortClosed)
{
    FakeDeviceInstaller fakes;
    fakes.device("COM1")->failOpen(true);
    SerialPort port;
    EXPECT_FALSE(port.open(settingsFor("COM1")));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.write("x"), 0U);
    EXPECT_FALSE(port.carrierDetected());
}

TEST(SerialPort, BytesOfSeveralDrainsComeOutInArrivalOrder)
{
    FakeDeviceInstaller fakes;
    auto line = fakes.device("COM1");
    SerialPort port;
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    EXPECT_EQ(line->lastSettings().baudRate, 9600U);

    std::string sent;
    for (int chunk = 0; chunk < 40; ++chunk) {
        std::string bytes;
        for (int i = 0; i < 97; ++i) {
            bytes.push_back(static_cast<char>((chunk * 97 + i) % 256));
        }
        line->feed(bytes);
        sent += bytes;
    }
    // More than one 2048-byte read is needed for the bigger drains.
    line->feed(std::string(5000, 'z'));
    sent += std::string(5000, 'z');

    EXPECT_EQ(takeBytes(port, sent.size()), sent);
    std::uint8_t byte = 7;
    EXPECT_FALSE(port.takeByte(byte));
    EXPECT_EQ(byte, 7);
}

TEST(SerialPort, TakeBytesHandsOverQueuedBytesInOrderUpToTheLimit)
{
    FakeDeviceInstaller fakes;
    auto line = fakes.device("COM1");
    SerialPort port;
    std::uint8_t out[8] = {};
    EXPECT_EQ(port.takeBytes(out, sizeof out), 0U) << "not open, nothing queued";
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    line->feed("CONNECT 9600\r\n");
    ASSERT_TRUE(waitForQueued(port, 14));

    ASSERT_EQ(port.takeBytes(out, sizeof out), 8U);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 8), "CONNECT ");
    std::uint8_t byte = 0;
    ASSERT_TRUE(port.takeByte(byte));
    EXPECT_EQ(byte, '9');
    ASSERT_EQ(port.takeBytes(out, sizeof out), 5U);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 5), "600\r\n");
    EXPECT_EQ(port.takeBytes(out, sizeof out), 0U);
    EXPECT_EQ(port.queuedCount(), 0);
}

TEST(SerialPort, AWaitingConsumerIsReleasedWithTheWholeDrainQueued)
{
    FakeDeviceInstaller fakes;
    SerialPort port;
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    std::atomic<bool> released{false};
    std::atomic<std::int32_t> queuedAtRelease{-1};
    std::thread consumer([&] {
        released = port.dataReady().waitFor(5s);
        queuedAtRelease = port.queuedCount();
    });
    while (port.dataReady().waitingCount() < 1) {
        std::this_thread::sleep_for(1ms);
    }
    fakes.device("COM1")->feed("ATH0");
    consumer.join();
    EXPECT_TRUE(released.load());
    EXPECT_EQ(queuedAtRelease.load(), 4);
}

TEST(SerialPort, CloseEmptiesTheQueueAndASecondCloseDoesNothing)
{
    FakeDeviceInstaller fakes;
    auto line = fakes.device("COM1");
    SerialPort port;
    port.close();  // never opened
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    line->feed("hello");
    ASSERT_TRUE(waitForQueued(port, 5));
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(line->isOpen());
    std::uint8_t byte = 0;
    EXPECT_FALSE(port.takeByte(byte));
    EXPECT_EQ(port.queuedCount(), 0);
    const int purges = line->purgeCount();
    port.close();
    EXPECT_EQ(line->purgeCount(), purges);
}

TEST(SerialPort, WritesNeverWaitAndAHeldLineDropsThemAtTheLimitOfTheLineSpeed)
{
    FakeDeviceInstaller fakes;
    auto line = fakes.device("COM1");
    SerialPort port;
    ASSERT_TRUE(port.open(settingsFor("COM1", 2400)));
    EXPECT_EQ(port.write("ATZ\r"), 4U);
    EXPECT_EQ(line->written(), "ATZ\r") << "a line that takes them has them at once";
    EXPECT_EQ(line->lastWriteTimeoutMs(), 0) << "the device is never waited for";

    line->holdOutput(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.write("AT\r"), 3U);
    while (!port.outputSent(port.outputMark())) {
        std::this_thread::sleep_for(1ms);
        port.pumpOutput();
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, 24ms) << "3 bytes at 8 ms each";
    EXPECT_TRUE(port.takeOutputDropNotice());

    EXPECT_EQ(port.write("ATH\r"), 4U);
    port.close();
    EXPECT_FALSE(port.outputPending()) << "closing drops what waits";
}

TEST(SerialPort, AVanishedDeviceStopsTheReceiverAndWakesTheConsumer)
{
    FakeDeviceInstaller fakes;
    auto line = fakes.device("COM1");
    SerialPort port;
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    line->setCarrier(true);
    EXPECT_TRUE(port.carrierDetected());
    line->vanish();
    ASSERT_TRUE(port.dataReady().waitFor(2s));
    EXPECT_TRUE(port.lineLost());
    EXPECT_FALSE(port.carrierDetected());
    EXPECT_EQ(port.write("x"), 0U);
    port.close();
    EXPECT_FALSE(port.isOpen());

    line->reappear();
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    EXPECT_FALSE(port.lineLost());
}

TEST(SerialPort, ReopeningRightAfterCloseNeverLeavesTwoReceivers)
{
    FakeDeviceInstaller fakes;
    auto line = fakes.device("COM1");
    SerialPort port;
    for (int round = 0; round < 50; ++round) {
        ASSERT_TRUE(port.open(settingsFor("COM1")));
        line->feed("x");
        port.close();
    }
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    line->feed("ok");
    EXPECT_EQ(takeBytes(port, 2), "ok");
    EXPECT_EQ(line->openCount(), 51);
}
