#include "tools/krv-sim/RemoteDevices.h"

namespace {

constexpr char Interrupt = 0x03;
const std::string InterruptEcho = "^C\r\n";
const std::string Prompt = "> ";

}  // namespace

std::string EchoDevice::input(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        if (c == Interrupt) {
            out += InterruptEcho + Prompt;
            afterInterrupt_ = true;
            continue;
        }
        if (c == '\r') {
            if (!afterInterrupt_) {
                out += "\r\n" + Prompt;
            }
            afterInterrupt_ = false;
            continue;
        }
        afterInterrupt_ = false;
        if (c == '\n') {
            continue;
        }
        if (upperCase_ && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        out += c;
    }
    return out;
}

std::string TickerDevice::input(const std::string& bytes)
{
    return bytes.find(Interrupt) != std::string::npos ? InterruptEcho : std::string{};
}

std::string TickerDevice::poll(SimMillis now)
{
    std::string out;
    // At most a few lines catch up after a long pause.
    for (int i = 0; i < 3 && periodMs_ > 0 && now >= next_; ++i) {
        out += line_;
        next_ += periodMs_;
    }
    if (periodMs_ > 0 && now >= next_) {
        next_ = now + periodMs_;
    }
    return out;
}

std::unique_ptr<RemoteDevice> makeRemoteDevice(int port, const std::string& tickerLineCp949, int tickerPeriodMs)
{
    switch (port) {
    case 2:
        return std::make_unique<TickerDevice>(tickerLineCp949, tickerPeriodMs);
    case 3:
        return std::make_unique<EchoDevice>(true);
    default:
        return std::make_unique<EchoDevice>(false);
    }
}
