#pragma once
// Telnet option negotiation for one side of a connection. Each option has a
// local state (we WILL) and a remote state (peer WILL, we DO). An answer goes
// out only when a state changes, and not for the echo of our own request, so
// two sides never loop; options outside the accepted sets are refused.

#include <array>
#include <cstdint>
#include <initializer_list>

#include "serial/rfc2217/TelnetCodec.h"

namespace telnet {

class OptionNegotiator {
public:
    // local: options this side is willing to enable itself (answers DO with
    // WILL); remote: options it accepts from the peer (answers WILL with DO).
    OptionNegotiator(std::initializer_list<std::uint8_t> local, std::initializer_list<std::uint8_t> remote);

    // Asks the peer: verb Will/Do enables, Wont/Dont disables. Returns the
    // bytes to send (none when the state already matches).
    Bytes request(std::uint8_t verb, std::uint8_t option);
    // Handles a received WILL/WONT/DO/DONT; returns the answer to send, if any.
    Bytes receive(std::uint8_t verb, std::uint8_t option);

    bool localEnabled(std::uint8_t option) const { return m_local[option].enabled; }
    // Whether our own request for the option still waits for the peer's answer.
    bool localPending(std::uint8_t option) const { return m_local[option].pending; }
    bool remoteEnabled(std::uint8_t option) const { return m_remote[option].enabled; }

private:
    struct Side {
        bool accepted = false;
        bool enabled = false;
        bool pending = false;  // we asked and wait for the peer's answer
    };
    static Bytes answer(Side& side, bool peerWantsOn, std::uint8_t yes, std::uint8_t no, std::uint8_t option);

    std::array<Side, 256> m_local{};
    std::array<Side, 256> m_remote{};
};

}  // namespace telnet
