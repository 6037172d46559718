// Runs the krv-sim program and talks to it as the terminal program would:
// over the network serial device, and on its pseudo-terminal.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/TextCodec.h"
#include "serial/rfc2217/Rfc2217Device.h"
#include "tests/rfc2217/DeviceTestSupport.h"

namespace {

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> arguments)
    {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            std::vector<char*> argv;
            arguments.insert(arguments.begin(), KRV_SIM_PATH);
            for (auto& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            ::execv(KRV_SIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_stdout = out[0];
    }
    ~SimProcess()
    {
        if (m_pid > 0 && !m_exited) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_stdout >= 0) {
            ::close(m_stdout);
        }
    }
    // The first stdout line, waiting at most timeoutMs.
    std::string readLine(int timeoutMs = 5000)
    {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        char c = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{m_stdout, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            if (::read(m_stdout, &c, 1) != 1 || c == '\n') {
                break;
            }
            line += c;
        }
        return line;
    }
    void signal(int number) { ::kill(m_pid, number); }
    // Exit status after SIGTERM, or -1 when it did not end in time.
    int terminate()
    {
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    bool m_exited = false;
};

std::string frame(const std::string& head, const std::string& payload)
{
    return "\xE2" + head + payload + "\xE3";
}

}  // namespace

TEST(KrvSimProcess, DialLoginAndRemotePortsOverTheNetworkPort)
{
    SimProcess sim({"--listen", "127.0.0.1:0", "--connect-delay", "100", "--comma-pause", "50", "--ticker-period",
                    "200"});
    const std::string line = sim.readLine();
    ASSERT_EQ(line.rfind("listening on 127.0.0.1:", 0), 0u) << line;
    const int port = std::stoi(line.substr(23));

    auto device = createRfc2217Device("127.0.0.1", port);
    LineSettings settings;
    settings.baudRate = 9600;
    ASSERT_TRUE(device->open(settings));
    EXPECT_FALSE(device->carrierDetected());
    {
        Collector rx(*device);
        writeText(*device, "ATZ\r");
        ASSERT_TRUE(rx.waitForText("ATZ\r\r\nOK\r\n"));
        writeText(*device, "ATDT 9,5551234\r");
        ASSERT_TRUE(rx.waitForText("CONNECT 9600"));
        EXPECT_TRUE(device->carrierDetected());

        writeText(*device, frame("AI", "admin"));
        ASSERT_TRUE(rx.waitForText(frame("AR", "PASS")));
        rx.clear();
        writeText(*device, frame("AP", "pilvo"));
        ASSERT_TRUE(rx.waitForText(frame("AR", "PASS")));
        writeText(*device, frame("C1", "CONN"));
        ASSERT_TRUE(rx.waitForText(frame("C1", "[Baud]9600 bps[Data]8 bit[Parity]none [Stop]1 bit[Flow]none")));
        writeText(*device, frame("D1", "hello\r"));
        ASSERT_TRUE(rx.waitForText(frame("D1", "hello\r\n> ")));
        writeText(*device, frame("C2", "CONN"));
        ASSERT_TRUE(rx.waitForText(frame("D2", utf8ToCp949("서울1 온도 23도\r\n"))));

        sim.signal(SIGUSR1);
        ASSERT_TRUE(rx.waitForText("\r\nNO CARRIER\r\n"));
        EXPECT_FALSE(device->carrierDetected());
    }
    device->close();
    // The next connection finds a fresh modem.
    ASSERT_TRUE(device->open(settings));
    {
        Collector rx(*device);
        writeText(*device, "ATDT 5550000\r");
        EXPECT_TRUE(rx.waitForText("\r\nBUSY\r\n"));
    }
    device->close();
    EXPECT_EQ(sim.terminate(), 0);
}

TEST(KrvSimProcess, ModemAnswersOnThePseudoTerminal)
{
    SimProcess sim({"--pty"});
    const std::string line = sim.readLine();
    ASSERT_EQ(line.rfind("pty /dev/", 0), 0u) << line;
    const int fd = ::open(line.substr(4).c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "AT\r", 3), 3);
    std::string got;
    for (int i = 0; i < 100 && got.find("OK\r\n") == std::string::npos; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char chunk[64];
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0) {
                got.append(chunk, static_cast<std::size_t>(n));
            }
        }
    }
    ::close(fd);
    EXPECT_NE(got.find("OK"), std::string::npos) << got;
    EXPECT_EQ(sim.terminate(), 0);
}

TEST(KrvSimProcess, HelpDescribesTheOptions)
{
    SimProcess sim({"--help"});
    const std::string first = sim.readLine();
    EXPECT_NE(first.find("krv-sim"), std::string::npos);
    EXPECT_EQ(sim.terminate() >= 0, true);
}
