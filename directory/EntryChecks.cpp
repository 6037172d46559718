#include "directory/EntryChecks.h"

#include "base/LeadingNumber.h"

#include <climits>
#include <cstdint>

const char* const passwordMismatchMessage = "비밀번호에 차이가 있습니다. 확인하세요.";
const char* const notAnIntegerMessage = "Please enter an integer.";

bool passwordsMatch(const std::string& password, const std::string& confirmation)
{
    return password == confirmation;
}

PhoneEntryProblem checkPhoneEntry(const PhoneEntry& entry, const std::string& confirmation)
{
    if (entry.name.empty())
        return PhoneEntryProblem::EmptyName;
    if (entry.number.empty())
        return PhoneEntryProblem::EmptyNumber;
    if (!passwordsMatch(entry.password, confirmation))
        return PhoneEntryProblem::PasswordMismatch;
    return PhoneEntryProblem::None;
}

const char* phoneEntryMessage(PhoneEntryProblem problem)
{
    switch (problem) {
    case PhoneEntryProblem::EmptyName:
        return "이름을 입력하세요.";
    case PhoneEntryProblem::EmptyNumber:
        return "전화번호를 입력하세요.";
    case PhoneEntryProblem::PasswordMismatch:
        return passwordMismatchMessage;
    case PhoneEntryProblem::None:
        break;
    }
    return "";
}

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isIpv4Address(std::string_view text)
{
    int octets = 0;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = pos;
        int value = 0;
        while (end < text.size() && isDigit(text[end]) && end - pos < 3)
            value = value * 10 + (text[end++] - '0');
        if (end == pos || value > 255)
            return false;
        ++octets;
        if (end == text.size())
            return octets == 4;
        if (text[end] != '.' || octets == 4)
            return false;
        pos = end + 1;
    }
}

bool isHostLabel(std::string_view label)
{
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
        return false;
    for (const char c : label) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !isDigit(c) && c != '-')
            return false;
    }
    return true;
}

}  // namespace

bool isHostAddress(std::string_view text)
{
    if (text.find_first_not_of("0123456789.") == std::string_view::npos)
        return isIpv4Address(text);
    if (text.size() > 253)
        return false;
    std::size_t pos = 0;
    while (true) {
        const std::size_t dot = text.find('.', pos);
        if (!isHostLabel(text.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos)))
            return false;
        if (dot == std::string_view::npos)
            return true;
        pos = dot + 1;
    }
}

std::optional<int> parseIntegerField(std::string_view text)
{
    const LeadingNumber number = scanLeadingNumber(text);
    if (!number.hasDigits())
        return std::nullopt;
    std::size_t pos = number.end;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    if (pos != text.size())
        return std::nullopt;
    const std::int64_t value = number.negative ? -number.magnitude : number.magnitude;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

IpEntryProblem checkIpEntry(const IpEntryInput& input)
{
    if (input.name.size() > ipNameMaxBytes)
        return IpEntryProblem::NameTooLong;
    const std::optional<int> port = parseIntegerField(input.portText);
    if (!port)
        return IpEntryProblem::PortNotInteger;
    if (input.name.empty())
        return IpEntryProblem::EmptyName;
    if (input.address.empty())
        return IpEntryProblem::EmptyAddress;
    if (*port < 0 || *port > ipPortMax)
        return IpEntryProblem::PortOutOfRange;
    if (!isHostAddress(input.address))
        return IpEntryProblem::BadAddress;
    return IpEntryProblem::None;
}

std::string ipEntryMessage(IpEntryProblem problem)
{
    switch (problem) {
    case IpEntryProblem::NameTooLong:
        return "Please enter no more than " + std::to_string(ipNameMaxBytes) + " characters.";
    case IpEntryProblem::PortNotInteger:
        return notAnIntegerMessage;
    case IpEntryProblem::EmptyName:
        return "이름을 입력하세요.";
    case IpEntryProblem::EmptyAddress:
        return "IP주소를 입력하세요.";
    case IpEntryProblem::PortOutOfRange:
        return "포트번호가 잘못되었습니다. 확인하세요.";
    case IpEntryProblem::BadAddress:
        return "IP주소가 잘못되었습니다. 확인하세요.";
    case IpEntryProblem::None:
        break;
    }
    return {};
}
