#include "fuzz/scratch_folder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include <unistd.h>

namespace nimbrel::fuzzing {

ScratchFolder::ScratchFolder() {
    // Memory-backed when there is such a folder: a session creates and deletes a dozen
    // files per input, which on a disk file system costs more than the input itself.
    std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/nimbrel-fuzz-XXXXXX" : "/tmp/nimbrel-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    path_ = pattern;
    reset();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::current_path("/", ec);
    std::filesystem::remove_all(path_, ec);
}

void ScratchFolder::reset(std::initializer_list<std::string_view> keep) {
    std::error_code ec;
    // A command may leave the current directory anywhere (the tutorial moves it to the
    // tool folder); step out before deleting.
    std::filesystem::current_path(path_, ec);
    for (const auto& entry : std::filesystem::directory_iterator(path_, ec)) {
        std::string name = entry.path().filename().string();
        if (std::find(keep.begin(), keep.end(), name) == keep.end()) std::filesystem::remove_all(entry.path(), ec);
    }
}

bool writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace nimbrel::fuzzing
