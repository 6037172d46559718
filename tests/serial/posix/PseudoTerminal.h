#pragma once
// A pseudo-terminal pair for tests of the tty device: the test holds the master
// side and plays the line; the code under test opens the slave path.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
            char name[128] = {};
            if (ptsname_r(m_master, name, sizeof name) == 0) {
                m_slavePath = name;
            }
        }
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool valid() const { return m_master >= 0 && !m_slavePath.empty(); }
    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

    // Writes everything to the line; false on failure.
    bool send(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Like pulling the cable: the slave side is hung up.
    void closeMaster()
    {
        if (m_master >= 0) {
            ::close(m_master);
            m_master = -1;
        }
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};
