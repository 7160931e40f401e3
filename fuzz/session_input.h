#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nimbrel::fuzzing {

/// A file, folder or link to /dev/full the session finds beside the model before its
/// script starts.
struct PreparedFile {
    enum class Kind { File, Folder, FullDisk };
    std::string name;
    Kind kind = Kind::File;
    std::string bytes;
};

/// One fuzz input of the session harness, decoded: the model file, files beside it, and a
/// nimbrel-cli script that opens the model and then drives the window. The script is plain
/// script text, so a failing input replays with `nimbrel-cli run` as well.
struct SessionInput {
    std::string model;
    std::vector<PreparedFile> files;
    std::string script;
};

/// Name of the model file in the session folder.
inline constexpr const char* kSessionModel = "model.bin";
/// Largest model the harness writes; with it, every block and so every output stays small.
inline constexpr std::size_t kMaxSessionModel = 512;

/// Layout: two bytes (little endian) give the model length (capped by kMaxSessionModel and
/// the bytes left), the model bytes follow, then one operation per leading byte until the
/// input ends. `folder` is the absolute session folder; '@' and '/' in a prepared file's
/// text become "folder/" and ".." becomes ".", so a file list names files by full path
/// and never a folder outside the session's.
SessionInput decodeSessionInput(const std::uint8_t* data, std::size_t size, const std::string& folder);

}  // namespace nimbrel::fuzzing
