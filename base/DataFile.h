#pragma once
// Reading the program's data files (pinfo.dat, phone.dat, ip.dat, serialmap.dat)
// without trusting what lies at their names: only a regular file of sane size is
// read, so a FIFO cannot block the program, a link to /dev/zero cannot fill its
// memory and a directory cannot make a reader fail in a way it does not expect.
// A symbolic link to a regular file is followed; writes never follow one.
// Paths are UTF-8, so Korean names work on every system.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "base/NativeFile.h"

// Why a data file could not be read or written.
struct FileFault {
    enum class Kind {
        None,
        System,          // a system call failed; error holds its errno (on Windows too)
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

// The system calls a replacing write makes (base/NativeFile.h); tests put
// failing ones in. Each returns 0 or an errno; a write that puts nothing and
// gives no error counts as a full disk.
struct FileWriteIo {
    std::function<int(NativeFile file, const char* data, std::size_t size, std::size_t& put)> write;
    std::function<int(NativeFile file)> flush;
    std::function<int(const std::string& from, const std::string& to)> rename;
};
FileWriteIo systemFileWriteIo();

// Puts the bytes at path by renaming a complete new file over the name. The new
// file is created beside it, readable by its owner only (books hold passwords),
// never through a link; whatever stands at the name (an older file, a planted
// link) is replaced as a directory entry and never written through. On a fault
// the old file is left as it was and the new one removed.
FileFault replaceDataFile(const std::string& path, std::string_view bytes,
                          const FileWriteIo& io = systemFileWriteIo());
