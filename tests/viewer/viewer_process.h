#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace nimbrel::testing {

/// What a finished mesh_viewer run left.
struct ViewerRun {
    int exitCode = -1;  ///< -1 when it was killed for running too long
    std::string out;
    std::string err;
};

/// A running mesh_viewer window process; killed by the destructor if still running.
class ViewerProcess {
public:
    ViewerProcess(const std::vector<std::string>& args, const std::vector<std::string>& env);
    ~ViewerProcess();
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    /// Waits up to timeoutMs for the end; kills it past that.
    ViewerRun wait(int timeoutMs);

private:
    int pid_ = -1;
    std::filesystem::path outPath_;
    std::filesystem::path errPath_;
};

/// Runs mesh_viewer with args; env entries (NAME=VALUE, or NAME alone to unset) change
/// the test's own environment for the child.
ViewerRun runViewer(const std::vector<std::string>& args,
                    const std::vector<std::string>& env = {}, int timeoutMs = 30000);

/// A fresh folder for one test, also used as the viewers' XDG_RUNTIME_DIR.
std::filesystem::path makeTestFolder(const std::string& name);

} // namespace nimbrel::testing
