#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace nimbrel::fuzzing {

/// A private folder (in /dev/shm, else /tmp) for one harness process, emptied before every input, so no
/// input sees the files of the one before and nothing piles up over millions of runs.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    /// Deletes everything inside but the entries named in keep, makes the folder the
    /// current directory again.
    void reset(std::initializer_list<std::string_view> keep = {});
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

/// Writes bytes to path, replacing the file; false when it cannot.
bool writeBytes(const std::filesystem::path& path, std::string_view bytes);

}  // namespace nimbrel::fuzzing
