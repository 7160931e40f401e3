// Fuzz harness: a whole command session on the headless window, in a private folder.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "app/script_runner.h"
#include "core/model_buffer.h"
#include "fuzz/fuzz_limits.h"
#include "fuzz/scratch_folder.h"
#include "fuzz/session_input.h"

namespace {

using namespace nimbrel;
using namespace nimbrel::fuzzing;

struct Folders {
    ScratchFolder tools;
    ScratchFolder session;
};

// A static object, not a leaked one, so its folders are deleted when the process exits.
Folders& folders() {
    [[maybe_unused]] static bool limited = (limitOutputFiles(), true);
    static Folders f;
    return f;
}

constexpr const char* kKindNames[] = {"file ", "folder ", "link to /dev/full "};

void printInput(const SessionInput& input) {
    std::cerr << "# model: " << input.model.size() << " bytes\n";
    for (const auto& file : input.files)
        std::cerr << "# " << kKindNames[static_cast<int>(file.kind)] << file.name << ": " << file.bytes.size()
                  << " bytes\n";
    std::cerr << input.script;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Folders& f = folders();
    // The tools only have to exist; commands may leave files beside them.
    f.tools.reset({"mesh_viewer", "notepad", "wordpad"});
    for (const char* tool : {"mesh_viewer", "notepad", "wordpad"}) {
        auto path = f.tools.path() / tool;
        if (std::filesystem::exists(path)) continue;
        writeBytes(path, "");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    f.session.reset();

    SessionInput input = decodeSessionInput(data, size, f.session.path().string());
    const bool print = std::getenv("NIMBREL_FUZZ_PRINT") != nullptr;
    if (print) printInput(input);
    writeBytes(f.session.path() / kSessionModel, input.model);
    for (const auto& file : input.files) {
        std::error_code ec;
        std::filesystem::remove_all(f.session.path() / file.name, ec);
        const auto path = f.session.path() / file.name;
        switch (file.kind) {
        case PreparedFile::Kind::File: writeBytes(path, file.bytes); break;
        case PreparedFile::Kind::Folder: std::filesystem::create_directory(path, ec); break;
        // Every write to it fails: the commands' error paths.
        case PreparedFile::Kind::FullDisk: std::filesystem::create_symlink("/dev/full", path, ec); break;
        }
    }

    ModelBuffer model(kMaxSessionModel + 1);
    std::istringstream script(input.script);
    // NIMBREL_FUZZ_PRINT=1 shows the decoded script and what it printed, for replays.
    std::ostream discard(nullptr);
    std::ostream& out = print ? std::cerr : discard;
    runScript(script, out, out, model, f.tools.path().string(), false);
    return 0;
}
