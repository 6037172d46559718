// The receive queue's high and low marks over the device seam: a scripted
// device, a pseudo-terminal and a network serial port. While the reader is
// behind, the receive thread leaves the bytes in the device and the sender is
// held back; once the reader catches up every byte arrives, in order.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "serial/SerialPort.h"
#include "serial/rfc2217/NetworkSerialDevice.h"
#include "tests/serial/posix/PseudoTerminal.h"
#include "tests/support/FakeSerialDevice.h"

using namespace std::chrono_literals;

namespace {

constexpr std::size_t highMark = SerialPort::receiveHighMark;
constexpr std::size_t lowMark = SerialPort::receiveLowMark;

LineSettings settingsFor(const std::string& port)
{
    LineSettings settings;
    settings.portName = port;
    settings.baudRate = 115200;
    return settings;
}

// The line's byte at a position: a hash of the position, so a lost or
// reordered byte shows at once. Never DC1, DC3 (flow control on a tty) or
// 0xFF (escaped on a network port).
char streamByte(std::size_t position)
{
    std::uint64_t x = position / 8 + 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x ^= x >> 31;
    auto byte = static_cast<unsigned char>(x >> (position % 8 * 8));
    if (byte == 0x11 || byte == 0x13 || byte == 0xFF) {
        byte ^= 0x40;
    }
    return static_cast<char>(byte);
}

std::string traffic(std::size_t from, std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = streamByte(from + i);
    }
    return bytes;
}

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds patience = 10s)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// The consumer's side: takes from the port in batches and checks every byte
// against the line's stream.
class StreamReader {
public:
    explicit StreamReader(SerialPort& port)
        : m_port(port)
    {
    }
    std::size_t position() const { return m_position; }
    bool intact() const { return m_intact; }

    // Takes until `count` bytes in all were taken, or the patience ends.
    void takeUpTo(std::size_t count, std::chrono::milliseconds patience = 60s)
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (m_position < count && std::chrono::steady_clock::now() < deadline) {
            if (take(count - m_position) == 0) {
                m_port.dataReady().waitFor(20ms);
            }
        }
    }
    // Takes until the queue is down to `level`.
    void takeDownTo(std::size_t level)
    {
        while (static_cast<std::size_t>(m_port.queuedCount()) > level) {
            take(static_cast<std::size_t>(m_port.queuedCount()) - level);
        }
    }

private:
    std::size_t take(std::size_t most)
    {
        std::uint8_t buffer[8192];
        const std::size_t n = m_port.takeBytes(buffer, std::min(most, sizeof buffer));
        for (std::size_t i = 0; i < n; ++i) {
            m_intact = m_intact && static_cast<char>(buffer[i]) == streamByte(m_position + i);
        }
        m_position += n;
        return n;
    }

    SerialPort& m_port;
    std::size_t m_position = 0;
    bool m_intact = true;
};

// The far end of a line: writes the bytes into a descriptor from its own
// thread, waiting whenever the descriptor takes no more.
class LineWriter {
public:
    LineWriter(int fd, std::size_t total)
        : m_fd(fd)
        , m_total(total)
    {
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        m_thread = std::thread([this] { run(); });
    }
    ~LineWriter()
    {
        m_stop = true;
        m_thread.join();
    }
    std::size_t total() const { return m_total.load(); }
    std::size_t sent() const { return m_sent.load(); }
    // Sends at most `more` bytes beyond what has been sent so far.
    void endSoon(std::size_t more) { m_total = std::min(m_total.load(), sent() + more); }

    // True when the writer has been stuck, the descriptor full, for `quiet`.
    bool heldBack(std::chrono::milliseconds quiet) const
    {
        const std::size_t before = sent();
        std::this_thread::sleep_for(quiet);
        return sent() == before && before < total();
    }

private:
    void run()
    {
        std::string chunk;
        std::size_t offset = 0;  // into chunk
        while (!m_stop && m_sent < m_total) {
            if (offset == chunk.size()) {
                chunk = traffic(m_sent, std::min<std::size_t>(65536, m_total - m_sent));
                offset = 0;
            }
            const std::size_t length = std::min(chunk.size() - offset, m_total - m_sent);
            const ssize_t n = ::write(m_fd, chunk.data() + offset, length);
            if (n > 0) {
                offset += static_cast<std::size_t>(n);
                m_sent += static_cast<std::size_t>(n);
                continue;
            }
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 20);
        }
    }

    int m_fd;
    std::atomic<std::size_t> m_total;
    std::atomic<std::size_t> m_sent{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Holds the port at its high mark, shows the sender is held back, lets the
// reader take the queue down to the low mark and everything after, and checks
// that nothing was lost or reordered and the queue's storage went back.
void holdReleaseAndCompare(SerialPort& port, LineWriter& writer)
{
    ASSERT_TRUE(eventually([&] { return port.isReceiveHeld(); }));
    // The device's own buffers fill up behind the held queue; then the
    // sender is stuck, even while the window thread asks for the carrier
    // (which reads the network port's socket on its own).
    EXPECT_TRUE(eventually([&] {
        port.carrierDetected();
        return writer.heldBack(100ms);
    })) << "the sender must be held back";
    writer.endSoon(highMark);  // enough to see it let go; the rest need not be sent
    const auto queued = static_cast<std::size_t>(port.queuedCount());
    EXPECT_GE(queued, highMark);
    EXPECT_LT(queued, highMark + SerialPort::readChunkSize);
    EXPECT_LE(port.queueChunkCount(), highMark / ByteQueue::chunkCapacity + 3);

    StreamReader reader(port);
    reader.takeDownTo(lowMark + 1);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(static_cast<std::size_t>(port.queuedCount()), lowMark + 1) << "above the low mark nothing is read";
    reader.takeDownTo(lowMark);
    EXPECT_TRUE(eventually([&] { return static_cast<std::size_t>(port.queuedCount()) > lowMark; }))
        << "the low mark lets reading go on";

    reader.takeUpTo(writer.total());
    EXPECT_EQ(reader.position(), writer.total());
    EXPECT_TRUE(reader.intact()) << "bytes lost or reordered";
    // The writer counts a write once it has returned, which may be after the
    // reader already has the bytes.
    EXPECT_TRUE(eventually([&] { return writer.sent() == writer.total(); }));
    EXPECT_LE(port.queueChunkCount(), 1U) << "a drained queue keeps at most one spare chunk";
}

} // namespace

TEST(ReceiveFlow, ClosingReleasesAHeldReceiveThreadAndGivesTheQueueBack)
{
    FakeDeviceInstaller fakes;
    auto line = fakes.device("COM1");
    SerialPort port;
    ASSERT_TRUE(port.open(settingsFor("COM1")));
    line->feed(traffic(0, 2 * highMark));
    ASSERT_TRUE(eventually([&] { return port.isReceiveHeld(); }));
    port.close();  // joins the receive thread: it must not stay held
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.isReceiveHeld());
    EXPECT_EQ(port.queuedCount(), 0);
    EXPECT_EQ(port.queueChunkCount(), 0U);
}

TEST(ReceiveFlow, APseudoTerminalWriterIsHeldBackAndLosesNothing)
{
    PseudoTerminal pty;
    ASSERT_TRUE(pty.valid());
    setenv("EMUVOLA_SERIAL_MAP", ("PTY=" + pty.slavePath()).c_str(), 1);
    setenv("EMUVOLA_DATA_DIR", "/nonexistent-emu-data", 1);
    SerialPort port;
    ASSERT_TRUE(port.open(settingsFor("PTY")));
    {
        LineWriter writer(pty.master(), 2 * highMark + lowMark);
        holdReleaseAndCompare(port, writer);
    }
    port.close();
    unsetenv("EMUVOLA_SERIAL_MAP");
    unsetenv("EMUVOLA_DATA_DIR");
}

TEST(ReceiveFlow, ANetworkPeerIsHeldBackThroughTheTcpWindowAndLosesNothing)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int port = ntohs(address.sin_port);
    // The peer accepts the com port option and answers nothing more: the
    // open waits for the rest of its replies only briefly.
    setSerialDeviceFactory([port](const std::string&) {
        return std::make_unique<NetworkSerialDevice>("127.0.0.1", port, NetworkSerialDevice::Timing{2000, 20, 20, 1000});
    });
    int peer = -1;
    std::thread acceptor([&] {
        peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        const unsigned char doComPort[] = {0xFF, 0xFD, 0x2C};
        if (peer >= 0)
            (void)::write(peer, doComPort, sizeof doComPort);
    });
    SerialPort serial;
    const bool opened = serial.open(settingsFor("NET"));
    acceptor.join();
    ASSERT_TRUE(opened);
    ASSERT_GE(peer, 0);
    {
        // More than the queue and the socket buffers of both ends can hold
        // (the receiving end's may grow to 32 MiB on loopback); the writer
        // stops soon after it has been held back.
        LineWriter writer(peer, 48u << 20);
        holdReleaseAndCompare(serial, writer);
    }
    serial.close();
    setSerialDeviceFactory({});
    ::close(peer);
    ::close(listener);
}
