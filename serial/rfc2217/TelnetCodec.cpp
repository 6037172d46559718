#include "serial/rfc2217/TelnetCodec.h"

namespace telnet {

void Parser::pushData(std::uint8_t byte, std::vector<Event>& events)
{
    if (events.empty() || events.back().kind != Event::Kind::Data) {
        events.push_back(Event{});
    }
    events.back().payload.push_back(byte);
}

void Parser::feed(const std::uint8_t* bytes, std::size_t length, std::vector<Event>& events)
{
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t b = bytes[i];
        switch (m_state) {
        case State::Data:
            if (b == Iac) {
                m_state = State::Iac;
            } else {
                pushData(b, events);
            }
            break;
        case State::Iac:
            if (b == Iac) {
                pushData(Iac, events);
                m_state = State::Data;
            } else if (b == Will || b == Wont || b == Do || b == Dont) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == Sb) {
                m_state = State::SbOption;
            } else {
                events.push_back(Event{Event::Kind::Command, b, 0, {}});
                m_state = State::Data;
            }
            break;
        case State::Verb:
            events.push_back(Event{Event::Kind::Negotiation, m_verb, b, {}});
            m_state = State::Data;
            break;
        case State::SbOption:
            m_sbOption = b;
            m_sbPayload.clear();
            m_sbOverflow = false;
            m_state = State::SbData;
            break;
        case State::SbData:
            if (b == Iac) {
                m_state = State::SbIac;
            } else if (m_sbPayload.size() < maxSubnegotiation) {
                m_sbPayload.push_back(b);
            } else {
                m_sbOverflow = true;
            }
            break;
        case State::SbIac:
            if (b == Iac) {
                if (m_sbPayload.size() < maxSubnegotiation) {
                    m_sbPayload.push_back(Iac);
                } else {
                    m_sbOverflow = true;
                }
                m_state = State::SbData;
            } else if (b == Se) {
                if (!m_sbOverflow) {
                    events.push_back(Event{Event::Kind::Subnegotiation, Sb, m_sbOption, m_sbPayload});
                }
                m_sbPayload.clear();
                m_state = State::Data;
            } else {
                // A command inside a subnegotiation: the peer broke off; drop
                // what was collected and read the command normally.
                m_sbPayload.clear();
                m_state = State::Iac;
                --i;
            }
            break;
        }
    }
}

void appendEscaped(Bytes& out, const std::uint8_t* data, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(data[i]);
        if (data[i] == Iac) {
            out.push_back(Iac);
        }
    }
}

Bytes negotiation(std::uint8_t verb, std::uint8_t option)
{
    return Bytes{Iac, verb, option};
}

Bytes subnegotiation(std::uint8_t option, const Bytes& payload)
{
    Bytes out{Iac, Sb, option};
    appendEscaped(out, payload.data(), payload.size());
    out.push_back(Iac);
    out.push_back(Se);
    return out;
}

}  // namespace telnet
