// Fuzz harness: the parameter-file loader on any bytes, then its saver on whatever loaded.
#include <cstdint>
#include <cstdlib>

#include "core/model_buffer.h"
#include "core/workspace.h"
#include "fuzz/fuzz_limits.h"
#include "fuzz/scratch_folder.h"
#include "params/parameter_file.h"
#include "tests/support/recording_panel.h"

namespace {

using namespace nimbrel;
using namespace nimbrel::fuzzing;

// A static object, not a leaked one, so its folder is deleted when the process exits.
ScratchFolder& folder() {
    [[maybe_unused]] static bool limited = (limitOutputFiles(), true);
    static ScratchFolder f;
    return f;
}

// The loader's contract: a failure shows exactly one message.
void requireOneMessage(bool ok, const testing::RecordingPanel& panel) {
    if (!ok && panel.messages.size() != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScratchFolder& f = folder();
    f.reset();
    const std::string path = (f.path() / "input.vyp").string();
    writeBytes(path, std::string_view(reinterpret_cast<const char*>(data), size));

    Workspace ws;
    testing::RecordingPanel panel;
    bool loaded = loadParameterFile(ws, panel, path);
    requireOneMessage(loaded, panel);
    if (!loaded) return 0;

    // Whatever loaded goes through the saver: its field checks against a 64 KiB model pass
    // or fail with one message.
    static ModelBuffer& model = *[] {
        auto* m = new ModelBuffer(1 << 16);
        m->commitLoad(1 << 16);
        return m;
    }();
    panel.messages.clear();
    bool saved = saveParameterFile(ws, model, panel, (f.path() / "model").string(), ws.vbMode != 0);
    requireOneMessage(saved, panel);
    return 0;
}
