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

HayesModem::HayesModem(SimConfig config) : config_(std::move(config)) {}

void HayesModem::resetProfile()
{
    echo_ = true;
    verbose_ = true;
    quiet_ = false;
}

std::string HayesModem::takeOutput()
{
    std::string out;
    out.swap(output_);
    return out;
}

void HayesModem::result(Result code)
{
    if (quiet_) {
        return;
    }
    if (!verbose_) {
        output_ += std::to_string(static_cast<int>(code)) + "\r";
        return;
    }
    const char* text = "OK";
    switch (code) {
    case Ok:
        break;
    case Connect:
        output_ += "\r\nCONNECT " + std::to_string(config_.connectRate) + "\r\n";
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
    output_ += std::string("\r\n") + text + "\r\n";
}

void HayesModem::receive(const std::uint8_t* data, std::size_t length, SimMillis now)
{
    for (std::size_t i = 0; i < length; ++i) {
        switch (state_) {
        case State::Command:
        case State::OnlineCommand:
            commandByte(static_cast<char>(data[i]), now);
            break;
        case State::Dialling:
            // Any character aborts a dial, except in its first moments.
            if (now - dialStartedAt_ >= config_.abortIgnoreMs) {
                state_ = State::Command;
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
        if (echo_) {
            output_ += c;
        }
        const std::string line = line_;
        line_.clear();
        executeLine(line, now);
        return;
    }
    if (echo_) {
        output_ += c;
    }
    if (c == '\n') {
        return;
    }
    if (c == '\b' || c == 0x7F) {
        if (!line_.empty()) {
            line_.pop_back();
        }
        return;
    }
    if (line_.size() < 256) {
        line_ += c;
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
            (c == 'E' ? echo_ : c == 'V' ? verbose_ : quiet_) = value == 1;
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
            if (krv_ != nullptr && state_ == State::OnlineCommand) {
                result(Connect);
                goOnline(now);
            } else {
                result(NoCarrier);
            }
            return true;
        case 'D':
            if (krv_ != nullptr) {
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
                output_ += "\r\n000\r\n";
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
    dialledNumber_ = number;
    const auto entry = config_.numbers.find(number);
    knownNumber_ = entry != config_.numbers.end();
    if (knownNumber_) {
        dialOutcome_ = entry->second.outcome;
    }
    dialStartedAt_ = now;
    dialResultAt_ = now + static_cast<SimMillis>(commas) * config_.commaPauseMs + config_.connectDelayMs;
    state_ = State::Dialling;
}

void HayesModem::finishDial(SimMillis now)
{
    state_ = State::Command;
    if (!knownNumber_) {
        result(NoCarrier);
        return;
    }
    switch (dialOutcome_) {
    case DialOutcome::Krv:
        krv_ = std::make_unique<KrvUnit>(config_.numbers[dialledNumber_].account, config_.tickerPeriodMs, now);
        connectedAt_ = now;
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
    state_ = State::Online;
    lastDataAt_ = now;
    plusCount_ = 0;
}

void HayesModem::onlineBytes(const std::uint8_t* data, std::size_t length, SimMillis now)
{
    for (std::size_t i = 0; i < length; ++i) {
        const bool guardBefore = plusCount_ == 0 ? now - lastDataAt_ >= config_.guardTimeMs
                                                 : now - lastPlusAt_ < config_.guardTimeMs;
        if (data[i] == '+' && plusCount_ < 3 && guardBefore) {
            ++plusCount_;
            lastPlusAt_ = now;
        } else {
            plusCount_ = 0;
        }
        lastDataAt_ = now;
    }
    // The escape characters are data as well until the guard time proves them.
    krv_->receive(data, length, now);
    collectRemote();
}

void HayesModem::tick(SimMillis now)
{
    if (state_ == State::Dialling) {
        if (now >= dialResultAt_) {
            finishDial(now);
        }
        return;
    }
    if (krv_ == nullptr) {
        return;
    }
    if (config_.dropAfterMs > 0 && now - connectedAt_ >= config_.dropAfterMs) {
        dropCarrier(now);
        return;
    }
    if (state_ == State::Online && plusCount_ == 3 && now - lastPlusAt_ >= config_.guardTimeMs) {
        plusCount_ = 0;
        state_ = State::OnlineCommand;
        result(Ok);
    }
    krv_->tick(now);
    collectRemote();
}

void HayesModem::collectRemote()
{
    std::string out = krv_->takeOutput();
    // In online command state the remote's data is dropped, not queued.
    if (state_ == State::Online) {
        output_ += out;
    }
}

void HayesModem::hangUp()
{
    krv_.reset();
    plusCount_ = 0;
    state_ = State::Command;
}

void HayesModem::dropCarrier(SimMillis now)
{
    (void)now;
    if (krv_ == nullptr) {
        return;
    }
    hangUp();
    result(NoCarrier);
}

void HayesModem::terminalGone(SimMillis now)
{
    (void)now;
    hangUp();
    line_.clear();
    output_.clear();
}
