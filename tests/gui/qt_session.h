#pragma once

#include <QTest>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/context.h"
#include "app/launcher.h"
#include "app/window_setup.h"
#include "core/model_buffer.h"
#include "core/workspace.h"
#include "gui/qt_window.h"

namespace nimbrel::testing {

class RecordingLauncher : public Launcher {
public:
    void launchAndWait(const std::string& program, const std::string& argument) override {
        launches.push_back(program + ' ' + argument);
    }
    std::vector<std::string> launches;
};

/// A QtWindow with its own Workspace and model, created as the program creates it.
struct QtSession {
    explicit QtSession(const std::string& appDir, BaseUnits units = {}, std::size_t modelCapacity = 1 << 16)
        : model(modelCapacity), window(units) {
        window.setCommandHandler([this](std::uint32_t word) { dispatchCommand(ctx, word); });
        window.setCloseHandler([this] {
            ws.stripScratch.release();
            ++closes;
        });
        initializeWindow(ctx, appDir);
    }

    bool show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    Workspace ws;
    ModelBuffer model;
    RecordingLauncher launcher;
    QtWindow window;
    Context ctx{ws, model, window, launcher};
    int closes = 0;
};

}  // namespace nimbrel::testing
