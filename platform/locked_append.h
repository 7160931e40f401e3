#pragma once

#include <cstddef>
#include <string>

namespace nimbrel::platform {

/// Writes n bytes at the current end of the file open for writing on fd, holding an fcntl
/// write lock on exactly those bytes meanwhile. False when not every byte was written.
/// A file system that grants no record locks still gets the bytes: the lock only keeps
/// cooperating writers out, and refusing would lose the user's data.
bool appendLocked(int fd, const void* bytes, std::size_t n);

enum class FileAppend {
    Copied,        ///< every byte of the source is at the end of the output
    SourceMissing, ///< the source is not a regular file that opens for reading
    ReadFailed,    ///< reading the source failed; the chunks before stay appended
    WriteFailed,   ///< writing the output failed
};

/// Copies the file at sourcePath onto the end of fd in chunks of 4096 bytes, each
/// appended with appendLocked.
FileAppend appendFileLocked(const std::string& sourcePath, int fd);

}  // namespace nimbrel::platform
