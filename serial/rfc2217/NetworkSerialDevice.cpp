#include "serial/rfc2217/NetworkSerialDevice.h"

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
    : m_host(std::move(host)), m_port(port), m_timing(timing), m_options(clientOptions())
{
}

NetworkSerialDevice::~NetworkSerialDevice()
{
    close();
}

bool NetworkSerialDevice::open(const LineSettings& settings)
{
    close();
    const std::int64_t negotiationDeadline = tcp::nowMs() + m_timing.connectMs;
    const tcp::Socket socket = tcp::connectWithTimeout(m_host, m_port, m_timing.connectMs);
    if (socket == tcp::noSocket) {
        return false;
    }
    std::unique_lock receiveLock(m_receiveMutex);
    {
        std::lock_guard bufferLock(m_bufferMutex);
        m_buffer.clear();
        m_acks.reset();
    }
    m_parser = Parser{};
    m_options = clientOptions();
    m_gone = false;
    m_carrier = false;
    m_modemStateSeen = false;
    m_comPortReplySeen = false;
    m_closing = false;
    m_socket = socket;

    Bytes out;
    const std::pair<std::uint8_t, std::uint8_t> offers[] = {
        {Will, OptComPort}, {Will, OptBinary}, {Do, OptBinary}, {Will, OptSga}, {Do, OptSga}};
    for (const auto& [verb, option] : offers) {
        const Bytes request = m_options.request(verb, option);
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
        if (!m_modemStateSeen) {
            return false;
        }
        std::lock_guard bufferLock(m_bufferMutex);
        for (const auto& command : commands) {
            if (!m_acks.test(command.code)) {
                return false;
            }
        }
        return true;
    };
    bool alive = pumpUntil(tcp::nowMs() + m_timing.acksMs, allAcked);
    if (alive && !m_modemStateSeen) {
        // The first report can be lost; ask once more.
        alive = sendControl(mask) && pumpUntil(tcp::nowMs() + m_timing.modemStateMs, [&] { return m_modemStateSeen.load(); });
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
        if (m_gone) {
            return false;
        }
        if (done()) {
            return true;
        }
        const std::int64_t left = deadline - tcp::nowMs();
        if (left <= 0) {
            return true;
        }
        tcp::waitReadable(m_socket, static_cast<int>(left));
    }
}

bool NetworkSerialDevice::comPortAccepted() const
{
    return (m_options.localEnabled(OptComPort) && !m_options.localPending(OptComPort))
        || m_options.remoteEnabled(OptComPort) || m_comPortReplySeen;
}

bool NetworkSerialDevice::comPortRefused() const
{
    return !m_options.localEnabled(OptComPort) && !m_options.localPending(OptComPort);
}

void NetworkSerialDevice::closeSocket()
{
    tcp::closeSocket(m_socket.exchange(tcp::noSocket));
}

void NetworkSerialDevice::close()
{
    if (m_socket == tcp::noSocket) {
        return;
    }
    m_closing = true;
    wake();
    std::lock_guard receiveLock(m_receiveMutex);
    std::lock_guard sendLock(m_sendMutex);
    closeSocket();
    m_carrier = false;
    {
        std::lock_guard bufferLock(m_bufferMutex);
        m_buffer.clear();
    }
    m_closing = false;
}

void NetworkSerialDevice::purge()
{
    if (m_socket != tcp::noSocket) {
        sendControl(comport::encode({comport::PurgeData, {comport::PurgeBoth}}));
    }
    std::lock_guard bufferLock(m_bufferMutex);
    m_buffer.clear();
}

void NetworkSerialDevice::wake()
{
    m_waker.wake();
}

DeviceWait NetworkSerialDevice::waitForInput()
{
    if (m_closing) {
        // close() is waiting for the receive side; never block it.
        return DeviceWait::Woken;
    }
    std::lock_guard receiveLock(m_receiveMutex);
    for (;;) {
        {
            std::lock_guard bufferLock(m_bufferMutex);
            if (!m_buffer.empty()) {
                return DeviceWait::Readable;
            }
        }
        const tcp::Socket socket = m_socket;
        // Without a connection only a wake can end the wait, and the caller
        // learns at once that the device is gone.
        if (socket == tcp::noSocket || m_gone) {
            return m_waker.takeWake() ? DeviceWait::Woken : DeviceWait::Gone;
        }
        switch (m_waker.wait({socket}, -1)) {
        case tcp::Waker::Result::Woken: return DeviceWait::Woken;
        case tcp::Waker::Result::Ready: pump(); break;
        case tcp::Waker::Result::TimedOut: break;
        }
    }
}

std::size_t NetworkSerialDevice::readAvailable(std::uint8_t* buffer, std::size_t capacity)
{
    std::lock_guard bufferLock(m_bufferMutex);
    std::size_t count = 0;
    while (count < capacity && !m_buffer.empty()) {
        buffer[count++] = m_buffer.front();
        m_buffer.pop_front();
    }
    return count;
}

std::size_t NetworkSerialDevice::write(const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    if (length == 0 || m_socket == tcp::noSocket || m_gone) {
        return 0;
    }
    Bytes escaped;
    escaped.reserve(length + 8);
    appendEscaped(escaped, data, length);
    std::size_t sent = 0;
    {
        std::lock_guard sendLock(m_sendMutex);
        if (m_socket == tcp::noSocket) {
            return 0;
        }
        sent = tcp::sendAll(m_socket, escaped.data(), escaped.size(), timeoutMs);
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
    std::unique_lock receiveLock(m_receiveMutex, std::try_to_lock);
    if (receiveLock.owns_lock() && m_socket != tcp::noSocket) {
        pump();
    }
    return m_carrier && !m_gone && m_socket != tcp::noSocket;
}

bool NetworkSerialDevice::acknowledged(std::uint8_t code) const
{
    std::lock_guard bufferLock(m_bufferMutex);
    return code < m_acks.size() && m_acks.test(code);
}

void NetworkSerialDevice::pump()
{
    const tcp::Socket socket = m_socket;
    if (socket == tcp::noSocket || m_gone) {
        return;
    }
    std::uint8_t chunk[4096];
    std::vector<Event> events;
    // Decoded data waits here only until the receive thread takes it; past
    // maxBuffered the rest stays in the socket, so a receive thread that has
    // stopped reading holds the peer back through the TCP window.
    std::size_t alreadyBuffered = 0;
    {
        std::lock_guard bufferLock(m_bufferMutex);
        alreadyBuffered = m_buffer.size();
    }
    std::size_t decoded = 0;  // data bytes in `events`
    while (alreadyBuffered + decoded < maxBuffered) {
        const tcp::Received received = tcp::receiveNow(socket, chunk, sizeof chunk);
        if (received.count > 0) {
            m_parser.feed(chunk, received.count, events);
            decoded = 0;
            for (const Event& event : events) {
                if (event.kind == Event::Kind::Data) {
                    decoded += event.payload.size();
                }
            }
            continue;
        }
        if (received.closed) {
            m_gone = true;
            m_carrier = false;
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
        std::lock_guard bufferLock(m_bufferMutex);
        m_buffer.insert(m_buffer.end(), event.payload.begin(), event.payload.end());
        break;
    }
    case Event::Kind::Negotiation: {
        const Bytes reply = m_options.receive(event.verb, event.option);
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
    m_comPortReplySeen = true;
    if (code == comport::NotifyModemState) {
        if (payload.size() >= 2) {
            m_carrier = (payload[1] & comport::ModemCarrier) != 0;
            m_modemStateSeen = true;
        }
        return;
    }
    std::lock_guard bufferLock(m_bufferMutex);
    if (code < m_acks.size()) {
        m_acks.set(code);
    }
}

bool NetworkSerialDevice::sendControl(const Bytes& bytes)
{
    std::lock_guard sendLock(m_sendMutex);
    const tcp::Socket socket = m_socket;
    return socket != tcp::noSocket
        && tcp::sendAll(socket, bytes.data(), bytes.size(), m_timing.controlSendMs) == bytes.size();
}
