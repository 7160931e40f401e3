#include "app/headless_window.h"

#include "app/control_table.h"
#include "app/found_layouts.h"
#include "platform/files.h"

namespace nimbrel {

namespace {
const std::vector<std::string> kNoLines;
}

std::string escapeRecord(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

HeadlessWindow::HeadlessWindow() {
    for (const auto& c : controlTable()) {
        if (c.label) {
            labels_[*c.label] = std::string(c.text);
            continue;
        }
        texts_[c.id] = std::string(c.text);
        enabled_[c.id] = c.enabled;
    }
    for (const auto& m : menuTable())
        if (m.id != 0) enabled_[m.id] = m.enabledAtStart;
}

const std::vector<std::string>& HeadlessWindow::lines(int listId) const {
    auto it = lists_.find(listId);
    return it == lists_.end() ? kNoLines : it->second;
}

int HeadlessWindow::horizontalExtent(int listId) const {
    auto it = extents_.find(listId);
    return it == extents_.end() ? 0 : it->second;
}

std::string HeadlessWindow::text(int id) const {
    auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
}

void HeadlessWindow::setText(int id, std::string_view text) { texts_[id].assign(text); }

void HeadlessWindow::record(std::string_view kind, std::string_view text) {
    if (sink_) sink_(std::string(kind) + ": " + escapeRecord(text));
}

void HeadlessWindow::showMessage(std::string_view text) {
    messages_.emplace_back(text);
    record("message", text);
}

void HeadlessWindow::addLine(int listId, std::string_view line) { lists_[listId].emplace_back(line); }
void HeadlessWindow::clearList(int listId) { lists_[listId].clear(); }
void HeadlessWindow::setHorizontalExtent(int listId, int pixels) { extents_[listId] = pixels; }

std::string HeadlessWindow::labelText(Label label) const {
    auto it = labels_.find(label);
    return it == labels_.end() ? std::string() : it->second;
}

void HeadlessWindow::setLabelText(Label label, std::string_view text) { labels_[label] = std::string(text); }
void HeadlessWindow::setEnabled(int id, bool enabled) { enabled_[id] = enabled; }

bool HeadlessWindow::isEnabled(int id) const {
    auto it = enabled_.find(id);
    return it != enabled_.end() && it->second;
}

void HeadlessWindow::setChecked(int id, bool checked) { checked_[id] = checked; }

bool HeadlessWindow::isChecked(int id) const {
    auto it = checked_.find(id);
    return it != checked_.end() && it->second;
}

void HeadlessWindow::selectItem(int comboId, int index) {
    auto items = formatItems();
    if (comboId != cmd::kFormatCombo || index < 0 || index >= static_cast<int>(items.size())) return;
    comboSelection_ = index;
    texts_[comboId] = std::string(items[static_cast<std::size_t>(index)]);
}

int HeadlessWindow::selectedItem(int comboId) const { return comboId == cmd::kFormatCombo ? comboSelection_ : -1; }

void HeadlessWindow::showAbout(std::string_view text) { record("about", text); }

std::optional<std::filesystem::path> HeadlessWindow::askOpenFile(std::string_view title, std::string_view,
                                                                 std::string_view) {
    if (answers_.empty()) {
        if (sink_) sink_("dialog: " + std::string(title));
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(answers_.front());
    answers_.pop_front();
    if (!answer || !platform::fileExists(*answer)) return std::nullopt;
    return std::filesystem::absolute(*answer).lexically_normal();
}

void HeadlessWindow::showLayoutFinder(Context&) {
    if (sink_) sink_("dialog: " + std::string(kLayoutFinderTitle));
}

void HeadlessWindow::sendCommand(std::uint32_t commandWord) {
    if (handler_) handler_(commandWord);
}

}  // namespace nimbrel
