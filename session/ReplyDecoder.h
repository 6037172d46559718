#pragma once
// Reading a received link frame against the current request kind: what kind of
// reply it is, the message to show, where to show it and what to do next. The
// caller carries out the outcome; nothing here touches a window or the line.

#include <string>
#include <string_view>

#include "session/RequestKind.h"

struct ReplyOutcome {
    enum class Kind {
        Ignored,  // nothing happens: too short, unknown word, or no use for the reply
        PortData, // data of remote port portIndex: show payload in the panes showing it
        Accepted,
        Refused,
        Busy,     // "BUSY" to a port connect: refused because another device holds the port
    } kind = Kind::Ignored;

    // sub code - '0' for '0'..'3', otherwise noPort.
    int portIndex = noPort;
    // The frame's sub code byte as received.
    char subCode = 0;
    // Bytes 3 up to, not including, the frame's last byte.
    std::string payload;
    // Code page 949; empty = nothing to show.
    std::string message;

    enum class FollowUp { None, SendLoginPassword, RetryLogin, SendPasswordChange } followUp = FollowUp::None;
    // The password was accepted: switch to the connected title (which also
    // empties the four port status texts).
    bool showConnectedTitle = false;
    // What becomes of the status text of port portIndex (only for ports 0..3).
    enum class StatusChange { None, SetToPayload, Clear } statusChange = StatusChange::None;
    // Show the toggle of port portIndex released, without sending anything.
    bool releaseToggle = false;
    // The message goes to every pane (port index -1); otherwise only to panes
    // showing portIndex or local traffic.
    bool messageToAllPanes = false;
};

// Classifies one received frame (0xE2 first, 0xE3 last). 'A' 'R' and 'C'
// replies are read against the request kind; replies that classify but have no
// use under that kind (PortData) come back Ignored. Every class other than 'A'
// and 'C' is port data whatever the request kind.
ReplyOutcome decodeReply(std::string_view frame, RequestKind kind);

// Pane routing by pane selection (noPort = local traffic, 0..3 = remote port).
// Received bytes outside frames go to local panes only.
constexpr bool paneShowsLocalEcho(int paneSelection) { return paneSelection == noPort; }
// Port data goes to the panes showing exactly that port (data with port index
// -1 thus goes to the local panes).
constexpr bool paneShowsPortData(int paneSelection, int portIndex) { return paneSelection == portIndex; }
// A reply message for a port goes to the panes showing that port and to the
// local panes; one with port index -1 goes to every pane.
constexpr bool paneShowsPortMessage(int paneSelection, int portIndex)
{
    return portIndex == noPort || paneSelection == portIndex || paneSelection == noPort;
}
