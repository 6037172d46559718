#include "script/ScriptDescription.h"

#include "script/Cp949Bytes.h"
#include "script/ScriptHost.h"

namespace {

constexpr std::size_t shownBytes = 80;

}  // namespace

std::string escapedForProgress(std::string_view text, std::size_t maxBytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    std::size_t i = 0;
    while (i < text.size() && i < maxBytes) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isCp949Lead(byte) && i + 1 < text.size() && isCp949Trail(static_cast<unsigned char>(text[i + 1]))) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        switch (byte) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                out += "\\x";
                out += digits[byte >> 4];
                out += digits[byte & 0xF];
            } else {
                out += static_cast<char>(byte);
            }
        }
        ++i;
    }
    if (i < text.size())
        out += "...";
    return out;
}

std::string quotedForProgress(std::string_view text)
{
    return "\"" + escapedForProgress(text, shownBytes) + "\"";
}

std::string durationText(ScriptDuration duration)
{
    const auto ms = duration.count();
    if (ms % 3'600'000 == 0 && ms != 0)
        return std::to_string(ms / 3'600'000) + "h";
    if (ms % 60'000 == 0 && ms != 0)
        return std::to_string(ms / 60'000) + "m";
    if (ms % 1000 == 0 && ms != 0)
        return std::to_string(ms / 1000) + "s";
    return std::to_string(ms) + "ms";
}

std::string sourceName(int source)
{
    return source == scriptLocalLine ? std::string("local") : std::to_string(source);
}
