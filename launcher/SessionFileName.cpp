#include "launcher/SessionFileName.h"

namespace launcher {

std::uint16_t portValueOf(std::string_view portText)
{
    std::size_t i = 0;
    auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (i < portText.size() && isBlank(portText[i]))
        ++i;
    bool negative = false;
    if (i < portText.size() && (portText[i] == '+' || portText[i] == '-')) {
        negative = portText[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps, so only the low 16 bits survive whatever the
    // length of the digits.
    std::uint32_t value = 0;
    for (; i < portText.size() && portText[i] >= '0' && portText[i] <= '9'; ++i)
        value = value * 10 + static_cast<std::uint32_t>(portText[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

std::string sessionFileName(std::string_view name, std::string_view address,
                            std::string_view portText, std::uint16_t port)
{
    std::string kind;
    switch (port) {
    case 23: kind = "콘솔포트"; break;
    case 7200: kind = "포트0디바이스"; break;
    case 7201: kind = "포트1디바이스"; break;
    case 7202: kind = "포트2디바이스"; break;
    case 7203: kind = "포트3디바이스"; break;
    default: break;
    }

    std::string fileName = "AN";
    fileName += name;
    if (!kind.empty()) {
        fileName += "-" + kind + "-";
        fileName += address;
    } else {
        fileName += "-임의포트-";
        fileName += address;
        fileName += "-";
        fileName += portText;
    }
    fileName += "-원격감시.ht";
    return fileName;
}

bool isSafeFileNamePart(std::string_view text)
{
    if (text.find("..") != std::string_view::npos)
        return false;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '/' || byte == '\\' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

} // namespace launcher
