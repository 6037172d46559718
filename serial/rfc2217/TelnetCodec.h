#pragma once
// Telnet byte layer used by the network serial port: splits a received byte
// stream into data, option negotiations and subnegotiations, and builds the
// byte sequences that go the other way. No I/O; the parser keeps its state
// between calls, so an IAC at the end of one read pairs with the next read.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace telnet {

// Command bytes; they stand for themselves on the wire.
enum CommandByte : std::uint8_t {
    Iac = 0xFF,
    Dont = 0xFE,
    Do = 0xFD,
    Wont = 0xFC,
    Will = 0xFB,
    Sb = 0xFA,
    Se = 0xF0,
};

// Option codes.
enum OptionCode : std::uint8_t {
    OptBinary = 0x00,
    OptEcho = 0x01,
    OptSga = 0x03,
    OptComPort = 0x2C,
};

using Bytes = std::vector<std::uint8_t>;

struct Event {
    enum class Kind {
        Data,            // payload holds data bytes, already unescaped
        Negotiation,     // verb is Will/Wont/Do/Dont, option the option
        Subnegotiation,  // option and its unescaped payload
        Command,         // any other two-byte command (NOP, BRK, ...): verb
    };
    Kind kind = Kind::Data;
    std::uint8_t verb = 0;
    std::uint8_t option = 0;
    Bytes payload;
};

class Parser {
public:
    // Decodes the bytes and appends what they complete to events, in order;
    // consecutive data bytes share one Data event.
    void feed(const std::uint8_t* bytes, std::size_t length, std::vector<Event>& events);
    // Subnegotiations longer than this are dropped whole.
    static constexpr std::size_t maxSubnegotiation = 4096;

private:
    enum class State { Data, Iac, Verb, SbOption, SbData, SbIac };
    void pushData(std::uint8_t byte, std::vector<Event>& events);

    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::uint8_t m_sbOption = 0;
    bool m_sbOverflow = false;
    Bytes m_sbPayload;
};

// Appends data with every 0xFF doubled.
void appendEscaped(Bytes& out, const std::uint8_t* data, std::size_t length);
Bytes negotiation(std::uint8_t verb, std::uint8_t option);
// IAC SB option payload IAC SE, with 0xFF in the payload doubled.
Bytes subnegotiation(std::uint8_t option, const Bytes& payload);

}  // namespace telnet
