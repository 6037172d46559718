#pragma once
// The reader's byte handling: received bytes in, link frames, text lines and
// local echoes out. It owns two fixed buffers and never grows; it has no
// threads and no I/O, and the caller decides where the events go.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

class FrameSplitter {
public:
    // Each buffer holds this many bytes, terminating zero included.
    static constexpr std::size_t bufferSize = 8192;
    // The longest frame (markers included) and the longest line piece handed over.
    static constexpr std::size_t maxFrameLength = bufferSize - 1;
    static constexpr std::size_t maxLineLength = bufferSize - 1;

    struct Events {
        // A complete frame, 0xE2 to 0xE3 inclusive; zero bytes replaced by '?'.
        virtual void frameComplete(std::string frame) = 0;
        // The text collected since the last CR or LF, cut at its first zero
        // byte; possibly empty.
        virtual void lineComplete(std::string line) = 0;
        // A byte outside frames, CR and LF included, in arrival order.
        virtual void echo(unsigned char byte) = 0;
        virtual ~Events() = default;
    };

    // Handles one received byte:
    // - 0xE2 starts a frame, discarding one in progress; the line in progress
    //   is kept and continues after the frame.
    // - 0xE3 ends the frame in progress and hands it over; outside a frame it
    //   is dropped (neither echoed nor added to the line).
    // - Inside a frame any other byte is stored; a zero byte as '?'.
    // - Outside a frame CR or LF ends the line, hands it over, then echoes the
    //   CR or LF; any other byte is added to the line and echoed.
    // A frame longer than maxFrameLength is discarded: the bytes after the
    // overflow are dropped up to the next 0xE2 (a new frame) or 0xE3 (which
    // ends the discarded frame and is dropped too). A line longer than
    // maxLineLength is handed over in pieces of maxLineLength bytes; echoing
    // carries on unaffected.
    void feed(unsigned char byte, Events& events);
    // Feeds every byte of the text in order.
    void feed(std::string_view bytes, Events& events);

    // True between a 0xE2 and the byte that ends or replaces its frame
    // (including while an over-long frame is being dropped).
    bool insideFrame() const { return m_frameState != FrameState::Outside; }

private:
    enum class FrameState { Outside, Collecting, Dropping };

    void storeFrameByte(unsigned char byte);
    void appendLineByte(unsigned char byte, Events& events);
    void handOverLine(Events& events);

    std::array<char, bufferSize> m_frame{};
    std::size_t m_frameLength = 0;
    FrameState m_frameState = FrameState::Outside;
    std::array<char, bufferSize> m_line{};
    std::size_t m_lineLength = 0;
};
