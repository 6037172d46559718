#pragma once
// What the link monitor lists: every link frame sent and received and every
// modem line, one row each, formatted as UTF-8 for the monitor window and its
// saved text. The newest rows are kept up to a fixed number; older ones fall
// off the top, and a row holds at most the head of a long payload, so the log
// stays small while a connection keeps it from its start.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "session/ReplyDecoder.h"
#include "session/RequestKind.h"

using LinkMonitorClock = std::chrono::system_clock;

struct LinkMonitorRow {
    std::string time;        // hh:mm:ss.mmm, local time
    std::string direction;   // "→" sent, "←" received
    std::string frameClass;  // the class letter, or "모뎀" for a modem line
    std::string subCode;     // the sub code byte, shown as text
    std::string payload;     // the payload (or line) as text, \xNN for bytes not printable
    std::string requestKind; // the request kind in force
    std::string verdict;     // for received frames: how the decoder read them
};

// A frame as written to the line (0xE2 ... 0xE3) under the request kind it
// was framed for. The payload of the frames that carry a password is masked.
LinkMonitorRow describeSentFrame(std::string_view frame, RequestKind kind, LinkMonitorClock::time_point time);
// A received frame and the decoder's verdict on it.
LinkMonitorRow describeReceivedFrame(std::string_view frame, RequestKind kind, ReplyOutcome::Kind verdict,
                                     LinkMonitorClock::time_point time);
// A line to or from the modem outside link frames (ATZ, CONNECT, NO CARRIER...).
LinkMonitorRow describeModemLine(std::string_view line, bool sent, RequestKind kind,
                                 LinkMonitorClock::time_point time);

// A payload longer than this shows its first bytes and "…".
inline constexpr std::size_t monitorPayloadLimit = 512;
// Code page 949 bytes as UTF-8 text: printable ASCII and whole double-byte
// characters as they are, every other byte as \xNN, a backslash doubled.
std::string monitorPayloadText(std::string_view bytes);
std::string requestKindName(RequestKind kind);
std::string verdictName(ReplyOutcome::Kind verdict);

class LinkMonitorLog {
public:
    static constexpr std::size_t rowLimit = 10000;

    // Adds a row at the bottom; past the limit the oldest row is dropped.
    void append(LinkMonitorRow row);
    void clear();
    const std::deque<LinkMonitorRow>& rows() const { return m_rows; }
    // Rows dropped from the top since the last clear, so a view over the log
    // can tell how far its rows have moved.
    std::uint64_t droppedCount() const { return m_dropped; }

    // The whole log as UTF-8 text: a header line, then one tab-separated line
    // a row.
    std::string toText() const;

private:
    std::deque<LinkMonitorRow> m_rows;
    std::uint64_t m_dropped = 0;
};
