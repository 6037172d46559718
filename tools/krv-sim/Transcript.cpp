#include "tools/krv-sim/Transcript.h"

#include <ctime>

namespace {

double secondsNow()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

Transcript::~Transcript()
{
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool Transcript::open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
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
    if (file_ != nullptr) {
        std::fprintf(file_, "%.3f %s # %s\n", secondsNow(), source.c_str(), text.c_str());
        std::fflush(file_);
    }
}

void Transcript::write(const std::string& source, char direction, const std::uint8_t* data, std::size_t length)
{
    if (file_ == nullptr || length == 0) {
        return;
    }
    std::fprintf(file_, "%.3f %s %c", secondsNow(), source.c_str(), direction);
    for (std::size_t i = 0; i < length; ++i) {
        std::fprintf(file_, " %02X", data[i]);
    }
    std::fputc('\n', file_);
    std::fflush(file_);
}
