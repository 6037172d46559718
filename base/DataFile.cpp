#include "base/DataFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <new>

namespace {

// Type and size as both looks (before and after opening) see them.
FileFault unusable(const FileLook& look, std::size_t maxBytes)
{
    if (look.kind != FileLook::Kind::Regular)
        return FileFault::of(FileFault::Kind::NotRegularFile);
    if (look.size > maxBytes)
        return FileFault::of(FileFault::Kind::TooLarge);
    return {};
}

DataFileContents faulted(FileFault fault)
{
    DataFileContents contents;
    contents.fault = fault;
    return contents;
}

DataFileContents missingFile()
{
    DataFileContents contents;
    contents.missing = true;
    return contents;
}

DataFileContents readOpened(NativeFile file, std::size_t maxBytes)
{
    const FileLook look = lookAtOpenFile(file);
    if (look.error != 0)
        return faulted(FileFault::system(look.error));
    // Whatever was swapped in between the first look and the open is checked again.
    if (const FileFault fault = unusable(look, maxBytes); !fault.ok())
        return faulted(fault);

    DataFileContents contents;
    contents.bytes.reserve(static_cast<std::size_t>(look.size));
    char buffer[65536];
    for (;;) {
        std::size_t got = 0;
        if (const int error = readFileSome(file, buffer, sizeof buffer, got); error != 0)
            return faulted(FileFault::system(error));
        if (got == 0)
            return contents;
        // A file that grows while it is read is held to the same limit.
        if (contents.bytes.size() + got > maxBytes)
            return faulted(FileFault::of(FileFault::Kind::TooLarge));
        contents.bytes.append(buffer, got);
    }
}

// A new file readable by its owner only (a book holds passwords), created
// beside path under a name nobody else holds; never through a link.
int createTemporaryBeside(const std::string& path, std::string& tempPath, NativeFile& file)
{
    static std::atomic<unsigned> serial{0};
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const auto nanoseconds = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000000;
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".tmp%ld.%u.%ld", currentProcessId(), serial.fetch_add(1),
                      static_cast<long>(nanoseconds));
        tempPath = path + suffix;
        error = createOwnerOnlyFile(tempPath, file);
    }
    return error;
}

}  // namespace

DataFileContents readDataFile(const std::string& path, std::size_t maxBytes)
{
    const FileLook look = lookAtFile(path);
    if (look.error != 0)
        return faulted(FileFault::system(look.error));
    if (look.kind == FileLook::Kind::Missing)
        return missingFile();
    // Opening a device can have effects of its own (a serial port raises DTR),
    // so a name of the wrong type is refused before it is opened.
    if (const FileFault fault = unusable(look, maxBytes); !fault.ok())
        return faulted(fault);

    NativeFile file = noNativeFile;
    if (const int error = openFileForReading(path, file); error != 0)
        return error == ENOENT ? missingFile() : faulted(FileFault::system(error));
    DataFileContents contents;
    try {
        contents = readOpened(file, maxBytes);
    } catch (const std::bad_alloc&) {
        contents = faulted(FileFault::system(ENOMEM));
    }
    closeFile(file);
    return contents;
}

FileWriteIo systemFileWriteIo()
{
    return FileWriteIo{writeFileSome, flushFile, replaceFileName};
}

FileFault replaceDataFile(const std::string& path, std::string_view bytes, const FileWriteIo& io)
{
    std::string tempPath;
    NativeFile file = noNativeFile;
    if (const int error = createTemporaryBeside(path, tempPath, file); error != 0)
        return FileFault::system(error);

    int failure = 0;
    std::size_t written = 0;
    while (failure == 0 && written < bytes.size()) {
        std::size_t put = 0;
        failure = io.write(file, bytes.data() + written, bytes.size() - written, put);
        if (failure == 0 && put == 0)
            failure = ENOSPC;
        written += put;
    }
    if (failure == 0)
        failure = io.flush(file);
    if (const int error = closeFile(file); error != 0 && failure == 0)
        failure = error;
    if (failure == 0)
        failure = io.rename(tempPath, path);
    if (failure != 0) {
        removeFile(tempPath);
        return FileFault::system(failure);
    }
    // Make the rename itself durable; the new file is already complete either way.
    flushDirectoryOf(path);
    return {};
}
