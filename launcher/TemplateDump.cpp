#include "launcher/TemplateDump.h"

#include <cstdio>
#include <vector>

namespace launcher {

bool dumpTemplateSource(const MessageHook& showMessage, const std::string& directory)
{
    constexpr std::size_t maxBytes = 2048;
    constexpr std::size_t itemsPerLine = 16;
    const std::string prefix = directory.empty() || directory.back() == '/' ? directory : directory + '/';

    // Opened for reading only: a read-only source file still dumps.
    std::FILE* in = std::fopen((prefix + "1234.ht").c_str(), "rb");
    if (!in) {
        if (showMessage)
            showMessage("ht파일이 없어요..ㅠ,ㅜ");
        return false;
    }
    std::vector<unsigned char> bytes(maxBytes);
    bytes.resize(std::fread(bytes.data(), 1, maxBytes, in));
    std::fclose(in);

    // Line breaks are LF on every system, so the text is the same everywhere.
    std::FILE* out = std::fopen((prefix + "1234.txt").c_str(), "wb");
    if (!out) {
        if (showMessage)
            showMessage("TxT 파일을 열 수 없어요..ㅠ,ㅜ");
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % itemsPerLine == 0)
            std::fputc('\n', out);
        std::fprintf(out, "0x%2.2X,", bytes[i]);
    }
    return std::fclose(out) == 0;
}

} // namespace launcher
