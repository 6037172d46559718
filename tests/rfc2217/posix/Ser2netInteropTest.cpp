// The network serial device against ser2net exporting a pseudo-terminal on
// loopback: line settings must reach the terminal's termios and every byte
// value must cross both ways. Skipped when ser2net is not installed.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "serial/rfc2217/Rfc2217Device.h"
#include "tests/rfc2217/DeviceTestSupport.h"

namespace {

std::string findSer2net()
{
    std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    // Debian installs it in /usr/sbin, which a user's PATH often lacks.
    path += ":/usr/sbin:/sbin";
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto colon = path.find(':', start);
        const std::string dir = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        const std::string candidate = dir + "/ser2net";
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    return {};
}

int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::string readFromMaster(int master, std::size_t want, int timeoutMs)
{
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char chunk[256];
            const ssize_t n = ::read(master, chunk, sizeof chunk);
            if (n > 0) {
                got.append(chunk, static_cast<std::size_t>(n));
            }
        }
    }
    return got;
}

class Ser2netTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string ser2net = findSer2net();
        if (ser2net.empty()) {
            GTEST_SKIP() << "ser2net is not installed";
        }
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(::grantpt(m_master), 0);
        ASSERT_EQ(::unlockpt(m_master), 0);
        const std::string slavePath = ::ptsname(m_master);
        // Held open so the terminal settings can be read back at any time.
        m_slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(m_slave, 0);

        m_dir = std::filesystem::temp_directory_path() / ("ser2net-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        m_port = freeLoopbackPort();
        const auto config = m_dir / "ser2net.yaml";
        std::ofstream(config) << "connection: &con0\n"
                              << "    accepter: telnet(rfc2217),tcp,127.0.0.1," << m_port << "\n"
                              << "    enable: on\n"
                              << "    connector: serialdev(nouucplock=true)," << slavePath << ",9600n81,local\n";
        const std::string pidFile = (m_dir / "ser2net.pid").string();
        const std::string logFile = (m_dir / "ser2net.log").string();
        m_child = ::fork();
        if (m_child == 0) {
            const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(log, 1);
            ::dup2(log, 2);
            ::execl(ser2net.c_str(), "ser2net", "-n", "-d", "-u", "-c", config.c_str(), "-P", pidFile.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(m_child, 0);
    }

    void TearDown() override
    {
        m_collector.reset();
        if (m_device) {
            m_device->close();
        }
        if (m_child > 0) {
            ::kill(m_child, SIGTERM);
            int status = 0;
            ::waitpid(m_child, &status, 0);
        }
        if (m_slave >= 0) {
            ::close(m_slave);
        }
        if (m_master >= 0) {
            ::close(m_master);
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // ser2net needs a moment to start listening.
    bool openDevice(const LineSettings& settings)
    {
        m_device = createRfc2217Device("127.0.0.1", m_port);
        return eventually([&] { return m_device->open(settings); }, 8000);
    }

    int m_master = -1;
    int m_slave = -1;
    pid_t m_child = -1;
    int m_port = 0;
    std::filesystem::path m_dir;
    std::unique_ptr<SerialDevice> m_device;
    std::unique_ptr<Collector> m_collector;
};

}  // namespace

TEST_F(Ser2netTest, LineSettingsReachThePseudoTerminal)
{
    LineSettings settings;
    settings.baudRate = 19200;
    settings.dataBits = 7;
    settings.parityCode = 1;
    settings.stopBitsCode = 2;
    ASSERT_TRUE(openDevice(settings));
    // The kernel's pseudo-terminal always keeps CS8 and clears PARENB, so the
    // data size and parity enable cannot be seen there; speed, odd/even,
    // stop bits and XON/XOFF can.
    termios t{};
    const auto applied = [&] {
        return ::tcgetattr(m_slave, &t) == 0 && cfgetospeed(&t) == B19200 && (t.c_cflag & CSTOPB) != 0;
    };
    ASSERT_TRUE(eventually(applied, 3000));
    EXPECT_NE(t.c_cflag & PARODD, 0u);
    EXPECT_TRUE((t.c_iflag & IXON) != 0 && (t.c_iflag & IXOFF) != 0);
    // A pseudo-terminal has no modem lines.
    EXPECT_FALSE(m_device->carrierDetected());

    m_device->close();
    settings.baudRate = 57600;
    settings.parityCode = 2;
    settings.stopBitsCode = 1;
    ASSERT_TRUE(openDevice(settings));
    ASSERT_TRUE(eventually([&] { return ::tcgetattr(m_slave, &t) == 0 && cfgetospeed(&t) == B57600; }, 3000));
    EXPECT_EQ(t.c_cflag & PARODD, 0u);
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    EXPECT_TRUE((t.c_iflag & IXON) != 0 && (t.c_iflag & IXOFF) != 0);
}

TEST_F(Ser2netTest, SpecialBytesCrossBothWays)
{
    LineSettings settings;
    settings.baudRate = 9600;
    ASSERT_TRUE(openDevice(settings));
    m_collector = std::make_unique<Collector>(*m_device);
    const std::string out("\xFF\xE2\xE3\x00\r\x00\xFF\xFF" "A", 9);
    ASSERT_EQ(writeText(*m_device, out), out.size());
    EXPECT_EQ(readFromMaster(m_master, out.size(), 5000), out);

    const std::string in("\x00\xFF\xE2\xE3\r\x00\xFF" "b", 8);
    ASSERT_EQ(::write(m_master, in.data(), in.size()), static_cast<ssize_t>(in.size()));
    ASSERT_TRUE(m_collector->waitFor([&](const std::string& got) { return got.size() >= in.size(); }));
    EXPECT_EQ(m_collector->bytes(), in);
}
