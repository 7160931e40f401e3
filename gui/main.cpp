// nimbrel: the desktop tool. One main window; `nimbrel --send ID` hands a command to the
// window that is already running.
#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "app/control_table.h"
#include "app/launcher.h"
#include "app/window_session.h"
#include "core/model_buffer.h"
#include "gui/command_channel.h"
#include "gui/qt_window.h"
#include "platform/files.h"

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  nimbrel [MODEL]       open the window, with MODEL opened as if chosen in the Open dialog\n"
    "  nimbrel --send ID     hand command ID to the running window (9999: the file-list run)\n"
    "  nimbrel --help | --version\n";

int sendCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::uint32_t word = 0;
    if (argc != 3 || !nimbrel::parseCommandWord(argv[2], word)) {
        std::cerr << kUsage;
        return 2;
    }
    std::string error;
    if (!nimbrel::sendToRunningWindow(word, error)) {
        std::cerr << "nimbrel: " << error << '\n';
        return 1;
    }
    return 0;
}

int runWindow(QApplication& app, const std::optional<std::string>& modelPath) {
    using namespace nimbrel;
    WindowSession<QtWindow, ProcessLauncher> session(ModelBuffer::process(), ProcessLauncher{});
    session.start(platform::executableDir());
    QtWindow& window = session.window;

    CommandServer server([&window](std::uint32_t word) { window.deliverCommand(word); });
    // Commands from outside are taken once the window is on screen.
    QObject::connect(&window, &QtWindow::firstPainted, &server, [&server] {
        std::string error;
        if (!server.listen(error)) std::cerr << "nimbrel: " << error << '\n';
    });
    window.show();
    if (modelPath) {
        QTimer::singleShot(0, &window, [&window, path = *modelPath] {
            if (!platform::fileExists(path)) std::cerr << "nimbrel: cannot open " << path << ": no such readable file\n";
            window.queueAnswer(path);
            window.sendCommand(cmd::kOpen);
        });
    }
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string_view(argv[1]) == "--send") return sendCommandLine(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbrel"));
    // QApplication has taken its own options out of argv.
    std::optional<std::string> modelPath;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "nimbrel 0.24e3\n";
            return 0;
        }
        if ((arg.size() > 1 && arg[0] == '-') || modelPath) {
            std::cerr << kUsage;
            return 2;
        }
        modelPath = std::string(arg);
    }
    return runWindow(app, modelPath);
}
