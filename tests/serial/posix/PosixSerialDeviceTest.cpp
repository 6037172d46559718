// The tty device and SerialPort on real pseudo-terminals: the test holds the
// master side, the code under test opens the slave.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "serial/SerialPort.h"
#include "serial/posix/PosixSerialDevice.h"
#include "serial/posix/TermiosSpeed.h"
#include "tests/serial/PortReading.h"
#include "tests/serial/posix/PseudoTerminal.h"

using namespace std::chrono_literals;

namespace {

LineSettings lineSettings(std::uint32_t baud, int dataBits, int stopBitsCode, int parityCode)
{
    LineSettings settings;
    settings.portName = "PTY";
    settings.baudRate = baud;
    settings.dataBits = dataBits;
    settings.stopBitsCode = stopBitsCode;
    settings.parityCode = parityCode;
    return settings;
}

termios slaveTermios(const PseudoTerminal& pty)
{
    termios tio {};
    tcgetattr(pty.master(), &tio);  // on a master this reads the slave's settings
    return tio;
}

std::size_t threadCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

double processCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// SerialPort reaches the pseudo-terminal through the port map, as a user's
// "PTY=/dev/pts/N" entry would.
class PtyPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.valid());
        const std::string map = "PTY=" + m_pty.slavePath();
        setenv("EMUVOLA_SERIAL_MAP", map.c_str(), 1);
        setenv("EMUVOLA_DATA_DIR", "/nonexistent-emu-data", 1);
    }
    void TearDown() override
    {
        m_port.close();
        unsetenv("EMUVOLA_SERIAL_MAP");
        unsetenv("EMUVOLA_DATA_DIR");
    }

    PseudoTerminal m_pty;
    SerialPort m_port;
};

} // namespace

TEST(PosixSerialDevice, APortHeldByAnotherOpenerFails)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.valid());
    PosixSerialDevice holder(pty.slavePath());
    PosixSerialDevice other(pty.slavePath());
    const LineSettings settings = lineSettings(9600, 8, 1, 0);
    ASSERT_TRUE(holder.open(settings));
    EXPECT_FALSE(other.open(settings));
    holder.close();
    EXPECT_TRUE(other.open(settings));
}

// A pseudo-terminal forces 8 data bits and no parity, so those are checked on
// the termios form (TermiosSettingsTest); the rest must reach the device.
TEST(PosixSerialDevice, LineSettingsReachTheDevice)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.valid());
    PosixSerialDevice device(pty.slavePath());

    ASSERT_TRUE(device.open(lineSettings(9600, 7, 2, 2)));
    termios tio = slaveTermios(pty);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0U);
    EXPECT_NE(tio.c_iflag & IXON, 0U);
    EXPECT_NE(tio.c_iflag & IXOFF, 0U);
    EXPECT_EQ(tio.c_cc[VSTART], 17);
    EXPECT_EQ(tio.c_cc[VSTOP], 19);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0U) << "raw mode";
    EXPECT_EQ(tio.c_iflag & ICRNL, 0U) << "raw mode";
    EXPECT_NE(tio.c_cflag & HUPCL, 0U);
    device.close();

    // 28800 bit/s has no B constant and goes through termios2.
    ASSERT_TRUE(device.open(lineSettings(28800, 8, 1, 0)));
    std::uint32_t in = 0;
    std::uint32_t out = 0;
    ASSERT_TRUE(readTerminalSpeed(pty.master(), in, out));
    EXPECT_EQ(out, 28800U);
    EXPECT_EQ(in, 28800U);
    EXPECT_EQ(slaveTermios(pty).c_cflag & CSTOPB, 0U);
    device.close();

    ASSERT_TRUE(device.open(lineSettings(2400, 8, 3, 0)));
    tio = slaveTermios(pty);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B2400));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0U) << "stop-bits code 3 is one and a half";
}

TEST(PosixSerialDevice, ABlockedWaitIsReleasedByWakeEvenWhenItCameFirst)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.valid());
    PosixSerialDevice device(pty.slavePath());
    ASSERT_TRUE(device.open(lineSettings(9600, 8, 1, 0)));
    device.wake();
    EXPECT_EQ(device.waitForInput(), DeviceWait::Woken);
    EXPECT_FALSE(device.carrierDetected()) << "a pseudo-terminal has no modem lines";
}

TEST_F(PtyPortTest, BytesOfManyDrainsComeOutInArrivalOrder)
{
    ASSERT_TRUE(m_port.open(lineSettings(9600, 8, 1, 0)));
    std::string sent;
    for (int chunk = 0; chunk < 30; ++chunk) {
        std::string bytes;
        for (int i = 0; i < 300; ++i) {
            char c = static_cast<char>((chunk * 7 + i) % 256);
            if (c == 17 || c == 19) {
                c = 'x';  // DC1 and DC3 are flow control on this line
            }
            bytes.push_back(c);
        }
        ASSERT_TRUE(m_pty.send(bytes));
        sent += bytes;
        std::this_thread::sleep_for(2ms);
    }
    const std::string got = takeBytes(m_port, sent.size());
    EXPECT_EQ(got, sent);
}

TEST_F(PtyPortTest, WrittenBytesReachTheLine)
{
    ASSERT_TRUE(m_port.open(lineSettings(38400, 8, 1, 0)));
    EXPECT_EQ(m_port.write("ATDT123\r"), 8U);
    std::string got;
    char buffer[64];
    pollfd fd {m_pty.master(), POLLIN, 0};
    while (got.size() < 8 && poll(&fd, 1, 2000) > 0) {
        const ssize_t n = read(m_pty.master(), buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        got.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got, "ATDT123\r");
}

TEST_F(PtyPortTest, RepeatedOpenAndCloseLeavesExactlyOneReceiveThread)
{
    const std::size_t before = threadCount();
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(m_port.open(lineSettings(9600, 8, 1, 0)));
        m_port.close();
    }
    EXPECT_EQ(threadCount(), before);
    ASSERT_TRUE(m_port.open(lineSettings(9600, 8, 1, 0)));
    EXPECT_EQ(threadCount(), before + 1);
    m_port.close();
    EXPECT_EQ(threadCount(), before);
}

TEST_F(PtyPortTest, AVanishedDeviceNeitherSpinsNorCrashes)
{
    ASSERT_TRUE(m_port.open(lineSettings(9600, 8, 1, 0)));
    m_pty.closeMaster();
    ASSERT_TRUE(m_port.dataReady().waitFor(3s));
    // Any further drain has finished once the line is marked lost.
    for (int i = 0; i < 300 && !m_port.lineLost(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(m_port.lineLost());
    EXPECT_FALSE(m_port.carrierDetected());

    const double cpuBefore = processCpuMs();
    std::this_thread::sleep_for(300ms);
    const double cpuUsed = processCpuMs() - cpuBefore;
    EXPECT_LT(cpuUsed, 100.0) << "the receive thread must not spin on a dead device";

    EXPECT_EQ(m_port.write("x"), 0U);
    m_port.close();
    EXPECT_FALSE(m_port.isOpen());
}
