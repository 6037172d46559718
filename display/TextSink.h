#pragma once
// Somewhere received text is shown: a pane's content, a capture file, a
// script waiting for a prompt. Callers hold the connection lock around the
// calls; the calls may come from the reader thread or the loop's thread.

#include <string_view>

class TextSink {
public:
    virtual ~TextSink() = default;
    // The bytes up to the first zero byte, as received.
    virtual void putText(std::string_view text) = 0;
    // The text followed by CR LF.
    virtual void putLine(std::string_view text) = 0;
    // True while whoever shows the text waits for the connection lock; a
    // writer that takes the lock in a tight loop stands aside meanwhile.
    virtual bool viewWaitsForLock() const { return false; }
};
