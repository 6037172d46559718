#include "launcher/SessionFile.h"

#include "launcher/SessionTemplate.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace launcher {
namespace {

// A new file beside path, readable by its owner only, under a name nobody else
// holds; never opened through a link.
int createTemporaryBeside(const std::string& path, std::string& tempPath)
{
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".tmp%ld.%u.%ld", static_cast<long>(::getpid()),
                      serial.fetch_add(1), static_cast<long>(now.tv_nsec));
        tempPath = path + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put > 0)
            written += static_cast<std::size_t>(put);
        else if (put < 0 && errno == EINTR)
            continue;
        else
            return false;
    }
    return true;
}

// Puts the bytes at path by renaming a complete new file over the name: what
// stands there (an earlier session file, or a link planted to make us write
// elsewhere) is replaced as a directory entry and never written through.
bool replaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::string tempPath;
    const int fd = createTemporaryBeside(path, tempPath);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(tempPath.c_str());
    return ok;
}

} // namespace

bool writeSessionFile(const std::string& path, std::string_view address, std::uint16_t port)
{
    using T = SessionTemplate;
    const std::vector<std::uint8_t>& image = T::bytes();
    const std::uint8_t* base = image.data();
    const std::uint32_t addressLength = static_cast<std::uint32_t>(address.size()) + 1;
    const std::uint8_t lengthField[4] = {
        static_cast<std::uint8_t>(addressLength & 0xFF),
        static_cast<std::uint8_t>((addressLength >> 8) & 0xFF),
        static_cast<std::uint8_t>((addressLength >> 16) & 0xFF),
        static_cast<std::uint8_t>(addressLength >> 24),
    };
    const std::uint8_t portLow[2] = {
        static_cast<std::uint8_t>(port & 0xFF),
        static_cast<std::uint8_t>(port >> 8),
    };

    struct Piece {
        const void* data;
        std::size_t size;
    };
    // Header and records up to the address tag; the address length; the
    // address; its terminator with the port tag and length; the port's low two
    // bytes; the port's zero high bytes and every later record.
    const Piece pieces[] = {
        {base, T::addressLengthOffset},
        {lengthField, sizeof lengthField},
        {address.data(), address.size()},
        {base + T::addressTerminatorOffset, T::portValueOffset - T::addressTerminatorOffset},
        {portLow, sizeof portLow},
        {base + T::portValueOffset + 2, T::imageSize - T::portValueOffset - 2},
    };

    std::vector<std::uint8_t> bytes;
    bytes.reserve(T::imageSize + address.size());
    for (const Piece& p : pieces) {
        const auto* data = static_cast<const std::uint8_t*>(p.data);
        if (p.size != 0)
            bytes.insert(bytes.end(), data, data + p.size);
    }
    return replaceFile(path, bytes);
}

} // namespace launcher
