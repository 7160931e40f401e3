#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "app/context.h"
#include "app/headless_window.h"
#include "app/launcher.h"
#include "app/window_session.h"
#include "core/model_buffer.h"
#include "core/workspace.h"

namespace nimbrel {

/// Writes a "launch:" record of each program start to out, and starts the program only
/// when asked to.
class ScriptLauncher : public Launcher {
public:
    ScriptLauncher(std::ostream& out, bool launch) : out_(&out), launch_(launch) {}
    void launchAndWait(const std::string& program, const std::string& argument) override;

private:
    std::ostream* out_;
    bool launch_;
};

/// A headless main window with its Workspace, created as the program creates its window
/// (banner, start-up checks against appDir). Records and program starts go to out.
class HeadlessSession {
public:
    HeadlessSession(ModelBuffer& model, std::ostream& out, const std::string& appDir, bool launch);

    Workspace& workspace() { return session_.ws; }
    HeadlessWindow& window() { return session_.window; }
    Context& context() { return session_.ctx; }
    void dispatch(std::uint32_t commandWord) { session_.send(commandWord); }

private:
    WindowSession<HeadlessWindow, ScriptLauncher> session_;
};

/// Runs a nimbrel-cli script against a fresh headless session. Returns 0 when the script
/// ran to its end, 2 after a malformed line (reported on err with its line number).
int runScript(std::istream& script, std::ostream& out, std::ostream& err, ModelBuffer& model,
              const std::string& appDir, bool launch);

/// The same, calling afterLine with the session after each line that ran, so a test can
/// hold what a command wrote against the state that wrote it.
using ScriptLineHook = std::function<void(Context& ctx, std::string_view line)>;
int runScript(std::istream& script, std::ostream& out, std::ostream& err, ModelBuffer& model,
              const std::string& appDir, bool launch, const ScriptLineHook& afterLine);

}  // namespace nimbrel
