#include "app/cli_export.h"

#include <filesystem>
#include <iostream>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/gltf_export.h"
#include "app/layout_check.h"
#include "app/script_runner.h"
#include "platform/files.h"

namespace nimbrel {

namespace {

std::vector<std::string> absolutePaths(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const auto& path : paths) out.push_back(std::filesystem::absolute(path).lexically_normal().string());
    return out;
}

// Opens the model in batch mode from its own folder, as the file-list run does. False
// when the folder cannot be entered or nothing was loaded; batch mode is then off again.
bool openModelInBatch(HeadlessSession& session, const std::string& modelPath) {
    const std::string absoluteModel = std::filesystem::absolute(modelPath).lexically_normal().string();
    Workspace& ws = session.workspace();
    if (!platform::changeDirectory(platform::folderOf(absoluteModel))) {
        std::cerr << "nimbrel-cli: cannot enter the folder of " << modelPath << '\n';
        return false;
    }
    ws.batchMode = true;
    ws.modelPath = absoluteModel;
    session.dispatch(cmd::kOpen);
    if (session.context().model.size() == 0) {
        ws.batchMode = false;
        return false;
    }
    return true;
}

}  // namespace

int exportSubmeshes(std::ostream& out, ModelBuffer& model, const std::string& appDir, const std::string& modelPath,
                    const std::vector<std::string>& parameterFiles, ExportKind kind) {
    const std::vector<std::string> absoluteParameterFiles = absolutePaths(parameterFiles);
    HeadlessSession session(model, out, appDir, false);
    Workspace& ws = session.workspace();
    HeadlessWindow& window = session.window();
    if (!openModelInBatch(session, modelPath)) return 1;
    bool allWritten = true;
    std::vector<NamedMesh> chain;
    // Every line the exports add is printed at the end, so a count correction of an
    // early submesh is not lost behind the later ones.
    const std::size_t firstLine = window.lines(field::kResultsList).size();
    for (const auto& parameterFile : absoluteParameterFiles) {
        if (!loadParameterFile(session.context(), parameterFile)) {
            allWritten = false;
            continue;
        }
        if (kind == ExportKind::GlbChain) {
            if (auto mesh = gltfChainMember(session.context()))
                chain.push_back(std::move(*mesh));
            else
                allWritten = false;
            continue;
        }
        const auto written = kind == ExportKind::Glb ? exportGltf(session.context()) : exportSubmesh(session.context());
        if (!written) allWritten = false;
    }
    if (kind == ExportKind::GlbChain && !writeGltfChain(session.context(), chain)) allWritten = false;
    ws.batchMode = false;
    const auto& lines = window.lines(field::kResultsList);
    for (std::size_t i = firstLine; i < lines.size(); ++i) out << lines[i] << '\n';
    return allWritten ? 0 : 1;
}

int checkLayoutFile(std::ostream& out, ModelBuffer& model, const std::string& appDir, const std::string& modelPath,
                    const std::string& parameterFile) {
    const std::string absoluteParameterFile = absolutePaths({parameterFile}).front();
    HeadlessSession session(model, out, appDir, false);
    Workspace& ws = session.workspace();
    if (!openModelInBatch(session, modelPath)) return 1;
    const bool loaded = loadParameterFile(session.context(), absoluteParameterFile);
    ws.batchMode = false;
    if (!loaded) return 1;
    const std::size_t firstLine = session.window().lines(field::kResultsList).size();
    const std::optional<LayoutVerdict> verdict = checkLayout(session.context());
    const auto& lines = session.window().lines(field::kResultsList);
    for (std::size_t i = firstLine; i < lines.size(); ++i) out << lines[i] << '\n';
    return verdict && verdict->looksRight ? 0 : 1;
}

int runFileListCommand(std::ostream& out, ModelBuffer& model, const std::string& appDir) {
    HeadlessSession session(model, out, appDir, false);
    std::size_t before = session.window().lines(field::kResultsList).size();
    session.dispatch(cmd::kFileList);
    const auto& lines = session.window().lines(field::kResultsList);
    for (std::size_t i = before; i < lines.size(); ++i) out << lines[i] << '\n';
    return 0;
}

}  // namespace nimbrel
