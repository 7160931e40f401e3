#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace nimbrel::platform {

/// First file matching pattern (shell wildcards allowed), as glob names it; nothing when
/// no regular file matches.
std::optional<std::string> fileLookup(const std::string& pattern);
/// Size in bytes of the file at path, or nothing when it cannot be examined.
std::optional<std::uint64_t> fileSize(const std::string& path);
/// True when path names a regular file that can be opened for reading right now.
bool fileExists(const std::string& path);
/// True when path names a regular file that can be opened and executed.
bool isRunnable(const std::string& path);
/// Reads exactly size bytes from offset 0 of the regular file open as fd into dest, large
/// files on two cores at once. False on a read error or when the file ends early.
bool readWhole(int fd, void* dest, std::size_t size);
std::string currentDirectory();
/// False when the directory cannot be entered; the current directory is then unchanged.
bool changeDirectory(const std::string& path);
/// Folder of the running executable.
std::string executableDir();
/// Full path of the running executable.
std::string executablePath();
/// The folder part of path (before its last '/'), or "." when it has none.
std::string folderOf(const std::string& path);
/// The part of path after its last '/'.
std::string fileNameOf(const std::string& path);

}  // namespace nimbrel::platform
