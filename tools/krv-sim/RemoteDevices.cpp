#include "tools/krv-sim/RemoteDevices.h"

namespace {

constexpr char interruptByte = 0x03;
const std::string interruptEcho = "^C\r\n";
const std::string prompt = "> ";

}  // namespace

std::string EchoDevice::input(const std::string& bytes)
{
    std::string out;
    for (char c : bytes) {
        if (c == interruptByte) {
            out += interruptEcho + prompt;
            m_afterInterrupt = true;
            continue;
        }
        if (c == '\r') {
            if (!m_afterInterrupt) {
                out += "\r\n" + prompt;
            }
            m_afterInterrupt = false;
            continue;
        }
        m_afterInterrupt = false;
        if (c == '\n') {
            continue;
        }
        if (m_upperCase && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        out += c;
    }
    return out;
}

std::string TickerDevice::input(const std::string& bytes)
{
    return bytes.find(interruptByte) != std::string::npos ? interruptEcho : std::string{};
}

std::string TickerDevice::poll(SimMillis now)
{
    std::string out;
    // At most a few lines catch up after a long pause.
    for (int i = 0; i < 3 && m_periodMs > 0 && now >= m_next; ++i) {
        out += m_line;
        m_next += m_periodMs;
    }
    if (m_periodMs > 0 && now >= m_next) {
        m_next = now + m_periodMs;
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
