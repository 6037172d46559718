#include "tools/krv-sim/Transcript.h"

#include <chrono>

namespace {

double secondsNow()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

Transcript::~Transcript()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool Transcript::open(const std::string& path)
{
    m_file = std::fopen(path.c_str(), "a");
    return m_file != nullptr;
}

void Transcript::fromTerminal(const std::string& source, const std::uint8_t* data, std::size_t length)
{
    write(source, '>', data, length);
}

void Transcript::toTerminal(const std::string& source, const std::uint8_t* data, std::size_t length)
{
    write(source, '<', data, length);
}

void Transcript::note(const std::string& source, const std::string& text)
{
    if (m_file != nullptr) {
        std::fprintf(m_file, "%.3f %s # %s\n", secondsNow(), source.c_str(), text.c_str());
        std::fflush(m_file);
    }
}

void Transcript::write(const std::string& source, char direction, const std::uint8_t* data, std::size_t length)
{
    if (m_file == nullptr || length == 0) {
        return;
    }
    std::fprintf(m_file, "%.3f %s %c", secondsNow(), source.c_str(), direction);
    for (std::size_t i = 0; i < length; ++i) {
        std::fprintf(m_file, " %02X", data[i]);
    }
    std::fputc('\n', m_file);
    std::fflush(m_file);
}
