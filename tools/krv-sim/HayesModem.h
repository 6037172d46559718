#pragma once
// A Hayes-compatible modem on the simulated line: AT command state with echo
// and result codes, dialling into a simulated telephone network, online data
// passed to the KR-V that answered, and the "+++" escape with guard times.
//
// Dial strings: spaces, '-', '(', ')', 'T', 'P' and 'W' are ignored, each ','
// pauses. The number looked up is the digits after the last comma, so an
// outside-line prefix such as "9," never reaches the network.

#include <map>
#include <memory>
#include <string>

#include "tools/krv-sim/KrvUnit.h"
#include "tools/krv-sim/LineEndpoint.h"
#include "tools/krv-sim/SimConfig.h"

class HayesModem final : public LineEndpoint {
public:
    enum class State { Command, Dialling, Online, OnlineCommand };

    explicit HayesModem(SimConfig config);

    void receive(const std::uint8_t* data, std::size_t length, SimMillis now) override;
    void tick(SimMillis now) override;
    std::string takeOutput() override;
    bool carrier() const override { return m_krv != nullptr; }
    void terminalGone(SimMillis now) override;
    void dropCarrier(SimMillis now) override;

    State state() const { return m_state; }
    // The KR-V of the current call, or nullptr.
    const KrvUnit* krv() const { return m_krv.get(); }
    // The number of the last dial after the outside-line prefix was removed.
    const std::string& dialledNumber() const { return m_dialledNumber; }

private:
    enum Result { Ok = 0, Connect = 1, NoCarrier = 3, Error = 4, NoDialtone = 6, Busy = 7, NoAnswer = 8 };

    void commandByte(char c, SimMillis now);
    void executeLine(const std::string& line, SimMillis now);
    // Runs the commands after "AT"; false on an invalid one.
    bool executeCommands(const std::string& commands, SimMillis now, bool& resultSent);
    void startDial(const std::string& dialString, SimMillis now);
    void onlineBytes(const std::uint8_t* data, std::size_t length, SimMillis now);
    void finishDial(SimMillis now);
    void goOnline(SimMillis now);
    void hangUp();
    void result(Result code);
    void collectRemote();
    void resetProfile();

    SimConfig m_config;
    State m_state = State::Command;
    bool m_echo = true;
    bool m_verbose = true;
    bool m_quiet = false;
    std::string m_line;
    std::string m_output;

    // Dialling.
    SimMillis m_dialStartedAt = 0;
    SimMillis m_dialResultAt = 0;
    std::string m_dialledNumber;
    DialOutcome m_dialOutcome = DialOutcome::Krv;
    bool m_knownNumber = false;
    // Calls made to each number, for a number that is busy for its first calls.
    std::map<std::string, int> m_callCounts;

    // Call.
    std::unique_ptr<KrvUnit> m_krv;
    SimMillis m_connectedAt = 0;
    SimMillis m_lastDataAt = 0;
    SimMillis m_lastPlusAt = 0;
    int m_plusCount = 0;
};
