#include "session/FrameSplitter.h"

#include <cstring>

#include "session/LinkFrame.h"

namespace {
constexpr unsigned char carriageReturn = 0x0D;
constexpr unsigned char lineFeed = 0x0A;
} // namespace

void FrameSplitter::feed(std::string_view bytes, Events& events)
{
    for (char c : bytes)
        feed(static_cast<unsigned char>(c), events);
}

void FrameSplitter::feed(unsigned char byte, Events& events)
{
    if (byte == frameStartByte) {
        // A new start marker replaces whatever frame was being collected.
        m_frame[0] = static_cast<char>(byte);
        m_frameLength = 1;
        m_frameState = FrameState::Collecting;
        return;
    }
    if (byte == frameEndByte) {
        if (m_frameState == FrameState::Collecting) {
            storeFrameByte(byte);
            if (m_frameState == FrameState::Collecting)
                events.frameComplete(std::string(m_frame.data(), m_frameLength));
        }
        // Outside a frame, or ending an over-long one: nothing to hand over.
        m_frameLength = 0;
        m_frameState = FrameState::Outside;
        return;
    }
    switch (m_frameState) {
    case FrameState::Collecting:
        storeFrameByte(byte == 0 ? static_cast<unsigned char>('?') : byte);
        return;
    case FrameState::Dropping:
        return;
    case FrameState::Outside:
        break;
    }
    if (byte == carriageReturn || byte == lineFeed) {
        handOverLine(events);
        events.echo(byte);
        return;
    }
    appendLineByte(byte, events);
    events.echo(byte);
}

void FrameSplitter::storeFrameByte(unsigned char byte)
{
    // One byte of the buffer stays reserved for the terminating zero.
    if (m_frameLength >= maxFrameLength) {
        m_frameLength = 0;
        m_frameState = FrameState::Dropping;
        return;
    }
    m_frame[m_frameLength++] = static_cast<char>(byte);
}

void FrameSplitter::appendLineByte(unsigned char byte, Events& events)
{
    if (m_lineLength >= maxLineLength)
        handOverLine(events);
    m_line[m_lineLength++] = static_cast<char>(byte);
}

void FrameSplitter::handOverLine(Events& events)
{
    // The line text ends at its first zero byte, as a zero-terminated text would.
    const void* zero = std::memchr(m_line.data(), 0, m_lineLength);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - m_line.data()) : m_lineLength;
    m_lineLength = 0;
    events.lineComplete(std::string(m_line.data(), length));
}
