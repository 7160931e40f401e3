// Timings of the window: a listing of a million lines from click to its last line on
// screen, scrolling through it, and the program's start until its window is painted.
// Run under a display (xvfb-run -a) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QMessageBox>
#include <QTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/commands.h"
#include "app/context.h"
#include "app/control_table.h"
#include "app/launcher.h"
#include "app/window_setup.h"
#include "core/model_buffer.h"
#include "core/workspace.h"
#include "gui/command_channel.h"
#include "gui/qt_window.h"

namespace {

using namespace nimbrel;

class NoLauncher : public Launcher {
public:
    void launchAndWait(const std::string&, const std::string&) override {}
};

// Stand-ins for the external tools, so the start-up shows no message.
void makeTools(const std::string& dir) {
    for (const char* tool : {"mesh_viewer", "wordpad", "notepad"}) {
        const std::string path = dir + "/" + tool;
        std::ofstream(path) << "#!/bin/sh\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Clicks the button and waits until the list shows its last line.
double clickToLastLine(QtWindow& window, int buttonId) {
    QListView* view = window.listView(field::kResultsList);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(window.control(buttonId), Qt::LeftButton);
    view->scrollToBottom();
    QApplication::processEvents();
    view->viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

void benchListing(const std::string& appDir) {
    Workspace ws;
    ModelBuffer model(8 << 20);
    NoLauncher launcher;
    QtWindow window;
    Context ctx{ws, model, window, launcher};
    window.setCommandHandler([&ctx](std::uint32_t word) { dispatchCommand(ctx, word); });
    initializeWindow(ctx, appDir);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::printf("the window was never exposed\n");
    QListView* view = window.listView(field::kResultsList);

    // go1 over 3,000,000 16-bit indices: the faces 0 1 2, 3 4 5, ...
    std::vector<std::uint16_t> indices(3000000);
    for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint16_t>(i % 60000);
    model.assign(indices.data(), indices.size() * 2);
    ws.faceIndexCnt = 3000000;
    window.setEnabled(cmd::kGo1, true);
    window.setText(field::kFaceIndexStart, "0");
    window.setText(field::kFaceIndexCnt, "3000000");
    std::vector<double> go1;
    std::size_t go1Lines = 0;
    for (int run = 0; run < 3; ++run) {
        go1.push_back(clickToLastLine(window, cmd::kGo1));
        go1Lines = window.lines(field::kResultsList).size();
    }
    std::printf("go1, 3,000,000 indices: %zu list lines, click to last line shown: median %.0f ms\n", go1Lines,
                median(go1));

    // The same through the port alone: a command that appends a million listing lines,
    // made beforehand so that only the window's share is timed.
    std::vector<std::string> made;
    made.reserve(1000000);
    char text[64];
    for (int i = 0; i < 1000000; ++i) {
        std::snprintf(text, sizeof text, "%7d: f  %d %d %d", i, 3 * i + 1, 3 * i + 2, 3 * i + 3);
        made.emplace_back(text);
    }
    window.setCommandHandler([&window, &made](std::uint32_t) {
        window.clearResults();
        for (const auto& line : made) window.addResult(line);
    });
    std::vector<double> port;
    for (int run = 0; run < 3; ++run) port.push_back(clickToLastLine(window, cmd::kByteOrder));
    std::printf("1,000,000 lines through the window port: click to last line shown: median %.0f ms\n", median(port));

    // Scrolling through the million lines: one page step, painted.
    QScrollBar* bar = view->verticalScrollBar();
    std::vector<double> steps;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer timer;
        timer.start();
        bar->setValue(bar->maximum() / 50 * i);
        view->viewport()->repaint();
        steps.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("scroll to a new position and paint: median %.2f ms, worst %.2f ms\n", median(steps),
                *std::max_element(steps.begin(), steps.end()));
}

// Starts the program from a folder with the tools it looks for, and waits until its window
// takes commands, which it does once painted; Exit then ends it.
void benchStart(const QString& program) {
    QTemporaryDir dir;
    const QString copy = dir.path() + QStringLiteral("/nimbrel");
    QFile::copy(program, copy);
    makeTools(dir.path().toStdString());
    std::vector<double> starts;
    for (int run = 0; run < 5; ++run) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(copy, {});
        process.waitForStarted();
        double ms = -1;
        while (timer.elapsed() < 10000) {
            QLocalSocket probe;
            probe.connectToServer(commandSocketPath());
            if (probe.waitForConnected(100)) {
                ms = timer.nsecsElapsed() / 1e6;
                break;
            }
            QThread::msleep(2);
        }
        std::string error;
        sendToRunningWindow(static_cast<std::uint32_t>(cmd::kExit), error);
        process.waitForFinished(5000);
        starts.push_back(ms);
    }
    std::printf("start to window painted (warm): median %.0f ms, best %.0f ms\n", median(starts),
                *std::min_element(starts.begin(), starts.end()));
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QApplication app(argc, argv);
    // A message box would stop the timing; it is printed and confirmed.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("message: %s\n", box->text().toUtf8().constData());
            box->accept();
        }
    });
    answerer.start(50);
    QTemporaryDir appDir;
    makeTools(appDir.path().toStdString());
    const auto here = std::filesystem::current_path();
    benchListing(appDir.path().toStdString());
    std::filesystem::current_path(here);
    benchStart(QCoreApplication::applicationDirPath() + QStringLiteral("/nimbrel"));
    return 0;
}
