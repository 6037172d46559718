#pragma once
// Reading the program's data files (pinfo.dat, phone.dat, ip.dat, serialmap.dat)
// without trusting what lies at their names: only a regular file of sane size is
// read, so a FIFO cannot block the program, a link to /dev/zero cannot fill its
// memory and a directory cannot make a reader fail in a way it does not expect.
// A symbolic link to a regular file is followed; writes never follow one.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include <sys/types.h>

// Why a data file could not be read or written.
struct FileFault {
    enum class Kind {
        None,
        System,          // a system call failed; error holds its errno
        NotRegularFile,  // a directory, FIFO, device or socket at the file's name
        TooLarge,        // larger than a data file can sanely be
        UnstorableName,  // a section or key name the file format cannot hold
    };
    Kind kind = Kind::None;
    int error = 0;

    bool ok() const { return kind == Kind::None; }
    static FileFault system(int errorNumber) { return FileFault{Kind::System, errorNumber}; }
    static FileFault of(Kind kind) { return FileFault{kind, 0}; }
};

// A data file that could not be used, for telling the operator.
struct FileProblem {
    std::string path;
    FileFault fault;
};

inline constexpr std::size_t maxDataFileBytes = std::size_t{16} << 20;

struct DataFileContents {
    bool missing = false;  // nothing at that name: an empty file, not a fault
    FileFault fault;       // set when something is there that could not be read
    std::string bytes;
};

// Reads the whole file when it is a regular file of at most maxBytes. Anything
// else gives a fault and no bytes; the file is not even opened when its type is
// wrong, and it is opened without blocking. Never throws.
DataFileContents readDataFile(const std::string& path, std::size_t maxBytes = maxDataFileBytes);

// The system calls a replacing write makes; tests put failing ones in.
struct FileWriteIo {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
};
FileWriteIo systemFileWriteIo();

// Puts the bytes at path by renaming a complete new file over the name. The new
// file is created beside it, readable by its owner only (books hold passwords),
// never through a link; whatever stands at the name (an older file, a planted
// link) is replaced as a directory entry and never written through. On a fault
// the old file is left as it was and the new one removed.
FileFault replaceDataFile(const std::string& path, std::string_view bytes,
                          const FileWriteIo& io = systemFileWriteIo());
