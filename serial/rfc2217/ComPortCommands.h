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

// Client command codes; a server's answer carries code + ServerOffset.
enum CommandCode : std::uint8_t {
    Signature = 0,
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    FlowControlSuspend = 8,
    FlowControlResume = 9,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
    PurgeData = 12,
    ServerOffset = 100,
};

// Values of SET-PARITY, SET-CONTROL and PURGE-DATA.
enum ParityValue : std::uint8_t { ParityNone = 1, ParityOdd = 2, ParityEven = 3 };
enum ControlValue : std::uint8_t { ControlXonXoff = 2 };
enum PurgeValue : std::uint8_t { PurgeBoth = 3 };

// Bits of the modem state NOTIFY-MODEMSTATE reports.
enum ModemStateBit : std::uint8_t {
    ModemCarrier = 0x80,
    ModemDsr = 0x20,
    ModemCts = 0x10,
    ModemDeltaCarrier = 0x08,
};

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
