#include "app/find_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <vector>

#include "app/candidate_report.h"
#include "app/control_table.h"
#include "app/found_layouts.h"
#include "app/script_runner.h"
#include "core/text_format.h"
#include "find/layout_finder.h"

namespace nimbrel {

namespace {

// Smaller files are scanned before a progress line would be read.
constexpr std::size_t kProgressFromBytes = 4u << 20;

/// Saves each index block's best layout through the window's "&Save VYP"; notes go to notes.
void saveParameterFiles(HeadlessSession& session, const std::vector<LayoutCandidate>& found, std::ostream& notes) {
    for (const SavedLayout& s : saveBestOfEachBlock(session.context(), found)) {
        const std::string which = "rank " + std::to_string(s.rank) + " (faces 0x" + hexText(s.faceIndexStart) + ")";
        switch (s.outcome) {
        case SavedLayout::Outcome::Written: notes << "wrote " << s.file << " from " << which << '\n'; break;
        case SavedLayout::Outcome::Unfit: notes << "skipped " << which << ": " << s.reason << '\n'; break;
        case SavedLayout::Outcome::Refused: notes << "skipped " << which << ": the window refused the settings\n"; break;
        case SavedLayout::Outcome::NotSaved: notes << "not saved " << which << ": " << escapeRecord(s.reason) << '\n'; break;
        }
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
