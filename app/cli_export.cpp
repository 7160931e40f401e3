#include "app/cli_export.h"

#include <filesystem>
#include <iostream>

#include "app/control_table.h"
#include "app/gltf_export.h"
#include "app/script_runner.h"
#include "platform/files.h"

namespace nimbrel {

int exportSubmeshes(std::ostream& out, ModelBuffer& model, const std::string& appDir, const std::string& modelPath,
                    const std::vector<std::string>& vyps, ExportKind kind) {
    namespace fs = std::filesystem;
    std::vector<std::string> absoluteVyps;
    for (const auto& vyp : vyps) absoluteVyps.push_back(fs::absolute(vyp).lexically_normal().string());
    std::string absoluteModel = fs::absolute(modelPath).lexically_normal().string();

    HeadlessSession session(model, out, appDir, false);
    Workspace& ws = session.workspace();
    HeadlessWindow& window = session.window();
    if (!platform::changeDirectory(platform::folderOf(absoluteModel))) {
        std::cerr << "nimbrel-cli: cannot enter the folder of " << modelPath << '\n';
        return 1;
    }
    ws.batchMode = 1;
    ws.modelPath = absoluteModel;
    session.dispatch(cmd::kOpen);
    if (model.size() == 0) {
        ws.batchMode = 0;
        return 1;
    }
    bool allWritten = true;
    std::vector<NamedMesh> chain;
    // Every line the exports add is printed at the end, so a count correction of an
    // early submesh is not lost behind the later ones.
    const std::size_t firstLine = window.lines(field::kResultsList).size();
    for (const auto& vyp : absoluteVyps) {
        ws.parameterFilePath = vyp;
        session.dispatch(cmd::kOpenVyp);
        if (!ws.parameterSetLoaded) {
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
        auto before = ws.submeshCounter;
        session.dispatch(kind == ExportKind::Glb ? cmd::kGltfExport : cmd::kSubmeshExport);
        if (ws.submeshCounter == before) allWritten = false;
    }
    if (kind == ExportKind::GlbChain && !writeGltfChain(session.context(), chain)) allWritten = false;
    ws.batchMode = 0;
    const auto& lines = window.lines(field::kResultsList);
    for (std::size_t i = firstLine; i < lines.size(); ++i) out << lines[i] << '\n';
    return allWritten ? 0 : 1;
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
