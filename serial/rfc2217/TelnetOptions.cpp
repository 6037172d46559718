#include "serial/rfc2217/TelnetOptions.h"

namespace telnet {

OptionNegotiator::OptionNegotiator(std::initializer_list<std::uint8_t> local, std::initializer_list<std::uint8_t> remote)
{
    for (std::uint8_t option : local) {
        m_local[option].accepted = true;
    }
    for (std::uint8_t option : remote) {
        m_remote[option].accepted = true;
    }
}

Bytes OptionNegotiator::request(std::uint8_t verb, std::uint8_t option)
{
    const bool isLocal = verb == Will || verb == Wont;
    const bool wantOn = verb == Will || verb == Do;
    Side& side = isLocal ? m_local[option] : m_remote[option];
    if (side.enabled == wantOn && !side.pending) {
        return {};
    }
    side.pending = true;
    side.enabled = wantOn;
    return negotiation(verb, option);
}

Bytes OptionNegotiator::answer(Side& side, bool peerWantsOn, std::uint8_t yes, std::uint8_t no, std::uint8_t option)
{
    if (side.pending) {
        // The peer's answer to our own request: settle without replying. A
        // refusal of something we asked for turns the option off.
        side.pending = false;
        side.enabled = peerWantsOn && side.enabled;
        return {};
    }
    if (peerWantsOn) {
        if (!side.accepted) {
            return negotiation(no, option);
        }
        if (side.enabled) {
            return {};
        }
        side.enabled = true;
        return negotiation(yes, option);
    }
    if (!side.enabled) {
        return {};
    }
    side.enabled = false;
    return negotiation(no, option);
}

Bytes OptionNegotiator::receive(std::uint8_t verb, std::uint8_t option)
{
    switch (verb) {
    case Do:
        return answer(m_local[option], true, Will, Wont, option);
    case Dont:
        return answer(m_local[option], false, Will, Wont, option);
    case Will:
        return answer(m_remote[option], true, Do, Dont, option);
    case Wont:
        return answer(m_remote[option], false, Do, Dont, option);
    default:
        return {};
    }
}

}  // namespace telnet
