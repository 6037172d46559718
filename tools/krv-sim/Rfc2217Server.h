#pragma once
// Serves a simulated line over TCP as a com port control server: one client
// at a time, each with a fresh endpoint from the factory. A client that comes
// while another is served is told busyMessage and closed at once, so it never
// waits in the queue to take the line over later. Acknowledges every com port command with
// the value in use, and reports the endpoint's carrier as a modem state
// notification when it changes and when the client sets the modem state mask.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "serial/rfc2217/TcpSocket.h"
#include "serial/rfc2217/TelnetCodec.h"
#include "serial/rfc2217/TelnetOptions.h"
#include "tools/krv-sim/LineEndpoint.h"

class Transcript;

class Rfc2217Server {
public:
    using EndpointFactory = std::function<std::unique_ptr<LineEndpoint>()>;

    static constexpr const char* busyMessage = "krv-sim: busy, another client is using this line";

    // The line settings as the client last set them.
    struct LineState {
        std::uint32_t baudRate = 9600;
        std::uint8_t dataSize = 8;
        std::uint8_t parity = 1;    // 1 none, 2 odd, 3 even, 4 mark, 5 space
        std::uint8_t stopSize = 1;  // 1, 2, 3 = 1.5
        std::uint8_t flow = 1;      // 1 none, 2 XON/XOFF, 3 hardware
        std::uint8_t modemStateMask = 0xFF;
        int purges = 0;
    };

    explicit Rfc2217Server(EndpointFactory factory, Transcript* transcript = nullptr);
    ~Rfc2217Server();
    Rfc2217Server(const Rfc2217Server&) = delete;
    Rfc2217Server& operator=(const Rfc2217Server&) = delete;

    // Listens on host:port (port 0 picks a free one). Only loopback addresses
    // unless allowRemote is set. False with a message on failure.
    bool listen(const std::string& host, int port, bool allowRemote, std::string& error);
    int port() const { return m_port; }

    // Waits at most timeoutMs for traffic, then handles it and runs timers.
    // Only one thread may call it; the calls below are safe from any thread.
    void step(int timeoutMs);
    // Ends a step() that is waiting.
    void interrupt();
    // The remote of the current call goes away (NO CARRIER).
    void requestCarrierDrop() { m_dropCarrier = true; interrupt(); }
    // Closes the current client connection, as a server that goes away.
    void requestDisconnect() { m_disconnect = true; interrupt(); }

    bool hasClient() const { return m_hasClient; }
    LineState lineState() const;

private:
    void acceptClient();
    void refuseClient(tcp::Socket socket);
    void closeClient();
    void readClient(std::int64_t now);
    void handleComPort(const telnet::Bytes& payload);
    void sendComPort(std::uint8_t code, const telnet::Bytes& value);
    void sendModemState(bool delta);
    void send(const telnet::Bytes& bytes);
    void flushEndpoint(std::int64_t now);

    EndpointFactory m_factory;
    Transcript* m_transcript;
    tcp::Socket m_listener = tcp::noSocket;
    tcp::Socket m_client = tcp::noSocket;
    tcp::Waker m_waker;
    int m_port = 0;
    std::atomic<bool> m_hasClient{false};
    std::atomic<bool> m_dropCarrier{false};
    std::atomic<bool> m_disconnect{false};

    std::unique_ptr<LineEndpoint> m_endpoint;
    telnet::Parser m_parser;
    telnet::OptionNegotiator m_options;
    bool m_lastCarrier = false;

    mutable std::mutex m_stateMutex;
    LineState m_state;
};
