#pragma once
// Input checks of the entry dialogs, run when the user presses OK. Each check
// gives the first problem found, in the order the user is told about them;
// the messages are UTF-8 for the message box.

#include <optional>
#include <string>
#include <string_view>

#include "directory/PhoneBook.h"

// Passwords compare byte for byte, case included.
bool passwordsMatch(const std::string& password, const std::string& confirmation);
extern const char* const passwordMismatchMessage;

enum class PhoneEntryProblem { None, EmptyName, EmptyNumber, PasswordMismatch };

// Text is not trimmed: a name of blanks is a name. Empty user ID and password
// (with an empty confirmation) are accepted.
PhoneEntryProblem checkPhoneEntry(const PhoneEntry& entry, const std::string& confirmation);
const char* phoneEntryMessage(PhoneEntryProblem problem);

// An integer field as the user typed it: optional blanks around an optional
// sign and decimal digits, within the range of int. Anything else is no integer.
std::optional<int> parseIntegerField(std::string_view text);
extern const char* const notAnIntegerMessage;

inline constexpr std::size_t ipNameMaxBytes = 15;  // code page 949 bytes
inline constexpr int ipPortMax = 32700;

struct IpEntryInput {
    std::string name;  // code page 949
    std::string address;
    std::string portText;
};

// A dotted IPv4 address, four decimal octets of 0 to 255, or a host name:
// labels of letters, digits and hyphens (1 to 63, no hyphen at either end)
// joined by dots, 253 characters at most. Text of only digits and dots is
// read as an IPv4 address, so "999.1.1.1" is neither.
bool isHostAddress(std::string_view text);

enum class IpEntryProblem { None, NameTooLong, PortNotInteger, EmptyName, EmptyAddress, PortOutOfRange, BadAddress };

IpEntryProblem checkIpEntry(const IpEntryInput& input);
std::string ipEntryMessage(IpEntryProblem problem);
