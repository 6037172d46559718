#include "tools/krv-sim/Rfc2217Server.h"

#include <cctype>

#include "serial/rfc2217/ComPortCommands.h"
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

// The first byte of a dotted IPv4 address (127 for loopback); false for
// anything that is not four numbers 0..255 joined by dots.
bool firstOctet(const std::string& address, int& first)
{
    int parts = 0;
    std::size_t i = 0;
    while (parts < 4) {
        std::size_t digits = 0;
        int value = 0;
        while (i < address.size() && std::isdigit(static_cast<unsigned char>(address[i])) && digits < 3) {
            value = value * 10 + (address[i++] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        if (parts++ == 0) {
            first = value;
        }
        if (parts < 4 && (i >= address.size() || address[i++] != '.')) {
            return false;
        }
    }
    return i == address.size();
}

}  // namespace

Rfc2217Server::Rfc2217Server(EndpointFactory factory, Transcript* transcript)
    : m_factory(std::move(factory)), m_transcript(transcript), m_options(serverOptions())
{
}

Rfc2217Server::~Rfc2217Server()
{
    closeClient();
    tcp::closeSocket(m_listener);
}

bool Rfc2217Server::listen(const std::string& host, int port, bool allowRemote, std::string& error)
{
    int first = 0;
    if (port < 0 || port > 65535 || !firstOctet(host, first)) {
        error = "expected an IPv4 address and a port, got " + host + ":" + std::to_string(port);
        return false;
    }
    if (!allowRemote && first != 127) {
        error = "refusing to listen on " + host + " (not loopback) without --allow-remote";
        return false;
    }
    m_listener = tcp::listenOn(host, port, error);
    if (m_listener == tcp::noSocket) {
        return false;
    }
    m_port = tcp::localPort(m_listener);
    return true;
}

void Rfc2217Server::interrupt()
{
    m_waker.wake();
}

Rfc2217Server::LineState Rfc2217Server::lineState() const
{
    std::lock_guard lock(m_stateMutex);
    return m_state;
}

void Rfc2217Server::step(int timeoutMs)
{
    const bool ready = m_waker.wait({m_listener, m_client}, timeoutMs) == tcp::Waker::Result::Ready;
    const std::int64_t now = tcp::nowMs();
    if (m_disconnect.exchange(false)) {
        closeClient();
    }
    // The current client first: one that just closed makes way for the next.
    // Both are non-blocking, so looking when nothing came costs one call each.
    if (ready && m_client != tcp::noSocket) {
        readClient(now);
    }
    if (ready) {
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
    const tcp::Socket socket = tcp::acceptNow(m_listener);
    if (socket == tcp::noSocket) {
        return;
    }
    if (m_client != tcp::noSocket) {
        refuseClient(socket);
        return;
    }
    m_client = socket;
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

void Rfc2217Server::refuseClient(tcp::Socket socket)
{
    // Said before any negotiation, so a terminal shows it as text; a com port
    // client sees the connection end without the option taken up.
    const std::string text = std::string(busyMessage) + "\r\n";
    tcp::sendAll(socket, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 0);
    tcp::closeSocket(socket);
    if (m_transcript != nullptr) {
        m_transcript->note(transcriptSource, "second client refused");
    }
}

void Rfc2217Server::closeClient()
{
    if (m_client == tcp::noSocket) {
        return;
    }
    tcp::closeSocket(m_client);
    m_client = tcp::noSocket;
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
        const tcp::Received received = tcp::receiveNow(m_client, chunk, sizeof chunk);
        if (received.count > 0) {
            m_parser.feed(chunk, received.count, events);
            continue;
        }
        closed = received.closed;
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
    if (m_endpoint == nullptr || m_client == tcp::noSocket) {
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
    if (m_client == tcp::noSocket || bytes.empty()) {
        return;
    }
    if (tcp::sendAll(m_client, bytes.data(), bytes.size(), 2000) != bytes.size()) {
        m_disconnect = true;  // a client that takes nothing for 2 s is dropped
    }
}
