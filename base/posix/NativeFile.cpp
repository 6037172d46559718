#include "base/NativeFile.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int descriptor(NativeFile file)
{
    return static_cast<int>(file);
}

FileLook lookOf(int result, const struct stat& info)
{
    FileLook look;
    if (result != 0) {
        if (errno != ENOENT)
            look.error = errno;
        return look;
    }
    look.kind = S_ISREG(info.st_mode) ? FileLook::Kind::Regular : FileLook::Kind::Other;
    look.size = info.st_size < 0 ? 0 : static_cast<std::uint64_t>(info.st_size);
    return look;
}

}  // namespace

FileLook lookAtFile(const std::string& path)
{
    struct stat info {};
    const int result = ::stat(path.c_str(), &info);
    return lookOf(result, info);
}

FileLook lookAtOpenFile(NativeFile file)
{
    struct stat info {};
    const int result = ::fstat(descriptor(file), &info);
    FileLook look = lookOf(result, info);
    if (result != 0 && look.error == 0)
        look.error = ENOENT;
    return look;
}

int openFileForReading(const std::string& path, NativeFile& file)
{
    // Without blocking: a FIFO swapped in after the look must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    file = fd;
    return 0;
}

int readFileSome(NativeFile file, char* buffer, std::size_t size, std::size_t& got)
{
    for (;;) {
        const ssize_t n = ::read(descriptor(file), buffer, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return 0;
        }
        if (errno != EINTR)
            return errno;
    }
}

int createOwnerOnlyFile(const std::string& path, NativeFile& file)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return errno;
    file = fd;
    return 0;
}

int writeFileSome(NativeFile file, const char* data, std::size_t size, std::size_t& put)
{
    for (;;) {
        const ssize_t n = ::write(descriptor(file), data, size);
        if (n >= 0) {
            put = static_cast<std::size_t>(n);
            return 0;
        }
        if (errno != EINTR)
            return errno;
    }
}

int flushFile(NativeFile file)
{
    return ::fsync(descriptor(file)) == 0 ? 0 : errno;
}

int closeFile(NativeFile file)
{
    return ::close(descriptor(file)) == 0 ? 0 : errno;
}

int replaceFileName(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void removeFile(const std::string& path)
{
    ::unlink(path.c_str());
}

void flushDirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

long currentProcessId()
{
    return static_cast<long>(::getpid());
}
