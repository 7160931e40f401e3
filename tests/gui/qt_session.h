#pragma once

#include <QTest>

#include <string>
#include <vector>

#include "app/launcher.h"
#include "app/window_session.h"
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
struct QtSession : WindowSession<QtWindow, RecordingLauncher> {
    explicit QtSession(const std::string& appDir, BaseUnits units = {}, std::size_t modelCapacity = 1 << 16)
        : WindowSession(modelCapacity, RecordingLauncher{}, units) {
        window.setCloseHandler([this] {
            ws.stripScratch.release();
            ++closes;
        });
        start(appDir);
    }

    bool show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    int closes = 0;
};

}  // namespace nimbrel::testing
