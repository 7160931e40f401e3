#include "app/find_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <vector>

#include "app/candidate_report.h"
#include "app/control_table.h"
#include "app/layout_apply.h"
#include "app/script_runner.h"
#include "core/text_format.h"
#include "find/layout_finder.h"
#include "params/parameter_file.h"
#include "platform/files.h"

namespace nimbrel {

namespace {

// Smaller files are scanned before a progress line would be read.
constexpr std::size_t kProgressFromBytes = 4u << 20;

/// The bytes an index block covers.
std::uint64_t indexBlockEnd(const LayoutSettings& s) {
    std::uint64_t bytes = std::uint64_t{s.faceIndexCnt} * s.indexSize;
    if (!s.stripMode && s.faceVertexCount > 0) bytes += std::uint64_t{s.faceIndexCnt} / s.faceVertexCount * s.faceGap;
    return s.faceIndexStart + bytes;
}

/// The best candidate of each index block, no two overlapping, in file order.
std::vector<std::size_t> bestPerIndexBlock(const std::vector<LayoutCandidate>& found) {
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const LayoutSettings& s = found[i].settings;
        bool overlaps = std::any_of(kept.begin(), kept.end(), [&](std::size_t k) {
            const LayoutSettings& o = found[k].settings;
            return s.faceIndexStart < indexBlockEnd(o) && o.faceIndexStart < indexBlockEnd(s);
        });
        if (!overlaps) kept.push_back(i);
    }
    std::sort(kept.begin(), kept.end(), [&](std::size_t a, std::size_t b) {
        return found[a].settings.faceIndexStart < found[b].settings.faceIndexStart;
    });
    return kept;
}

/// Saves each kept layout through the window's "&Save VYP"; notes go to notes.
void saveParameterFiles(HeadlessSession& session, const std::vector<LayoutCandidate>& found, std::ostream& notes) {
    Workspace& ws = session.workspace();
    HeadlessWindow& window = session.window();
    for (std::size_t i : bestPerIndexBlock(found)) {
        const LayoutCandidate& c = found[i];
        const std::string which = "rank " + std::to_string(i + 1) + " (faces 0x" + hexText(c.settings.faceIndexStart) + ")";
        if (auto reason = unfitForParameterFile(c.settings)) {
            notes << "skipped " << which << ": " << *reason << '\n';
            continue;
        }
        // Numbers already taken are passed over: nothing is replaced.
        while (ws.parameterFileCounter <= kLastParameterFileNumber &&
               platform::fileExists(parameterFileName(ws.modelPathStem, ws.parameterFileCounter)))
            ++ws.parameterFileCounter;
        window.clearMessages();
        const auto before = ws.parameterFileCounter;
        if (!applyLayout(session.context(), c.settings)) {
            notes << "skipped " << which << ": the window refused the settings\n";
            continue;
        }
        session.dispatch(cmd::kSaveVyp);
        if (ws.parameterFileCounter == before) {
            std::string why = window.messages().empty() ? "not saved" : escapeRecord(window.messages().back());
            notes << "not saved " << which << ": " << why << '\n';
            continue;
        }
        notes << "wrote " << parameterFileName(ws.modelPathStem, before) << " from " << which << '\n';
    }
}

}  // namespace

int runFindCommand(std::ostream& out, std::ostream& err, ModelBuffer& model, const std::string& appDir,
                   const FindCommandOptions& options) {
    std::ostringstream records;  // the window's records are not the command's output
    HeadlessSession session(model, records, appDir, false);
    Workspace& ws = session.workspace();
    HeadlessWindow& window = session.window();
    window.clearMessages();
    ws.batchMode = true;
    ws.modelPath = std::filesystem::absolute(options.modelPath).lexically_normal().string();
    session.dispatch(cmd::kOpen);
    ws.batchMode = false;
    // An empty file opens with only "the file is empty!": it was read and holds nothing.
    const auto& messages = window.messages();
    const bool empty = messages.size() == 1 && messages.front() == "the file is empty!";
    if (model.size() == 0 && !empty) {
        err << "nimbrel-cli: " << options.modelPath << ": "
            << escapeRecord(messages.empty() ? "could not open file!" : messages.front()) << '\n';
        return 1;
    }

    FindOptions find;
    find.maxCandidates = std::max<std::size_t>(options.top, 100);
    find.minTriangles = options.minTriangles;
    const bool showProgress = model.size() > kProgressFromBytes;
    int shownPercent = -1;
    if (showProgress)
        find.progress = [&err, &options, &shownPercent](double share) {
            const int percent = static_cast<int>(std::clamp(share, 0.0, 1.0) * 100);
            if (percent == shownPercent) return;
            shownPercent = percent;
            err << "\rscanning " << options.modelPath << ": " << percent << '%' << std::flush;
        };
    std::vector<LayoutCandidate> found;
    if (model.size() > 0) found = findLayouts(std::span<const std::uint8_t>(model.data(), model.size()), find);
    if (showProgress) err << "\rscanning " << options.modelPath << ": done\n";

    const std::size_t shown = std::min(found.size(), options.top);
    if (options.json) {
        json doc = {{"file", options.modelPath}, {"size", model.size()}, {"candidates", json::array()}};
        for (std::size_t i = 0; i < shown; ++i) doc["candidates"].push_back(candidateJson(found[i], i + 1));
        out << doc.dump(2) << '\n';
    } else if (found.empty()) {
        out << "no layout found\n";
    } else {
        for (std::size_t i = 0; i < shown; ++i) out << candidateLine(found[i], i + 1) << '\n';
    }
    if (options.saveParameterFiles && model.size() > 0) saveParameterFiles(session, found, options.json ? err : out);
    return 0;
}

}  // namespace nimbrel
