#include "tools/krv-sim/PtyTransport.h"

// Windows has no pseudo-terminals to offer a terminal program as a COM port;
// the simulator serves its line over TCP there (--listen).

PtyTransport::PtyTransport(std::unique_ptr<LineEndpoint> endpoint, Transcript* transcript)
    : m_endpoint(std::move(endpoint)), m_transcript(transcript)
{
}

PtyTransport::~PtyTransport() = default;

bool PtyTransport::open(std::string& error)
{
    error = "--pty needs a pseudo-terminal, which Windows does not have; use --listen";
    return false;
}

void PtyTransport::step(int)
{
}
