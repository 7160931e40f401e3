#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "app/commands.h"
#include "app/context.h"
#include "app/window_setup.h"
#include "core/model_buffer.h"
#include "core/workspace.h"

namespace nimbrel {

/// A Workspace, a window and a launcher over one model, with the Context that joins them
/// and the window's commands going to the dispatcher: built the same way for the program's
/// window, nimbrel-cli and the tests. The model is the caller's or, given a capacity, the
/// session's own; the window is built from windowArgs; start() then does what creating
/// the main window does.
template <typename WindowType, typename LauncherType>
class WindowSession {
    std::unique_ptr<ModelBuffer> ownedModel_;

public:
    template <typename... WindowArgs>
    WindowSession(std::size_t modelCapacity, LauncherType sessionLauncher, WindowArgs&&... windowArgs)
        : ownedModel_(std::make_unique<ModelBuffer>(modelCapacity)),
          model(*ownedModel_),
          launcher(std::move(sessionLauncher)),
          window(std::forward<WindowArgs>(windowArgs)...) {
        wire();
    }
    template <typename... WindowArgs>
    WindowSession(ModelBuffer& sessionModel, LauncherType sessionLauncher, WindowArgs&&... windowArgs)
        : model(sessionModel), launcher(std::move(sessionLauncher)), window(std::forward<WindowArgs>(windowArgs)...) {
        wire();
    }
    // The window's handlers hold this session.
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    void start(const std::string& appDir) { initializeWindow(ctx, appDir); }
    void send(std::uint32_t commandWord) { dispatchCommand(ctx, commandWord); }

    Workspace ws;
    ModelBuffer& model;
    LauncherType launcher;
    WindowType window;
    Context ctx{ws, model, window, launcher};

private:
    void wire() {
        window.setCommandHandler([this](std::uint32_t word) { send(word); });
        // The strip scratch can be large; a closed window gives it back.
        if constexpr (requires { window.setCloseHandler([] {}); })
            window.setCloseHandler([this] { ws.stripScratch.release(); });
    }
};

}  // namespace nimbrel
