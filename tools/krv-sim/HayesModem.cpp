#include "tools/krv-sim/HayesModem.h"

#include <cctype>

namespace {

int readNumber(const std::string& text, std::size_t& i)
{
    int value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0 && value < 100000) {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    return value;
}

}  // namespace

HayesModem::HayesModem(SimConfig config) : m_config(std::move(config)) {}

void HayesModem::resetProfile()
{
    m_echo = true;
    m_verbose = true;
    m_quiet = false;
}

std::string HayesModem::takeOutput()
{
    std::string out;
    out.swap(m_output);
    return out;
}

void HayesModem::result(Result code)
{
    if (m_quiet) {
        return;
    }
    if (!m_verbose) {
        m_output += std::to_string(static_cast<int>(code)) + "\r";
        return;
    }
    const char* text = "OK";
    switch (code) {
    case Ok:
        break;
    case Connect:
        m_output += "\r\nCONNECT " + std::to_string(m_config.connectRate) + "\r\n";
        return;
    case NoCarrier:
        text = "NO CARRIER";
        break;
    case Error:
        text = "ERROR";
        break;
    case NoDialtone:
        text = "NO DIALTONE";
        break;
    case Busy:
        text = "BUSY";
        break;
    case NoAnswer:
        text = "NO ANSWER";
        break;
    }
    m_output += std::string("\r\n") + text + "\r\n";
}

void HayesModem::receive(const std::uint8_t* data, std::size_t length, SimMillis now)
{
    for (std::size_t i = 0; i < length; ++i) {
        switch (m_state) {
        case State::Command:
        case State::OnlineCommand:
            commandByte(static_cast<char>(data[i]), now);
            break;
        case State::Dialling:
            // Any character aborts a dial, except in its first moments.
            if (now - m_dialStartedAt >= m_config.abortIgnoreMs) {
                m_state = State::Command;
                result(NoCarrier);
            }
            break;
        case State::Online:
            onlineBytes(data + i, length - i, now);
            return;
        }
    }
}

void HayesModem::commandByte(char c, SimMillis now)
{
    if (c == '\r') {
        if (m_echo) {
            m_output += c;
        }
        const std::string line = m_line;
        m_line.clear();
        executeLine(line, now);
        return;
    }
    if (m_echo) {
        m_output += c;
    }
    if (c == '\n') {
        return;
    }
    if (c == '\b' || c == 0x7F) {
        if (!m_line.empty()) {
            m_line.pop_back();
        }
        return;
    }
    if (m_line.size() < 256) {
        m_line += c;
    }
}

void HayesModem::executeLine(const std::string& line, SimMillis now)
{
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(line[i])) == 'A' &&
            std::toupper(static_cast<unsigned char>(line[i + 1])) == 'T') {
            at = i;
            break;
        }
    }
    if (at == std::string::npos) {
        return;  // not a command line: a real modem ignores it
    }
    bool resultSent = false;
    if (!executeCommands(line.substr(at + 2), now, resultSent)) {
        result(Error);
    } else if (!resultSent) {
        result(Ok);
    }
}

bool HayesModem::executeCommands(const std::string& commands, SimMillis now, bool& resultSent)
{
    std::size_t i = 0;
    while (i < commands.size()) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(commands[i++])));
        switch (c) {
        case ' ':
            break;
        case 'E':
        case 'V':
        case 'Q': {
            const int value = readNumber(commands, i);
            if (value > 1) {
                return false;
            }
            (c == 'E' ? m_echo : c == 'V' ? m_verbose : m_quiet) = value == 1;
            break;
        }
        case 'Z':
            readNumber(commands, i);
            hangUp();
            resetProfile();
            break;
        case 'H':
            if (readNumber(commands, i) == 0) {
                hangUp();
            }
            break;
        case 'O':
            readNumber(commands, i);
            resultSent = true;
            if (m_krv != nullptr && m_state == State::OnlineCommand) {
                result(Connect);
                goOnline(now);
            } else {
                result(NoCarrier);
            }
            return true;
        case 'D':
            if (m_krv != nullptr) {
                return false;
            }
            startDial(commands.substr(i), now);
            resultSent = true;
            return true;
        case 'L':
        case 'M':
        case 'X':
        case 'I':
            readNumber(commands, i);
            break;
        case '&': {
            if (i >= commands.size()) {
                return false;
            }
            const char option = static_cast<char>(std::toupper(static_cast<unsigned char>(commands[i++])));
            if (std::string("CDFKSWV").find(option) == std::string::npos) {
                return false;
            }
            readNumber(commands, i);
            if (option == 'F') {
                resetProfile();
            }
            break;
        }
        case 'S': {
            readNumber(commands, i);
            if (i < commands.size() && commands[i] == '=') {
                ++i;
                readNumber(commands, i);
            } else if (i < commands.size() && commands[i] == '?') {
                ++i;
                m_output += "\r\n000\r\n";
            } else {
                return false;
            }
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

void HayesModem::startDial(const std::string& dialString, SimMillis now)
{
    std::string number;
    int commas = 0;
    for (char c : dialString) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '*' || c == '#') {
            number += c;
        } else if (c == ',') {
            ++commas;
            number.clear();
        } else if (c == ';') {
            break;
        }
        // Spaces, '-', '(', ')', T, P, W and anything else are not dialled.
    }
    m_dialledNumber = number;
    const auto entry = m_config.numbers.find(number);
    m_knownNumber = entry != m_config.numbers.end();
    if (m_knownNumber) {
        m_dialOutcome = entry->second.outcome;
        if (++m_callCounts[number] <= entry->second.busyFirst) {
            m_dialOutcome = DialOutcome::Busy;
        }
    }
    m_dialStartedAt = now;
    m_dialResultAt = now + static_cast<SimMillis>(commas) * m_config.commaPauseMs + m_config.connectDelayMs;
    m_state = State::Dialling;
}

void HayesModem::finishDial(SimMillis now)
{
    m_state = State::Command;
    if (!m_knownNumber) {
        result(NoCarrier);
        return;
    }
    switch (m_dialOutcome) {
    case DialOutcome::Krv:
        m_krv = std::make_unique<KrvUnit>(m_config.numbers[m_dialledNumber].account, m_config.tickerPeriodMs, now);
        m_connectedAt = now;
        result(Connect);
        goOnline(now);
        break;
    case DialOutcome::Busy:
        result(Busy);
        break;
    case DialOutcome::NoAnswer:
        result(NoAnswer);
        break;
    case DialOutcome::NoDialtone:
        result(NoDialtone);
        break;
    }
}

void HayesModem::goOnline(SimMillis now)
{
    m_state = State::Online;
    m_lastDataAt = now;
    m_plusCount = 0;
}

void HayesModem::onlineBytes(const std::uint8_t* data, std::size_t length, SimMillis now)
{
    for (std::size_t i = 0; i < length; ++i) {
        const bool guardBefore = m_plusCount == 0 ? now - m_lastDataAt >= m_config.guardTimeMs
                                                 : now - m_lastPlusAt < m_config.guardTimeMs;
        if (data[i] == '+' && m_plusCount < 3 && guardBefore) {
            ++m_plusCount;
            m_lastPlusAt = now;
        } else {
            m_plusCount = 0;
        }
        m_lastDataAt = now;
    }
    // The escape characters are data as well until the guard time proves them.
    m_krv->receive(data, length, now);
    collectRemote();
}

void HayesModem::tick(SimMillis now)
{
    if (m_state == State::Dialling) {
        if (now >= m_dialResultAt) {
            finishDial(now);
        }
        return;
    }
    if (m_krv == nullptr) {
        return;
    }
    if (m_config.dropAfterMs > 0 && now - m_connectedAt >= m_config.dropAfterMs) {
        dropCarrier(now);
        return;
    }
    if (m_state == State::Online && m_plusCount == 3 && now - m_lastPlusAt >= m_config.guardTimeMs) {
        m_plusCount = 0;
        m_state = State::OnlineCommand;
        result(Ok);
    }
    m_krv->tick(now);
    collectRemote();
}

void HayesModem::collectRemote()
{
    std::string out = m_krv->takeOutput();
    // In online command state the remote's data is dropped, not queued.
    if (m_state == State::Online) {
        m_output += out;
    }
}

void HayesModem::hangUp()
{
    m_krv.reset();
    m_plusCount = 0;
    m_state = State::Command;
}

void HayesModem::dropCarrier(SimMillis now)
{
    (void)now;
    if (m_krv == nullptr) {
        return;
    }
    hangUp();
    result(NoCarrier);
}

void HayesModem::terminalGone(SimMillis now)
{
    (void)now;
    hangUp();
    m_line.clear();
    m_output.clear();
}
