// nimbrel-cli: the tool without a window. Runs scripts against the headless window and
// exports submeshes in batch.
#include <charconv>
#include <cstdint>
#include <fstream>
#include <optional>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli_export.h"
#include "app/find_command.h"
#include "app/script_runner.h"
#include "platform/files.h"

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  nimbrel-cli run [--app-dir DIR] [--launch] SCRIPT|-   drive the headless window\n"
    "  nimbrel-cli export MODEL VYP...                       export one submesh per .vyp\n"
    "  nimbrel-cli export --glb MODEL VYP...                 one binary glTF (.glb) per .vyp\n"
    "  nimbrel-cli export --glb-chain MODEL VYP...           one .glb of all, a mesh per .vyp\n"
    "  nimbrel-cli find MODEL [--top N] [--json] [--vyp] [--min-triangles N]\n"
    "                                                        list the layouts found, best first;\n"
    "                                                        --vyp saves each block as MODEL_N.vyp\n"
    "  nimbrel-cli filelist                                  run the file list in the current folder\n"
    "  nimbrel-cli check MODEL VYP                           the layout check of one parameter file\n"
    "                                                        (exit 0: looks right, 1: does not)\n"
    "  nimbrel-cli --help | --version\n"
    "script lines: open, answer, set, click, select, send, print, state, echo, cd;\n"
    "  find [N]   the layout finder's best N layouts of the loaded model (default 10)\n"
    "  apply K    candidate K of the last find into the fields, toggles and combobox\n";

int runCommand(const std::vector<std::string>& args) {
    std::string appDir = nimbrel::platform::executableDir();
    bool launch = false;
    std::string scriptPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--app-dir" && i + 1 < args.size()) {
            appDir = args[++i];
        } else if (args[i] == "--launch") {
            launch = true;
        } else if (scriptPath.empty()) {
            scriptPath = args[i];
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (scriptPath.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    auto& model = nimbrel::ModelBuffer::process();
    if (scriptPath == "-") return nimbrel::runScript(std::cin, std::cout, std::cerr, model, appDir, launch);
    std::ifstream script(scriptPath);
    if (!script) {
        std::cerr << "nimbrel-cli: cannot read script " << scriptPath << '\n';
        return 2;
    }
    return nimbrel::runScript(script, std::cout, std::cerr, model, appDir, launch);
}

// A whole positive decimal number, or nothing.
std::optional<std::uint64_t> positiveNumber(const std::string& text) {
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0) return std::nullopt;
    return value;
}

int findCommand(const std::vector<std::string>& args) {
    nimbrel::FindCommandOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--vyp") {
            options.saveParameterFiles = true;
        } else if ((arg == "--top" || arg == "--min-triangles") && i + 1 < args.size()) {
            auto value = positiveNumber(args[++i]);
            if (!value) {
                std::cerr << "nimbrel-cli: " << arg << " needs a positive number\n" << kUsage;
                return 2;
            }
            if (arg == "--top") options.top = static_cast<std::size_t>(*value);
            else options.minTriangles = *value;
        } else if (options.modelPath.empty() && !arg.empty() && arg[0] != '-') {
            options.modelPath = arg;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (options.modelPath.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    return nimbrel::runFindCommand(std::cout, std::cerr, nimbrel::ModelBuffer::process(),
                                   nimbrel::platform::executableDir(), options);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string verb = args.front();
    args.erase(args.begin());
    if (verb == "--help" || verb == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (verb == "--version") {
        std::cout << "nimbrel-cli 0.24e3\n";
        return 0;
    }
    if (verb == "run") return runCommand(args);
    if (verb == "find") return findCommand(args);
    const std::string appDir = nimbrel::platform::executableDir();
    if (verb == "export") {
        auto kind = nimbrel::ExportKind::Obj;
        if (!args.empty() && (args.front() == "--glb" || args.front() == "--glb-chain")) {
            kind = args.front() == "--glb" ? nimbrel::ExportKind::Glb : nimbrel::ExportKind::GlbChain;
            args.erase(args.begin());
        }
        if (args.size() < 2) {
            std::cerr << kUsage;
            return 2;
        }
        std::vector<std::string> parameterFiles(args.begin() + 1, args.end());
        return nimbrel::exportSubmeshes(std::cout, nimbrel::ModelBuffer::process(), appDir, args.front(),
                                        parameterFiles, kind);
    }
    if (verb == "check") {
        if (args.size() != 2) {
            std::cerr << kUsage;
            return 2;
        }
        return nimbrel::checkLayoutFile(std::cout, nimbrel::ModelBuffer::process(), appDir, args[0], args[1]);
    }
    if (verb == "filelist" && args.empty())
        return nimbrel::runFileListCommand(std::cout, nimbrel::ModelBuffer::process(), appDir);
    std::cerr << kUsage;
    return 2;
}
