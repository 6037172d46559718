#include "tools/krv-sim/Rfc2217Server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/rfc2217/ComPortCommands.h"
#include "serial/rfc2217/TcpSocket.h"
#include "tools/krv-sim/Transcript.h"

using namespace telnet;

namespace {

// The server agrees to binary and suppress-go-ahead both ways and accepts the
// client's com port option.
OptionNegotiator serverOptions()
{
    return OptionNegotiator({OptBinary, OptSga}, {OptBinary, OptSga, OptComPort});
}

const char* const transcriptSource = "tcp";

}  // namespace

Rfc2217Server::Rfc2217Server(EndpointFactory factory, Transcript* transcript)
    : m_factory(std::move(factory)), m_transcript(transcript), m_options(serverOptions())
{
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Rfc2217Server::~Rfc2217Server()
{
    closeClient();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
    }
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
}

bool Rfc2217Server::listen(const std::string& host, int port, bool allowRemote, std::string& error)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        error = "expected an IPv4 address and a port, got " + host + ":" + std::to_string(port);
        return false;
    }
    if (!allowRemote && (ntohl(address.sin_addr.s_addr) >> 24) != 127) {
        error = "refusing to listen on " + host + " (not loopback) without --allow-remote";
        return false;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 4) != 0) {
        error = std::string("cannot listen: ") + std::strerror(errno);
        return false;
    }
    socklen_t size = sizeof address;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &size);
    m_port = ntohs(address.sin_port);
    return true;
}

void Rfc2217Server::interrupt()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

Rfc2217Server::LineState Rfc2217Server::lineState() const
{
    std::lock_guard lock(m_stateMutex);
    return m_state;
}

void Rfc2217Server::step(int timeoutMs)
{
    pollfd fds[3] = {{m_wakeFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}, {m_clientFd, POLLIN, 0}};
    ::poll(fds, 3, timeoutMs);
    if ((fds[0].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(m_wakeFd, &count, sizeof count);
    }
    const std::int64_t now = tcp::nowMs();
    if (m_disconnect.exchange(false)) {
        closeClient();
    }
    // The current client first: one that just closed makes way for the next.
    if (m_clientFd >= 0 && fds[2].fd == m_clientFd && fds[2].revents != 0) {
        readClient(now);
    }
    if ((fds[1].revents & POLLIN) != 0) {
        acceptClient();
    }
    if (m_endpoint != nullptr) {
        if (m_dropCarrier.exchange(false)) {
            m_endpoint->dropCarrier(now);
        }
        m_endpoint->tick(now);
        flushEndpoint(now);
    }
}

void Rfc2217Server::acceptClient()
{
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    if (m_clientFd >= 0) {
        refuseClient(fd);
        return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_clientFd = fd;
    m_hasClient = true;
    m_parser = Parser{};
    m_options = serverOptions();
    m_endpoint = m_factory();
    m_lastCarrier = false;
    {
        std::lock_guard lock(m_stateMutex);
        m_state = LineState{};
    }
    if (m_transcript != nullptr) {
        m_transcript->note(transcriptSource, "client connected");
    }
}

void Rfc2217Server::refuseClient(int fd)
{
    // Said before any negotiation, so a terminal shows it as text; a com port
    // client sees the connection end without the option taken up.
    const std::string text = std::string(busyMessage) + "\r\n";
    [[maybe_unused]] const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::close(fd);
    if (m_transcript != nullptr) {
        m_transcript->note(transcriptSource, "second client refused");
    }
}

void Rfc2217Server::closeClient()
{
    if (m_clientFd < 0) {
        return;
    }
    ::close(m_clientFd);
    m_clientFd = -1;
    m_hasClient = false;
    if (m_endpoint != nullptr) {
        m_endpoint->terminalGone(tcp::nowMs());
        m_endpoint.reset();
    }
    if (m_transcript != nullptr) {
        m_transcript->note(transcriptSource, "client closed");
    }
}

void Rfc2217Server::readClient(std::int64_t now)
{
    std::uint8_t chunk[4096];
    std::vector<Event> events;
    bool closed = false;
    for (;;) {
        const ssize_t n = ::recv(m_clientFd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            m_parser.feed(chunk, static_cast<std::size_t>(n), events);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    for (const Event& event : events) {
        switch (event.kind) {
        case Event::Kind::Data:
            if (m_transcript != nullptr) {
                m_transcript->fromTerminal(transcriptSource, event.payload.data(), event.payload.size());
            }
            if (m_endpoint != nullptr) {
                m_endpoint->receive(event.payload.data(), event.payload.size(), now);
            }
            break;
        case Event::Kind::Negotiation:
            send(m_options.receive(event.verb, event.option));
            break;
        case Event::Kind::Subnegotiation:
            if (event.option == OptComPort) {
                handleComPort(event.payload);
            }
            break;
        case Event::Kind::Command:
            break;
        }
        // Carrier and output changes go out before the next command's ack.
        flushEndpoint(now);
    }
    if (closed) {
        closeClient();
    }
}

void Rfc2217Server::handleComPort(const Bytes& payload)
{
    if (payload.empty()) {
        return;
    }
    const std::uint8_t code = payload[0];
    const std::uint8_t value = payload.size() > 1 ? payload[1] : 0;
    std::unique_lock lock(m_stateMutex);
    switch (code) {
    case comport::Signature:
        lock.unlock();
        if (payload.size() == 1) {
            const std::string signature = "krv-sim";
            sendComPort(code, Bytes(signature.begin(), signature.end()));
        }
        return;
    case comport::SetBaudRate: {
        const std::uint32_t rate = comport::readBigEndian32(payload, 1);
        if (rate != 0 && payload.size() >= 5) {
            m_state.baudRate = rate;
        }
        const Bytes ack = comport::bigEndian32(m_state.baudRate);
        lock.unlock();
        sendComPort(code, ack);
        return;
    }
    case comport::SetDataSize:
        if (value >= 5 && value <= 8) {
            m_state.dataSize = value;
        }
        sendComPort(code, {m_state.dataSize});
        return;
    case comport::SetParity:
        if (value >= 1 && value <= 5) {
            m_state.parity = value;
        }
        sendComPort(code, {m_state.parity});
        return;
    case comport::SetStopSize:
        if (value >= 1 && value <= 3) {
            m_state.stopSize = value;
        }
        sendComPort(code, {m_state.stopSize});
        return;
    case comport::SetControl:
        if (value >= 1 && value <= 3) {
            m_state.flow = value;
        }
        if (value <= 3) {
            sendComPort(code, {m_state.flow});
            return;
        }
        if (value == 9 && m_endpoint != nullptr) {
            // DTR off: the modem hangs up, as under &D2.
            m_endpoint->terminalGone(tcp::nowMs());
        }
        sendComPort(code, {value});
        return;
    case comport::NotifyModemState:
        lock.unlock();
        sendModemState(false);
        return;
    case comport::SetLineStateMask:
        sendComPort(code, {value});
        return;
    case comport::SetModemStateMask:
        m_state.modemStateMask = value;
        lock.unlock();
        sendComPort(code, {value});
        sendModemState(false);
        return;
    case comport::PurgeData:
        ++m_state.purges;
        sendComPort(code, {value});
        return;
    default:
        return;  // notifications and flow suspend/resume carry no ack
    }
}

void Rfc2217Server::sendComPort(std::uint8_t code, const Bytes& value)
{
    send(comport::encode({static_cast<std::uint8_t>(code + comport::ServerOffset), value}));
}

void Rfc2217Server::sendModemState(bool delta)
{
    const bool carrier = m_endpoint != nullptr && m_endpoint->carrier();
    std::uint8_t state = comport::ModemDsr | comport::ModemCts;
    if (carrier) {
        state |= comport::ModemCarrier;
    }
    if (delta) {
        state |= comport::ModemDeltaCarrier;
    }
    std::uint8_t mask = 0xFF;
    {
        std::lock_guard lock(m_stateMutex);
        mask = m_state.modemStateMask;
    }
    const std::uint8_t masked = state & mask;
    send(comport::encode({static_cast<std::uint8_t>(comport::NotifyModemState + comport::ServerOffset), {masked}}));
}

void Rfc2217Server::flushEndpoint(std::int64_t now)
{
    (void)now;
    if (m_endpoint == nullptr || m_clientFd < 0) {
        return;
    }
    // A carrier change is reported before the text that follows it, so the
    // terminal sees carrier when it reads "CONNECT".
    const bool carrier = m_endpoint->carrier();
    if (carrier != m_lastCarrier) {
        m_lastCarrier = carrier;
        sendModemState(true);
        if (m_transcript != nullptr) {
            m_transcript->note(transcriptSource, carrier ? "carrier on" : "carrier off");
        }
    }
    const std::string out = m_endpoint->takeOutput();
    if (out.empty()) {
        return;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(out.data());
    if (m_transcript != nullptr) {
        m_transcript->toTerminal(transcriptSource, bytes, out.size());
    }
    Bytes escaped;
    appendEscaped(escaped, bytes, out.size());
    send(escaped);
}

void Rfc2217Server::send(const Bytes& bytes)
{
    if (m_clientFd < 0 || bytes.empty()) {
        return;
    }
    if (tcp::sendAll(m_clientFd, bytes.data(), bytes.size(), 2000) != bytes.size()) {
        m_disconnect = true;  // a client that takes nothing for 2 s is dropped
    }
}
