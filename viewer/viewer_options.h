#pragma once

#include <string>
#include <vector>

namespace nimbrel {

/// What the command line asks of mesh_viewer.
struct ViewerOptions {
    std::string file;
    std::string snapshotPath;  ///< empty: show the window
    int width = 800;           ///< snapshot size in pixels
    int height = 600;
    bool help = false;
};

inline constexpr int kLargestSnapshotSide = 16384;

/// The usage text --help prints, ending in a newline.
extern const char* const kViewerUsage;

/// Reads the arguments after the program name. False with one message in error when they
/// do not make one of the two forms of the usage text.
bool parseViewerOptions(const std::vector<std::string>& args, ViewerOptions& options,
                        std::string& error);

} // namespace nimbrel
