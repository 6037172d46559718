#include "tools/krv-sim/KrvUnit.h"

#include <algorithm>
#include <cctype>

#include "base/TextCodec.h"

namespace {

constexpr char frameStart = static_cast<char>(0xE2);
constexpr char frameEnd = static_cast<char>(0xE3);

bool sameWord(const std::string& text, const char* word)
{
    const std::string expected(word);
    return text.size() == expected.size() &&
           std::equal(text.begin(), text.end(), expected.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

// Splits "old new" at the first space; false without one.
bool splitPair(const std::string& payload, std::string& first, std::string& second)
{
    const auto space = payload.find(' ');
    if (space == std::string::npos) {
        return false;
    }
    first = payload.substr(0, space);
    second = payload.substr(space + 1);
    return true;
}

}  // namespace

KrvUnit::KrvUnit(KrvAccount account, int tickerPeriodMs, SimMillis now) : m_account(std::move(account))
{
    const std::string tickerLine = utf8ToCp949(m_account.name + " 온도 23도\r\n");
    for (int i = 0; i < portCount; ++i) {
        m_ports[static_cast<std::size_t>(i)].device = makeRemoteDevice(i, tickerLine, tickerPeriodMs);
    }
    (void)now;
}

void KrvUnit::receive(const std::uint8_t* data, std::size_t length, SimMillis now)
{
    for (std::size_t i = 0; i < length; ++i) {
        const char b = static_cast<char>(data[i]);
        if (b == frameStart) {
            m_inFrame = true;
            m_frame.clear();
        } else if (!m_inFrame) {
            continue;
        } else if (b == frameEnd) {
            m_inFrame = false;
            if (m_frame.size() >= 2) {
                handleFrame(m_frame[0], m_frame[1], m_frame.substr(2), now);
            }
            m_frame.clear();
        } else if (m_frame.size() < maxFrame) {
            m_frame += b;
        } else {
            m_inFrame = false;  // too long: drop it
            m_frame.clear();
        }
    }
}

void KrvUnit::tick(SimMillis now)
{
    for (int i = 0; i < portCount; ++i) {
        Port& port = m_ports[static_cast<std::size_t>(i)];
        if (port.connected) {
            const std::string out = port.device->poll(now);
            if (!out.empty()) {
                reply('D', static_cast<char>('0' + i), out);
            }
        }
    }
}

std::string KrvUnit::takeOutput()
{
    std::string out;
    out.swap(m_output);
    return out;
}

void KrvUnit::reply(char kind, char sub, const std::string& payload)
{
    m_output += frameStart;
    m_output += kind;
    m_output += sub;
    // The frame has no escaping: marker bytes in a payload would split it.
    for (char c : payload) {
        m_output += c == frameStart || c == frameEnd ? '?' : c;
    }
    m_output += frameEnd;
}

void KrvUnit::handleFrame(char kind, char sub, const std::string& payload, SimMillis now)
{
    const int port = sub >= '0' && sub <= '3' ? sub - '0' : -1;
    if (kind == 'A') {
        handleAccount(sub, payload);
        return;
    }
    if (kind != 'C' && kind != 'D') {
        return;
    }
    if (!m_loggedIn || port < 0) {
        reply('C', sub, "FAIL");
        return;
    }
    if (kind == 'C') {
        handlePortCommand(port, sub, payload, now);
    } else {
        handlePortData(port, payload);
    }
}

void KrvUnit::handleAccount(char sub, const std::string& payload)
{
    bool pass = false;
    std::string current;
    std::string next;
    switch (sub) {
    case 'I':
        m_idAccepted = payload == m_account.userId;
        m_loggedIn = false;
        pass = m_idAccepted;
        break;
    case 'P':
        pass = m_idAccepted && payload == m_account.password;
        m_loggedIn = pass;
        break;
    case 'D':
        pass = m_loggedIn && splitPair(payload, current, next) && current == m_account.userId && !next.empty();
        if (pass) {
            m_account.userId = next;
        }
        break;
    case 'W':
        pass = m_loggedIn && splitPair(payload, current, next) && current == m_account.password;
        if (pass) {
            m_account.password = next;
        }
        break;
    default:
        break;
    }
    reply('A', 'R', pass ? "PASS" : "FAIL");
}

void KrvUnit::handlePortCommand(int port, char sub, const std::string& payload, SimMillis now)
{
    Port& target = m_ports[static_cast<std::size_t>(port)];
    if (sameWord(payload, "CONN")) {
        if (m_account.busyPorts.count(port) != 0) {
            reply('C', sub, "BUSY");
            return;
        }
        if (!target.connected) {
            target.connected = true;
            target.device->attach(now);
        }
        reply('C', sub, formatStatusText(target.settings));
        return;
    }
    if (sameWord(payload, "DISC")) {
        target.connected = false;
        reply('C', sub, "PASS");
        return;
    }
    const auto settings = parseSettingsText(payload);
    if (!settings) {
        reply('C', sub, "FAIL");
        return;
    }
    target.settings = *settings;
    reply('C', sub, formatStatusText(target.settings));
}

void KrvUnit::handlePortData(int port, const std::string& payload)
{
    Port& target = m_ports[static_cast<std::size_t>(port)];
    if (!target.connected) {
        return;
    }
    const std::string out = target.device->input(payload);
    if (!out.empty()) {
        reply('D', static_cast<char>('0' + port), out);
    }
}
