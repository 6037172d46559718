#pragma once
// A pane's traffic log: a plain byte file that receives exactly the bytes
// written into the pane, before they are interpreted. No header, no time
// stamps, no separators. Each write reaches the file before write() returns,
// so the log follows local traffic byte for byte even if the program dies.
//
// A write that fails closes the log; the failure is reported once through
// takeFailure(), and later writes do nothing.

#include <cstdio>
#include <string>
#include <string_view>

class PaneLog {
public:
    PaneLog() = default;
    ~PaneLog();
    PaneLog(const PaneLog&) = delete;
    PaneLog& operator=(const PaneLog&) = delete;

    // Creates the file, or empties it if it exists, for reading and writing.
    // An open log is closed first. False when the file cannot be opened.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_file != nullptr; }
    // The path of the open log, or of the log that failed last.
    const std::string& path() const { return m_path; }

    // Appends the bytes unchanged. Returns false if the log is not open or
    // the write failed (the log is then closed).
    bool write(std::string_view bytes);

    // True exactly once after a write has failed.
    bool takeFailure();

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    bool m_failurePending = false;
};
