#pragma once
// What one source (the local line or a remote port) showed during a session,
// as a pane showing it would: counted, and written to a capture file as the
// pane log writes it (raw code page 949 bytes, optionally time-stamped), with
// the password as "****". Called under the connection lock from the reader
// thread or the loop's thread.

#include <cstdint>
#include <string>

#include "display/PaneLog.h"
#include "display/TextSink.h"
#include "script/SecretMask.h"

class SourceCapture final : public TextSink {
public:
    explicit SourceCapture(std::string secret);

    // Creates or empties the file; false when it cannot be.
    bool open(const std::string& path, bool timestamps);
    // Hands what is collected to the file, so it trails the line by little.
    void flush();
    // Writes what is held and closes; false when anything could not be written.
    bool close();
    const std::string& path() const { return m_log.path(); }
    bool failed() const { return m_failed; }
    std::uint64_t byteCount() const { return m_bytes; }

    void putText(std::string_view text) override;
    void putLine(std::string_view text) override;

private:
    void write(std::string_view text);

    PaneLog m_log;
    SecretStreamMask m_mask;
    std::uint64_t m_bytes = 0;
    bool m_failed = false;
};
