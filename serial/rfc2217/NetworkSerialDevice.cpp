#include "serial/rfc2217/NetworkSerialDevice.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/rfc2217/ComPortCommands.h"
#include "serial/rfc2217/TcpSocket.h"

using namespace telnet;

namespace {

// This side offers the com port option, binary and suppress-go-ahead, and
// accepts binary and suppress-go-ahead from the server (plus the com port
// option, which some servers announce themselves).
OptionNegotiator clientOptions()
{
    return OptionNegotiator({OptComPort, OptBinary, OptSga}, {OptBinary, OptSga, OptComPort});
}

}  // namespace

NetworkSerialDevice::NetworkSerialDevice(std::string host, int port, Timing timing)
    : host_(std::move(host)), port_(port), timing_(timing), options_(clientOptions())
{
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

NetworkSerialDevice::~NetworkSerialDevice()
{
    close();
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

bool NetworkSerialDevice::open(const LineSettings& settings)
{
    close();
    const std::int64_t negotiationDeadline = tcp::nowMs() + timing_.connectMs;
    const int fd = tcp::connectWithTimeout(host_, port_, timing_.connectMs);
    if (fd < 0) {
        return false;
    }
    std::unique_lock receiveLock(receiveMutex_);
    {
        std::lock_guard bufferLock(bufferMutex_);
        buffer_.clear();
        acks_.reset();
    }
    parser_ = Parser{};
    options_ = clientOptions();
    gone_ = false;
    carrier_ = false;
    modemStateSeen_ = false;
    comPortReplySeen_ = false;
    closing_ = false;
    fd_ = fd;

    Bytes out;
    const std::pair<std::uint8_t, std::uint8_t> offers[] = {
        {Will, OptComPort}, {Will, OptBinary}, {Do, OptBinary}, {Will, OptSga}, {Do, OptSga}};
    for (const auto& [verb, option] : offers) {
        const Bytes request = options_.request(verb, option);
        out.insert(out.end(), request.begin(), request.end());
    }
    const auto commands = comport::lineSettingCommands(settings);
    for (const auto& command : commands) {
        const Bytes bytes = comport::encode(command);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    const Bytes mask = comport::encode({comport::SetModemStateMask, {0xFF}});
    out.insert(out.end(), mask.begin(), mask.end());
    if (!sendControl(out)) {
        receiveLock.unlock();
        close();
        return false;
    }

    // A connection the server has not taken up (it still sits in the listen
    // queue, or the server talks no com port control) is no open port.
    const bool negotiated = pumpUntil(negotiationDeadline, [&] { return comPortAccepted() || comPortRefused(); })
        && comPortAccepted();
    if (!negotiated) {
        receiveLock.unlock();
        close();
        return false;
    }

    // Give the server a moment to acknowledge the settings and report the
    // modem state; missing acks are common and never fail the open.
    const auto allAcked = [&] {
        if (!modemStateSeen_) {
            return false;
        }
        std::lock_guard bufferLock(bufferMutex_);
        for (const auto& command : commands) {
            if (!acks_.test(command.code)) {
                return false;
            }
        }
        return true;
    };
    bool alive = pumpUntil(tcp::nowMs() + timing_.acksMs, allAcked);
    if (alive && !modemStateSeen_) {
        // The first report can be lost; ask once more.
        alive = sendControl(mask) && pumpUntil(tcp::nowMs() + timing_.modemStateMs, [&] { return modemStateSeen_.load(); });
    }
    receiveLock.unlock();
    if (!alive) {
        close();
        return false;
    }
    return true;
}

template <typename Done>
bool NetworkSerialDevice::pumpUntil(std::int64_t deadline, Done done)
{
    for (;;) {
        pump();
        if (gone_) {
            return false;
        }
        if (done()) {
            return true;
        }
        const std::int64_t left = deadline - tcp::nowMs();
        if (left <= 0) {
            return true;
        }
        pollfd p{fd_, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
}

bool NetworkSerialDevice::comPortAccepted() const
{
    return (options_.localEnabled(OptComPort) && !options_.localPending(OptComPort))
        || options_.remoteEnabled(OptComPort) || comPortReplySeen_;
}

bool NetworkSerialDevice::comPortRefused() const
{
    return !options_.localEnabled(OptComPort) && !options_.localPending(OptComPort);
}

void NetworkSerialDevice::closeSocket()
{
    const int fd = fd_.exchange(-1);
    if (fd >= 0) {
        ::close(fd);
    }
}

void NetworkSerialDevice::close()
{
    if (fd_ < 0) {
        return;
    }
    closing_ = true;
    wake();
    std::lock_guard receiveLock(receiveMutex_);
    std::lock_guard sendLock(sendMutex_);
    closeSocket();
    carrier_ = false;
    {
        std::lock_guard bufferLock(bufferMutex_);
        buffer_.clear();
    }
    closing_ = false;
}

void NetworkSerialDevice::purge()
{
    if (fd_ >= 0) {
        sendControl(comport::encode({comport::PurgeData, {comport::PurgeBoth}}));
    }
    std::lock_guard bufferLock(bufferMutex_);
    buffer_.clear();
}

void NetworkSerialDevice::wake()
{
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

DeviceWait NetworkSerialDevice::waitForInput()
{
    if (closing_) {
        // close() is waiting for the receive side; never block it.
        return DeviceWait::Woken;
    }
    std::lock_guard receiveLock(receiveMutex_);
    for (;;) {
        {
            std::lock_guard bufferLock(bufferMutex_);
            if (!buffer_.empty()) {
                return DeviceWait::Readable;
            }
        }
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
        const bool connected = fds[1].fd >= 0 && !gone_;
        // Without a connection only a wake can end the wait, and the caller
        // learns at once that the device is gone.
        if (!connected) {
            std::uint64_t count = 0;
            if (::read(wakeFd_, &count, sizeof count) > 0) {
                return DeviceWait::Woken;
            }
            return DeviceWait::Gone;
        }
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return DeviceWait::Gone;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_, &count, sizeof count);
            return DeviceWait::Woken;
        }
        if (fds[1].revents != 0) {
            pump();
        }
    }
}

std::size_t NetworkSerialDevice::readAvailable(std::uint8_t* buffer, std::size_t capacity)
{
    std::lock_guard bufferLock(bufferMutex_);
    std::size_t count = 0;
    while (count < capacity && !buffer_.empty()) {
        buffer[count++] = buffer_.front();
        buffer_.pop_front();
    }
    return count;
}

std::size_t NetworkSerialDevice::write(const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    if (length == 0 || fd_ < 0 || gone_) {
        return 0;
    }
    Bytes escaped;
    escaped.reserve(length + 8);
    appendEscaped(escaped, data, length);
    std::size_t sent = 0;
    {
        std::lock_guard sendLock(sendMutex_);
        if (fd_ < 0) {
            return 0;
        }
        sent = tcp::sendAll(fd_, escaped.data(), escaped.size(), timeoutMs);
    }
    if (sent == escaped.size()) {
        return length;
    }
    // Count the data bytes whose whole encoding went out.
    std::size_t written = 0;
    std::size_t used = 0;
    for (std::size_t i = 0; i < length; ++i) {
        used += data[i] == Iac ? 2 : 1;
        if (used > sent) {
            break;
        }
        ++written;
    }
    return written;
}

bool NetworkSerialDevice::carrierDetected()
{
    // Pick up a pending modem state report when no receive thread is reading.
    std::unique_lock receiveLock(receiveMutex_, std::try_to_lock);
    if (receiveLock.owns_lock() && fd_ >= 0) {
        pump();
    }
    return carrier_ && !gone_ && fd_ >= 0;
}

bool NetworkSerialDevice::acknowledged(std::uint8_t code) const
{
    std::lock_guard bufferLock(bufferMutex_);
    return code < acks_.size() && acks_.test(code);
}

void NetworkSerialDevice::pump()
{
    const int fd = fd_;
    if (fd < 0 || gone_) {
        return;
    }
    std::uint8_t chunk[4096];
    std::vector<Event> events;
    // Decoded data waits here only until the receive thread takes it; past
    // maxBuffered the rest stays in the socket, so a receive thread that has
    // stopped reading holds the peer back through the TCP window.
    std::size_t alreadyBuffered = 0;
    {
        std::lock_guard bufferLock(bufferMutex_);
        alreadyBuffered = buffer_.size();
    }
    std::size_t decoded = 0;  // data bytes in `events`
    while (alreadyBuffered + decoded < maxBuffered) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            parser_.feed(chunk, static_cast<std::size_t>(n), events);
            decoded = 0;
            for (const Event& event : events) {
                if (event.kind == Event::Kind::Data) {
                    decoded += event.payload.size();
                }
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            gone_ = true;
            carrier_ = false;
        }
        break;
    }
    for (const Event& event : events) {
        handle(event);
    }
}

void NetworkSerialDevice::handle(const Event& event)
{
    switch (event.kind) {
    case Event::Kind::Data: {
        std::lock_guard bufferLock(bufferMutex_);
        buffer_.insert(buffer_.end(), event.payload.begin(), event.payload.end());
        break;
    }
    case Event::Kind::Negotiation: {
        const Bytes reply = options_.receive(event.verb, event.option);
        if (!reply.empty()) {
            sendControl(reply);
        }
        break;
    }
    case Event::Kind::Subnegotiation:
        if (event.option == OptComPort) {
            handleComPort(event.payload);
        }
        break;
    case Event::Kind::Command:
        break;
    }
}

void NetworkSerialDevice::handleComPort(const Bytes& payload)
{
    if (payload.empty() || payload[0] < comport::ServerOffset) {
        return;
    }
    const std::uint8_t code = payload[0] - comport::ServerOffset;
    comPortReplySeen_ = true;
    if (code == comport::NotifyModemState) {
        if (payload.size() >= 2) {
            carrier_ = (payload[1] & comport::ModemCarrier) != 0;
            modemStateSeen_ = true;
        }
        return;
    }
    std::lock_guard bufferLock(bufferMutex_);
    if (code < acks_.size()) {
        acks_.set(code);
    }
}

bool NetworkSerialDevice::sendControl(const Bytes& bytes)
{
    std::lock_guard sendLock(sendMutex_);
    const int fd = fd_;
    return fd >= 0 && tcp::sendAll(fd, bytes.data(), bytes.size(), timing_.controlSendMs) == bytes.size();
}
