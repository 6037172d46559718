#pragma once
// The com port control commands carried in subnegotiations of option 0x2C:
// their codes and the commands that put a SerialDevice's line settings on a
// remote port. A server answers each client command with code + 100.

#include <cstdint>
#include <optional>
#include <vector>

#include "serial/SerialDevice.h"
#include "serial/rfc2217/TelnetCodec.h"

namespace comport {

constexpr std::uint8_t Signature = 0;
constexpr std::uint8_t SetBaudRate = 1;
constexpr std::uint8_t SetDataSize = 2;
constexpr std::uint8_t SetParity = 3;
constexpr std::uint8_t SetStopSize = 4;
constexpr std::uint8_t SetControl = 5;
constexpr std::uint8_t NotifyLineState = 6;
constexpr std::uint8_t NotifyModemState = 7;
constexpr std::uint8_t FlowControlSuspend = 8;
constexpr std::uint8_t FlowControlResume = 9;
constexpr std::uint8_t SetLineStateMask = 10;
constexpr std::uint8_t SetModemStateMask = 11;
constexpr std::uint8_t PurgeData = 12;
constexpr std::uint8_t ServerOffset = 100;

constexpr std::uint8_t ParityNone = 1;
constexpr std::uint8_t ParityOdd = 2;
constexpr std::uint8_t ParityEven = 3;
constexpr std::uint8_t ControlXonXoff = 2;
constexpr std::uint8_t PurgeBoth = 3;

constexpr std::uint8_t ModemCarrier = 0x80;
constexpr std::uint8_t ModemDsr = 0x20;
constexpr std::uint8_t ModemCts = 0x10;
constexpr std::uint8_t ModemDeltaCarrier = 0x08;

struct Command {
    std::uint8_t code = 0;
    telnet::Bytes value;
};

// SET-PARITY value for a LineSettings parity code; none for codes that keep
// the device's parity.
std::optional<std::uint8_t> parityValue(int parityCode);
// SET-STOPSIZE value: 1 and 2 as they are, anything else one and a half (3).
std::uint8_t stopSizeValue(int stopBitsCode);

// The commands that apply the settings, in the recommended order: baud rate,
// data size, parity (when it is to change), stop size, XON/XOFF flow control.
std::vector<Command> lineSettingCommands(const LineSettings& settings);

// The wire bytes of a client command (IAC SB 2C code value IAC SE).
telnet::Bytes encode(const Command& command);
// A 4-byte network-order value, as SET-BAUDRATE carries it.
telnet::Bytes bigEndian32(std::uint32_t value);
std::uint32_t readBigEndian32(const telnet::Bytes& bytes, std::size_t offset = 0);

}  // namespace comport
