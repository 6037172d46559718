#pragma once
// A pane's traffic log: a plain byte file that receives exactly the bytes
// written into the pane, before they are interpreted. No header, no
// separators, and by default no time stamps: with stamping on, every line
// begins with "[YYYY-MM-DD HH:MM:SS.mmm] ", the local time at which its first
// byte was written, and a line ends at LF.
//
// Writes are collected in memory and reach the file in order when flush() is
// called (the pane does so at every repaint tick, so the file trails the
// screen by a few tens of milliseconds), when the collected bytes grow large,
// and when the log is closed. A closed log holds every byte written to it.
//
// A write or flush that fails, including the last flush on close, closes the
// log; the failure is reported once through takeFailure(), and later writes do
// nothing.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

class PaneLog {
public:
    using Clock = std::chrono::system_clock;
    using ClockSource = Clock::time_point (*)();

    explicit PaneLog(ClockSource clock = &Clock::now)
        : m_clock(clock)
    {
    }
    ~PaneLog();
    PaneLog(const PaneLog&) = delete;
    PaneLog& operator=(const PaneLog&) = delete;

    // Creates the file, or empties it if it exists, for reading and writing.
    // An open log is closed first. False when the file cannot be opened.
    bool open(const std::string& path);
    // Hands the collected bytes to the file and closes it.
    void close();
    bool isOpen() const { return m_file != nullptr; }
    // The path of the open log, or of the log that failed last.
    const std::string& path() const { return m_path; }

    // Appends the bytes unchanged. Returns false if the log is not open or
    // the bytes could not be handed to the file (the log is then closed).
    bool write(std::string_view bytes);
    // Hands every collected byte to the file. Returns false if the log is not
    // open or the file refused them (the log is then closed).
    bool flush();

    // Stamping applies from the next line start on; a log opens at one.
    void setTimestamps(bool on) { m_timestamps = on; }
    bool timestamps() const { return m_timestamps; }

    // True exactly once after a write, flush or close has failed.
    bool takeFailure();

    // Collected bytes beyond this are handed to the file at once.
    static constexpr std::size_t bufferLimit = 64 * 1024;

private:
    bool writeOut();
    void fail();

    void appendStamped(std::string_view bytes);

    ClockSource m_clock;
    bool m_timestamps = false;
    bool m_atLineStart = true;
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_pending;
    bool m_failurePending = false;
};
