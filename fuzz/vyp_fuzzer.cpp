// Fuzz harness: the parameter-file loader on any bytes, then its saver on whatever loaded,
// then the two once more on what was saved.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/window_reports.h"
#include "core/model_buffer.h"
#include "core/workspace.h"
#include "fuzz/fuzz_limits.h"
#include "fuzz/scratch_folder.h"
#include "params/parameter_file.h"
#include "tests/support/recording_window.h"

namespace {

using namespace nimbrel;
using namespace nimbrel::fuzzing;

// A static object, not a leaked one, so its folder is deleted when the process exits.
ScratchFolder& folder() {
    [[maybe_unused]] static bool limited = (limitOutputFiles(), true);
    static ScratchFolder f;
    return f;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The loader's contract: a failure shows exactly one message. The saver's field checks
// may show the mixed-mode hint before the message that stops them.
void requireOneMessage(bool ok, const testing::RecordingWindow& panel) {
    if (!ok && panel.messages.size() != 1) std::abort();
}
void requireMessage(bool ok, const testing::RecordingWindow& panel) {
    if (!ok && panel.messages.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScratchFolder& f = folder();
    f.reset();
    const std::string path = (f.path() / "input.vyp").string();
    writeBytes(path, std::string_view(reinterpret_cast<const char*>(data), size));

    Workspace ws;
    testing::RecordingWindow panel;
    bool loaded = loadParameterFile(ws, panel, path);
    requireOneMessage(loaded, panel);
    if (!loaded) return 0;

    // Whatever loaded goes through the saver, as "&Save VYP" after "Open VYP" would. Its
    // field checks run against a 64 KiB model.
    static ModelBuffer& model = *[] {
        auto* m = new ModelBuffer(1 << 16);
        m->commitLoad(1 << 16);
        return m;
    }();
    panel.messages.clear();
    const std::string first = (f.path() / "first").string();
    bool saved = saveParameterFile(ws, model, panel, first, ws.vbMode);
    requireMessage(saved, panel);
    if (!saved) return 0;

    // A file we wrote loads again and saves to the same bytes: nothing is lost on the way.
    Workspace again;
    testing::RecordingWindow againWindow;
    const std::string second = (f.path() / "second").string();
    if (!loadParameterFile(again, againWindow, parameterFileName(first, 0))) std::abort();
    if (!saveParameterFile(again, model, againWindow, second, again.vbMode)) std::abort();
    if (readBytes(parameterFileName(first, 0)) != readBytes(parameterFileName(second, 0))) std::abort();
    return 0;
}
