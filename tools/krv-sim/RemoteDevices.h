#pragma once
// The small devices behind the KR-V's four remote ports. Input is what the
// terminal sends to the port; output is what the device writes back. Text
// is code page 949.

#include <memory>
#include <string>
#include <utility>

#include "tools/krv-sim/SimTime.h"

class RemoteDevice {
public:
    virtual ~RemoteDevice() = default;
    // The operator connected to the port.
    virtual void attach(SimMillis now) { (void)now; }
    // Bytes from the terminal; returns what the device answers at once.
    virtual std::string input(const std::string& bytes) = 0;
    // What the device produces by itself up to now.
    virtual std::string poll(SimMillis now)
    {
        (void)now;
        return {};
    }
};

// Echoes each line followed by a "> " prompt; CTRL+C answers "^C". With
// upperCase set, ASCII letters come back upper-cased.
class EchoDevice final : public RemoteDevice {
public:
    explicit EchoDevice(bool upperCase) : m_upperCase(upperCase) {}
    std::string input(const std::string& bytes) override;

private:
    bool m_upperCase;
    bool m_afterInterrupt = false;  // swallow the CR that follows a CTRL+C
};

// Writes one line of text every period; CTRL+C answers "^C", other input is
// ignored.
class TickerDevice final : public RemoteDevice {
public:
    TickerDevice(std::string lineCp949, int periodMs) : m_line(std::move(lineCp949)), m_periodMs(periodMs) {}
    void attach(SimMillis now) override { m_next = now + m_periodMs; }
    std::string input(const std::string& bytes) override;
    std::string poll(SimMillis now) override;

private:
    std::string m_line;
    int m_periodMs;
    SimMillis m_next = 0;
};

// Port 0 and 1: echo with prompt; port 2: the ticker with the given line;
// port 3: upper-case echo.
std::unique_ptr<RemoteDevice> makeRemoteDevice(int port, const std::string& tickerLineCp949, int tickerPeriodMs);
