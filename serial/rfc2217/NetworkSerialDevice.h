#pragma once
// SerialDevice over a TCP connection that speaks the com port control option:
// line settings become SET-* commands, purge PURGE-DATA, carrier comes from
// NOTIFY-MODEMSTATE, and data bytes travel with 0xFF doubled.
//
// Threads: waitForInput and readAvailable run on the receive thread; write,
// purge and carrierDetected on another. The receive side (socket reads, the
// telnet parser) is guarded by one mutex, sending by another, the decoded
// data buffer by a third.

#include <atomic>
#include <bitset>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <utility>

#include "serial/SerialDevice.h"
#include "serial/rfc2217/TcpSocket.h"
#include "serial/rfc2217/TelnetCodec.h"
#include "serial/rfc2217/TelnetOptions.h"

class NetworkSerialDevice final : public SerialDevice {
public:
    struct Timing {
        int connectMs = 3000;      // connection and option negotiation together
        int acksMs = 700;          // wait for the acks of the settings at open
        int modemStateMs = 500;    // extra wait for the first modem state report
        int controlSendMs = 1000;  // time limit for sending protocol commands
    };

    NetworkSerialDevice(std::string host, int port, Timing timing);
    NetworkSerialDevice(std::string host, int port) : NetworkSerialDevice(std::move(host), port, Timing{}) {}
    ~NetworkSerialDevice() override;

    // Connects and succeeds only when the server takes the com port option within
    // the connect time limit: it answers our WILL with DO, announces the option
    // itself, or answers a com port command. A server that refuses the option,
    // says nothing (a busy server that queued the connection) or closes fails the
    // open. The settings' acks and the first modem state are then awaited briefly;
    // their absence does not fail it.
    bool open(const LineSettings& settings) override;
    void close() override;
    void purge() override;
    DeviceWait waitForInput() override;
    void wake() override;
    std::size_t readAvailable(std::uint8_t* buffer, std::size_t capacity) override;
    std::size_t write(const std::uint8_t* data, std::size_t length, int timeoutMs) override;
    bool carrierDetected() override;

    // Whether the server acknowledged a com port command (by its client code).
    bool acknowledged(std::uint8_t code) const;
    // Whether a modem state report has arrived since open.
    bool modemStateKnown() const { return m_modemStateSeen; }

    // Decoded data bytes held at most before the socket is left unread.
    static constexpr std::size_t maxBuffered = 64 * 1024;

private:
    // Reads and decodes what the socket holds, without blocking, until
    // maxBuffered data bytes wait to be read. Caller
    // holds m_receiveMutex. Marks the device gone when the peer closed.
    void pump();
    void handle(const telnet::Event& event);
    void handleComPort(const telnet::Bytes& payload);
    bool sendControl(const telnet::Bytes& bytes);
    // Pumps until done() holds or the deadline passes; false when gone.
    template <typename Done>
    bool pumpUntil(std::int64_t deadline, Done done);
    void closeSocket();
    // Caller holds m_receiveMutex.
    bool comPortAccepted() const;
    bool comPortRefused() const;

    const std::string m_host;
    const int m_port;
    const Timing m_timing;
    tcp::Waker m_waker;
    std::atomic<tcp::Socket> m_socket{tcp::noSocket};
    std::atomic<bool> m_gone{false};
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_carrier{false};
    std::atomic<bool> m_modemStateSeen{false};
    bool m_comPortReplySeen = false;  // guarded by m_receiveMutex

    std::mutex m_receiveMutex;
    telnet::Parser m_parser;
    telnet::OptionNegotiator m_options;

    std::mutex m_sendMutex;

    mutable std::mutex m_bufferMutex;
    std::deque<std::uint8_t> m_buffer;
    std::bitset<16> m_acks;
};
