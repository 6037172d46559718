#pragma once
// Writes every byte of the line both ways to a text file, one line per chunk:
// "<seconds> > hex..." for bytes from the terminal, "<seconds> < hex..." for
// bytes to it. Does nothing when not opened.

#include <cstdint>
#include <cstdio>
#include <string>

class Transcript {
public:
    Transcript() = default;
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;
    ~Transcript();

    bool open(const std::string& path);
    void fromTerminal(const std::string& source, const std::uint8_t* data, std::size_t length);
    void toTerminal(const std::string& source, const std::uint8_t* data, std::size_t length);
    void note(const std::string& source, const std::string& text);

private:
    void write(const std::string& source, char direction, const std::uint8_t* data, std::size_t length);
    std::FILE* m_file = nullptr;
};
