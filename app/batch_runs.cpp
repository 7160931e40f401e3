#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/export_steps.h"
#include "app/file_search.h"
#include "platform/files.h"

namespace nimbrel {

namespace {

constexpr const char* kFileList = "CAD_ATSV_16_VYP.txt";

// The model of a file-list entry: the word cut at its last "_". A model saved with an
// extension ("car.bin" for "car_0.vyp") is taken when it is the only file of that stem
// that is not one of our own outputs, so such lists export instead of failing.
std::string listedModelPath(const std::string& word) {
    const auto underscore = word.rfind('_');
    const std::string cut = underscore == std::string::npos ? word : word.substr(0, underscore);
    if (platform::fileExists(cut)) return cut;
    FileSearch found = findFiles(platform::folderOf(cut), platform::fileNameOf(cut) + ".*");
    std::vector<std::string> models;
    for (const auto& name : found.names) {
        const std::string ext = std::filesystem::path(name).extension().string();
        if (!wildcardMatch(".vyp", ext) && !wildcardMatch(".obj*", ext) && !wildcardMatch(".txt", ext))
            models.push_back(name);
    }
    if (models.size() != 1) return cut;
    return platform::folderOf(cut) + "/" + models.front();
}

}  // namespace

int runChainExport(Context& ctx) {
    return runParameterChain(ctx, [&ctx] { exportSubmesh(ctx); });
}

int runParameterChain(Context& ctx, const std::function<void()>& perFile) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    if (!ws.chainHintShown) {
        w.showMessage(
            "This will start the sequential saving of submeshes.\nYou're prompted to select a VYP file now.\nAll "
            "matching name_xx.VYPs will be processed\nregardless which VYP of a 'chain' you select.\n\n(move\\rename "
            "obj files from a previous run!)\n\nUse the load_multi_obj.py for blender import.");
        ws.chainHintShown = true;
    }
    w.clearResults();
    ws.batchMode = false;
    if (!runOpenParameterFile(ctx)) return 0;
    ws.submeshCounter = 0;
    ws.parameterFileCounter = 0;
    ws.batchMode = true;

    const std::string chosen = ws.parameterFilePath;
    const auto underscore = chosen.rfind('_');
    const std::string pattern = (underscore == std::string::npos ? chosen : chosen.substr(0, underscore)) + "*.VYP";
    // The matches are loaded from the folder they were found in, even when the "_" that
    // was cut lay in a folder name.
    const std::string folder = platform::folderOf(pattern);
    const FileSearch found = findFiles(folder, platform::fileNameOf(pattern));
    if (found.names.empty()) {
        w.showMessage(found.failed ? "error while searching VYP files" : "no VYP file found!");
        ws.batchMode = false;
        return 0;
    }
    const std::string prefix = folder == "/" ? folder : folder + "/";
    int processed = 0;
    for (const auto& name : found.names) {
        const std::string progress = std::to_string(processed) + ": " + name;
        if (loadParameterFile(ctx, prefix + name)) {
            w.addResult(progress);
            perFile();
            ++processed;
        }
    }
    if (found.failed)
        w.showMessage("error while searching VYP files");
    else
        w.addResult(std::to_string(processed) + " VYP files processed.");
    ws.batchMode = false;
    return processed;
}

void runFileList(Context& ctx) {
    Workspace& ws = ctx.ws;
    Window& w = ctx.window;
    std::ifstream list;
    // A regular file only: /dev/zero or /dev/full under that name is one endless word, and
    // a named pipe blocks the open until someone writes.
    if (platform::fileLookup(kFileList)) list.open(kFileList, std::ios::binary);
    if (!list.is_open()) {
        w.showMessage(" Filelist not found!");
        return;
    }
    ws.batchMode = true;
    std::string loadedModel;
    std::string word;
    while (list >> word) {
        const auto slash = word.rfind('/');
        if (slash == std::string::npos) {
            w.showMessage(word + "\n is no full path of a VYP file: skipped.");
            continue;
        }
        const std::string folder = slash == 0 ? "/" : word.substr(0, slash);
        if (!platform::changeDirectory(folder)) {
            w.showMessage(folder + "\n could not be entered: " + word + " skipped.");
            continue;
        }
        const std::string fileName = word.substr(slash + 1);
        ws.parameterFilePath = fileName;
        const std::string modelPath = listedModelPath(word);
        // Entries of one model follow each other: reloading would restart the submesh
        // numbers and make the second export collide with the first.
        if (modelPath != loadedModel || ctx.model.size() == 0) {
            ws.modelPath = modelPath;
            loadedModel.clear();
            if (!openModelFile(ctx)) continue;  // its messages named the fault
            loadedModel = modelPath;
        }
        if (loadParameterFile(ctx, fileName)) exportSubmesh(ctx);
    }
    ws.batchMode = false;
}

}  // namespace nimbrel
