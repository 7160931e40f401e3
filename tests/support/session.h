#pragma once

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "app/headless_window.h"
#include "app/window_session.h"

namespace nimbrel::testing {

/// Records program starts instead of making them.
class RecordingLauncher : public Launcher {
public:
    std::vector<std::pair<std::string, std::string>> starts;
    void launchAndWait(const std::string& program, const std::string& argument) override {
        starts.emplace_back(program, argument);
    }
};

/// A headless window with its own Workspace and model, wired to the dispatcher.
struct Session : WindowSession<HeadlessWindow, RecordingLauncher> {
    /// appDir empty: the start-up checks are skipped and every tool counts as present.
    explicit Session(const std::string& appDir = "", std::size_t capacity = 1 << 20)
        : WindowSession(capacity, RecordingLauncher{}) {
        if (!appDir.empty()) {
            start(appDir);
        } else {
            ws.appDir = ".";
            ws.notepadMissing = 0;
            ws.notepadPath = "./notepad";
            ws.wordpadPath = "./wordpad";
            ws.meshViewerPath = "./mesh_viewer";
        }
    }

    /// A user's click: nothing when disabled, a check box ticks itself first.
    void click(int id) {
        if (!window.isEnabled(id)) return;
        if (id >= 34 && id <= 38) window.setChecked(id, !window.isChecked(id));
        send(static_cast<std::uint32_t>(id));
    }
    /// Opens a model file at path through the Open dialog.
    void open(const std::string& path) {
        window.queueAnswer(path);
        send(9070);
    }
};

}  // namespace nimbrel::testing
