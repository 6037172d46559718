#include "serial/DeviceTarget.h"

#include <cctype>

bool isAcceptablePortName(const std::string& portName)
{
    return !portName.empty() && portName.find_first_of(std::string("/\\\0", 3)) == std::string::npos
        && portName.find("..") == std::string::npos;
}

bool parseRfc2217Target(const std::string& target, std::string& host, int& port)
{
    static const std::string scheme = "rfc2217://";
    if (target.compare(0, scheme.size(), scheme) != 0) {
        return false;
    }
    const std::string rest = target.substr(scheme.size());
    std::string hostPart;
    std::string portPart;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            return false;
        }
        hostPart = rest.substr(1, close - 1);
        portPart = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string::npos) {
            return false;
        }
        hostPart = rest.substr(0, colon);
        portPart = rest.substr(colon + 1);
        if (hostPart.find(':') != std::string::npos) {
            return false;
        }
    }
    if (hostPart.empty() || portPart.empty() || portPart.size() > 5) {
        return false;
    }
    int value = 0;
    for (char c : portPart) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) {
        return false;
    }
    host = hostPart;
    port = value;
    return true;
}
