#include "base/DataFile.h"

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Type and size as both checks (before and after opening) see them.
FileFault unusable(const struct stat& info, std::size_t maxBytes)
{
    if (!S_ISREG(info.st_mode))
        return FileFault::of(FileFault::Kind::NotRegularFile);
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxBytes)
        return FileFault::of(FileFault::Kind::TooLarge);
    return {};
}

DataFileContents faulted(FileFault fault)
{
    DataFileContents contents;
    contents.fault = fault;
    return contents;
}

DataFileContents readOpened(int fd, std::size_t maxBytes)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return faulted(FileFault::system(errno));
    // Whatever was swapped in between the first look and the open is checked again.
    if (const FileFault fault = unusable(info, maxBytes); !fault.ok())
        return faulted(fault);

    DataFileContents contents;
    contents.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            // A file that grows while it is read is held to the same limit.
            if (contents.bytes.size() + static_cast<std::size_t>(got) > maxBytes)
                return faulted(FileFault::of(FileFault::Kind::TooLarge));
            contents.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            return contents;
        } else if (errno != EINTR) {
            return faulted(FileFault::system(errno));
        }
    }
}

}  // namespace

DataFileContents readDataFile(const std::string& path, std::size_t maxBytes)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            DataFileContents contents;
            contents.missing = true;
            return contents;
        }
        return faulted(FileFault::system(errno));
    }
    // Opening a device can have effects of its own (a serial port raises DTR),
    // so a name of the wrong type is refused before it is opened.
    if (const FileFault fault = unusable(info, maxBytes); !fault.ok())
        return faulted(fault);

    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            DataFileContents contents;
            contents.missing = true;
            return contents;
        }
        return faulted(FileFault::system(errno));
    }
    DataFileContents contents;
    try {
        contents = readOpened(fd, maxBytes);
    } catch (const std::bad_alloc&) {
        contents = faulted(FileFault::system(ENOMEM));
    }
    ::close(fd);
    return contents;
}
