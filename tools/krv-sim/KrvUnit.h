#pragma once
// One KR-V behind a modem call: reads link frames (E2, class, sub code,
// payload, E3; no escaping) and answers them, and turns the output of its
// four remote port devices into data frames. Bytes outside frames are
// ignored. No I/O: bytes in, bytes out, time passed in.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "tools/krv-sim/RemoteDevices.h"
#include "tools/krv-sim/RemotePortSettings.h"
#include "tools/krv-sim/SimConfig.h"
#include "tools/krv-sim/SimTime.h"

class KrvUnit {
public:
    static constexpr int portCount = 4;
    static constexpr std::size_t maxFrame = 8192;

    KrvUnit(KrvAccount account, int tickerPeriodMs, SimMillis now);

    void receive(const std::uint8_t* data, std::size_t length, SimMillis now);
    void tick(SimMillis now);
    // Bytes for the terminal since the last call.
    std::string takeOutput();

    bool loggedIn() const { return m_loggedIn; }
    const std::string& userId() const { return m_account.userId; }
    const std::string& password() const { return m_account.password; }
    bool portConnected(int port) const { return m_ports[static_cast<std::size_t>(port)].connected; }
    const RemotePortSettings& portSettings(int port) const { return m_ports[static_cast<std::size_t>(port)].settings; }

private:
    struct Port {
        bool connected = false;
        RemotePortSettings settings;
        std::unique_ptr<RemoteDevice> device;
    };

    void handleFrame(char kind, char sub, const std::string& payload, SimMillis now);
    void handleAccount(char sub, const std::string& payload);
    void handlePortCommand(int port, char sub, const std::string& payload, SimMillis now);
    void handlePortData(int port, const std::string& payload);
    void reply(char kind, char sub, const std::string& payload);

    KrvAccount m_account;
    bool m_idAccepted = false;
    bool m_loggedIn = false;
    bool m_inFrame = false;
    std::string m_frame;
    std::string m_output;
    std::array<Port, portCount> m_ports;
};
