// Timings of the window: a listing of a million lines from click to its last line on
// screen, scrolling through it, "&Find layouts..." until the table is filled, and the
// program's start until its window is painted.
// Run under a display (xvfb-run -a) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTableView>
#include <QMessageBox>
#include <QTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/commands.h"
#include "app/context.h"
#include "app/control_table.h"
#include "app/launcher.h"
#include "app/window_session.h"
#include "core/model_buffer.h"
#include "core/workspace.h"
#include "gui/command_channel.h"
#include "app/found_layouts.h"
#include "gui/layout_finder_dialog.h"
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

// A shown window with its Workspace over a model buffer of this capacity.
struct BenchWindow : WindowSession<QtWindow, NoLauncher> {
    BenchWindow(const std::string& appDir, std::size_t capacity) : WindowSession(capacity, NoLauncher{}) {
        start(appDir);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) std::printf("the window was never exposed\n");
    }
};

void benchListing(const std::string& appDir) {
    BenchWindow bench(appDir, 8 << 20);
    Workspace& ws = bench.ws;
    ModelBuffer& model = bench.model;
    QtWindow& window = bench.window;
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


// A model of mixed content in 64 sections (at most 2 MB each): random bytes, zeros, float
// noise, text and, after every fourth section's text, a 100 x 100 grid of float positions followed by its Word triangle list.
std::vector<std::uint8_t> mixedModel(std::size_t size) {
    std::vector<std::uint8_t> out;
    out.reserve(size);
    std::uint32_t state = 12345;
    auto next = [&state] { return state = state * 1103515245u + 12345u; };
    auto putFloat = [&out](float f) {
        std::uint8_t b[4];
        std::memcpy(b, &f, 4);
        out.insert(out.end(), b, b + 4);
    };
    const std::string text = "material stone_wall_01 diffuse textures/stone_wall_01.dds\n";
    for (int section = 0; out.size() < size; ++section) {
        const std::size_t end = std::min(size, out.size() + std::clamp<std::size_t>(size / 64, 4096, 2u << 20));
        switch (section % 4) {
        case 0: while (out.size() < end) out.push_back(static_cast<std::uint8_t>(next() >> 16)); break;
        case 1: out.resize(end, 0); break;
        case 2: while (out.size() + 4 <= end) putFloat(static_cast<float>(next() % 20000) / 100.0f - 100.0f); break;
        case 3:
            while (out.size() + text.size() <= end) out.insert(out.end(), text.begin(), text.end());
            if (out.size() + 120000 > size) break;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x)
                    for (float c : {x * 0.1f, std::sin(x * 0.2f) * std::cos(y * 0.15f), y * 0.1f + section}) putFloat(c);
            for (int y = 0; y < 99; ++y)
                for (int x = 0; x < 99; ++x) {
                    const int a = y * 100 + x;
                    for (int v : {a, a + 1, a + 100, a + 1, a + 101, a + 100}) {
                        out.push_back(static_cast<std::uint8_t>(v));
                        out.push_back(static_cast<std::uint8_t>(v >> 8));
                    }
                }
            break;
        }
    }
    out.resize(size);
    return out;
}

// "&Find layouts..." on a model of this size: the time from the menu command until the
// dialog's table is filled, as the user sees it.
void benchFinder(const std::string& appDir, std::size_t size, int runs) {
    const std::string path = appDir + "/mixed.bin";
    {
        const auto bytes = mixedModel(size);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    BenchWindow bench(appDir, size + 1);
    ModelBuffer& model = bench.model;
    QtWindow& window = bench.window;
    window.queueAnswer(path);
    window.sendCommand(cmd::kOpen);
    std::vector<double> times;
    int rows = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        QTimer closer;
        closer.setInterval(1);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<LayoutFinderDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->isScanning()) return;
            times.push_back(timer.nsecsElapsed() / 1e6);
            rows = dialog->table()->model()->rowCount();
            closer.stop();
            dialog->reject();
        });
        closer.start();
        timer.start();
        window.sendCommand(cmd::kFindLayouts);
    }
    std::filesystem::remove(path);
    // The finder alone on the same bytes, to tell the scan from the dialog's share.
    std::vector<double> scans;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        findModelLayouts(model, FindOptions{});
        scans.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("Find layouts, %zu-byte model: %d rows, menu to filled table: median %.0f ms, best %.0f ms; "
                "the finder alone: median %.0f ms\n",
                size, rows, median(times), *std::min_element(times.begin(), times.end()), median(scans));
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
    if (argc > 1 && std::string_view(argv[1]) == "--finder") {
        benchFinder(appDir.path().toStdString(), 1u << 20, 5);
        benchFinder(appDir.path().toStdString(), 126'999'999, 3);
        return 0;
    }
    benchListing(appDir.path().toStdString());
    std::filesystem::current_path(here);
    benchStart(QCoreApplication::applicationDirPath() + QStringLiteral("/nimbrel"));
    return 0;
}
