#include "base/DataFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
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

// A new file readable by its owner only (a book holds passwords), created
// beside path under a name nobody else holds; never through a link.
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
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              S_IRUSR | S_IWUSR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
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

FileWriteIo systemFileWriteIo()
{
    return FileWriteIo{
        [](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
        [](int fd) { return ::fsync(fd); },
        [](const char* from, const char* to) { return ::rename(from, to); },
    };
}

FileFault replaceDataFile(const std::string& path, std::string_view bytes, const FileWriteIo& io)
{
    std::string tempPath;
    const int fd = createTemporaryBeside(path, tempPath);
    if (fd < 0)
        return FileFault::system(errno);

    int failure = 0;
    std::size_t written = 0;
    while (failure == 0 && written < bytes.size()) {
        const ssize_t put = io.write(fd, bytes.data() + written, bytes.size() - written);
        if (put > 0)
            written += static_cast<std::size_t>(put);
        else if (put < 0 && errno == EINTR)
            continue;
        else
            failure = put < 0 ? errno : ENOSPC;
    }
    if (failure == 0 && io.fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && io.rename(tempPath.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(tempPath.c_str());
        return FileFault::system(failure);
    }
    // Make the rename itself durable; the new file is already complete either way.
    const int dirFd = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}
