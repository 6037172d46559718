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
        switch (state_) {
        case State::Data:
            if (b == Iac) {
                state_ = State::Iac;
            } else {
                pushData(b, events);
            }
            break;
        case State::Iac:
            if (b == Iac) {
                pushData(Iac, events);
                state_ = State::Data;
            } else if (b == Will || b == Wont || b == Do || b == Dont) {
                verb_ = b;
                state_ = State::Verb;
            } else if (b == Sb) {
                state_ = State::SbOption;
            } else {
                events.push_back(Event{Event::Kind::Command, b, 0, {}});
                state_ = State::Data;
            }
            break;
        case State::Verb:
            events.push_back(Event{Event::Kind::Negotiation, verb_, b, {}});
            state_ = State::Data;
            break;
        case State::SbOption:
            sbOption_ = b;
            sbPayload_.clear();
            sbOverflow_ = false;
            state_ = State::SbData;
            break;
        case State::SbData:
            if (b == Iac) {
                state_ = State::SbIac;
            } else if (sbPayload_.size() < maxSubnegotiation) {
                sbPayload_.push_back(b);
            } else {
                sbOverflow_ = true;
            }
            break;
        case State::SbIac:
            if (b == Iac) {
                if (sbPayload_.size() < maxSubnegotiation) {
                    sbPayload_.push_back(Iac);
                } else {
                    sbOverflow_ = true;
                }
                state_ = State::SbData;
            } else if (b == Se) {
                if (!sbOverflow_) {
                    events.push_back(Event{Event::Kind::Subnegotiation, Sb, sbOption_, sbPayload_});
                }
                sbPayload_.clear();
                state_ = State::Data;
            } else {
                // A command inside a subnegotiation: the peer broke off; drop
                // what was collected and read the command normally.
                sbPayload_.clear();
                state_ = State::Iac;
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
