#include "serial/rfc2217/ComPortCommands.h"

namespace comport {

std::optional<std::uint8_t> parityValue(int parityCode)
{
    switch (parityCode) {
    case 0:
        return ParityNone;
    case 1:
        return ParityOdd;
    case 2:
        return ParityEven;
    default:
        return std::nullopt;
    }
}

std::uint8_t stopSizeValue(int stopBitsCode)
{
    return stopBitsCode == 1 || stopBitsCode == 2 ? static_cast<std::uint8_t>(stopBitsCode) : 3;
}

telnet::Bytes bigEndian32(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

std::uint32_t readBigEndian32(const telnet::Bytes& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = offset; i < offset + 4 && i < bytes.size(); ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

std::vector<Command> lineSettingCommands(const LineSettings& settings)
{
    std::vector<Command> commands;
    commands.push_back({SetBaudRate, bigEndian32(settings.baudRate)});
    commands.push_back({SetDataSize, {static_cast<std::uint8_t>(settings.dataBits)}});
    if (const auto parity = parityValue(settings.parityCode)) {
        commands.push_back({SetParity, {*parity}});
    }
    commands.push_back({SetStopSize, {stopSizeValue(settings.stopBitsCode)}});
    commands.push_back({SetControl, {ControlXonXoff}});
    return commands;
}

telnet::Bytes encode(const Command& command)
{
    telnet::Bytes payload;
    payload.reserve(command.value.size() + 1);
    payload.push_back(command.code);
    for (std::uint8_t byte : command.value) {
        payload.push_back(byte);
    }
    return telnet::subnegotiation(telnet::OptComPort, payload);
}

}  // namespace comport
