#pragma once
// The operating system's files as the data file functions (base/DataFile.h)
// use them: one platform file per system implements these. Paths are UTF-8 on
// every system; errors are errno values on every system, so a fault reads the
// same wherever it happened.

#include <cstddef>
#include <cstdint>
#include <string>

// A descriptor on POSIX, a HANDLE on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile noNativeFile = -1;

// What stands at a name, links followed.
struct FileLook {
    enum class Kind {
        Missing,
        Regular,
        Other,  // a directory, FIFO, device, socket: nothing a data file may be
    };
    int error = 0;  // why the look failed; Kind is then meaningless
    Kind kind = Kind::Missing;
    std::uint64_t size = 0;
};

// Looks at the name without opening it: opening a device can have effects of
// its own (a serial port raises DTR).
FileLook lookAtFile(const std::string& path);
// The same for a file already open, which may differ from what was looked at.
FileLook lookAtOpenFile(NativeFile file);

// Each returns 0 or the errno of its failure.
int openFileForReading(const std::string& path, NativeFile& file);
// got = 0 at the end of the file.
int readFileSome(NativeFile file, char* buffer, std::size_t size, std::size_t& got);
// A new file readable and writable by its owner only, never through a link;
// EEXIST when anything stands at the name.
int createOwnerOnlyFile(const std::string& path, NativeFile& file);
int writeFileSome(NativeFile file, const char* data, std::size_t size, std::size_t& put);
// Waits until the file's bytes are on the disk.
int flushFile(NativeFile file);
int closeFile(NativeFile file);
// Puts `from` in the place of `to` in one step, whatever stood at `to` (a file
// or a link, which is replaced, not followed).
int replaceFileName(const std::string& from, const std::string& to);
void removeFile(const std::string& path);
// Makes a rename in the directory of `path` durable where the system needs to
// be asked for that.
void flushDirectoryOf(const std::string& path);
// A number that tells this process from others running at the same time.
long currentProcessId();
