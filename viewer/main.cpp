#include "viewer/handover.h"
#include "viewer/mesh_renderer.h"
#include "viewer/mesh_summary.h"
#include "viewer/obj_file.h"
#include "viewer/snapshot.h"
#include "viewer/viewer_options.h"
#include "viewer/viewer_session.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSurfaceFormat>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace nimbrel;

// How long a second start waits for the running window's answer; with process start-up it
// stays within the 200 ms a launcher may wait.
constexpr int kHandoverWaitMs = 120;

int fail(const std::string& message) {
    std::fprintf(stderr, "mesh_viewer: %s\n", message.c_str());
    return 2;
}

// Without a display Qt aborts inside its platform plugin; say what is missing instead.
bool hasDisplay() {
    auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

bool isPlatformWithoutGl(const QString& platform) {
    return platform == "offscreen" || platform == "minimal";
}

int runSnapshot(int argc, char** argv, const ViewerOptions& options) {
    QGuiApplication app(argc, argv);
    ObjMesh mesh;
    std::string error;
    if (!loadObjFile(options.file, mesh, error)) return fail(error);
    if (!renderSnapshot(mesh, options.width, options.height,
                        QString::fromStdString(options.snapshotPath), error)) {
        return fail(error);
    }
    std::printf("%s: %s\n", options.file.c_str(), describeMesh(mesh).c_str());
    return 0;
}

int runWindow(int argc, char** argv, const ViewerOptions& options) {
    // Before any Qt start-up: a viewer for this file already runs, so hand over and leave.
    const std::string socketPath = handoverSocketPath(options.file);
    if (askRunningViewer(socketPath, kShowRequest, kHandoverWaitMs)) return 0;

    QSurfaceFormat::setDefaultFormat(MeshRenderer::surfaceFormat());
    QApplication app(argc, argv);
    if (isPlatformWithoutGl(QGuiApplication::platformName())) {
        return fail("the '" + QGuiApplication::platformName().toStdString() +
                    "' Qt platform has no OpenGL, so the window cannot be shown; run on a "
                    "display (or under xvfb-run -a), or use --snapshot there");
    }
    ViewerSession session(options.file);
    std::string error;
    if (!session.start(socketPath, error)) return fail(error);
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    ViewerOptions options;
    std::string error;
    if (!parseViewerOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "mesh_viewer: %s\n%s", error.c_str(), kViewerUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kViewerUsage, stdout);
        return 0;
    }
    if (!hasDisplay()) {
        return fail("no display (DISPLAY is not set); mesh_viewer needs one with OpenGL, "
                    "for example under xvfb-run -a");
    }
    return options.snapshotPath.empty() ? runWindow(argc, argv, options)
                                        : runSnapshot(argc, argv, options);
}
