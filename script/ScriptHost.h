#pragma once
// What a running script needs of the connection it runs on. The connection
// engine implements it for the window and for emuvola-run; the runner calls it
// on the loop's thread only, and the engine answers through ScriptRunner's
// inputs (portAnswered, hungUp, shown, lineLost), later or at once.

#include <string>

// The source that is the local line (the modem's own traffic); 0 to
// remotePortCount - 1 are the unit's remote ports. Equal to the pane
// selection that shows local traffic.
inline constexpr int scriptLocalLine = -1;

enum class PortAnswer { Accepted, Refused, Busy };

class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // As the send bar does: text + CR (remote: one data frame 'D'; local: raw,
    // or framed while carrier). The text has no trailing white space and is not
    // empty for the local line.
    virtual void sendLine(int source, const std::string& text) = 0;
    // Exactly these bytes (remote: one data frame holding exactly them; local: raw).
    virtual void sendRaw(int source, const std::string& bytes) = 0;
    virtual void connectPort(int port) = 0;                                      // answer: portAnswered
    virtual void disconnectPort(int port) = 0;                                   // answer: portAnswered
    virtual void configurePort(int port, const std::string& settingsText) = 0;  // answer: portAnswered
    virtual void hangUp() = 0;                                                   // done: hungUp
    // One line of progress, the password already masked, code page 949.
    virtual void progress(const std::string& line) = 0;
    // Logged in to the unit: the remote ports can be used.
    virtual bool linkUp() const = 0;
};
