#pragma once
// The login password must never be seen in what the program writes for people:
// progress lines, logs, captures, the link monitor. These write "****" wherever
// the secret's bytes stand in a text, starting on a code page 949 character
// boundary (a password never begins on the trail byte of a Hangul character,
// and masking there would break the character). An empty secret masks nothing.

#include <string>
#include <string_view>

inline constexpr std::string_view secretShownAs = "****";

class SecretMask {
public:
    explicit SecretMask(std::string secret = {});

    const std::string& secret() const { return m_secret; }
    std::string masked(std::string_view text) const;

private:
    std::string m_secret;
};

// The same for a text that arrives in pieces (a capture file, a pane log):
// bytes that could be the start of the secret are held back until the next
// piece settles it; flush() gives what is held when the stream ends.
class SecretStreamMask {
public:
    explicit SecretStreamMask(std::string secret = {});

    std::string feed(std::string_view piece);
    std::string flush();

private:
    std::string m_secret;
    std::string m_held;           // starts on a character boundary
    bool m_afterLead = false;     // the last byte given out opened a double-byte character
};
