#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/window.h"

namespace nimbrel {

/// The main window kept in memory, for tests and nimbrel-cli. Controls start as the
/// control table creates them. showMessage returns as if OK was pressed; file dialogs
/// take queued answers.
class HeadlessWindow : public Window {
public:
    /// Receives one record per message, About box and unanswered dialog, in order
    /// ("message: ...", "about: ...", "dialog: ..."), newlines written as \n.
    using RecordSink = std::function<void(const std::string&)>;

    HeadlessWindow();

    void setRecordSink(RecordSink sink) { sink_ = std::move(sink); }
    void setCommandHandler(std::function<void(std::uint32_t)> handler) { handler_ = std::move(handler); }
    /// The next file dialog returns path; nothing means the user cancels it. An answer
    /// naming no existing file is a cancel, as the dialog's must-exist rule has it.
    void queueAnswer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }

    const std::vector<std::string>& messages() const { return messages_; }
    const std::vector<std::string>& lines(int listId) const;
    int horizontalExtent(int listId) const;
    bool closeRequested() const { return closeRequested_; }
    void clearMessages() { messages_.clear(); }

    // Window
    std::string text(int id) const override;
    void setText(int id, std::string_view text) override;
    void showMessage(std::string_view text) override;
    void addLine(int listId, std::string_view line) override;
    void clearList(int listId) override;
    void setHorizontalExtent(int listId, int pixels) override;
    std::string labelText(Label label) const override;
    void setLabelText(Label label, std::string_view text) override;
    void setEnabled(int id, bool enabled) override;
    bool isEnabled(int id) const override;
    void setChecked(int id, bool checked) override;
    bool isChecked(int id) const override;
    void selectItem(int comboId, int index) override;
    int selectedItem(int comboId) const override;
    void showAbout(std::string_view text) override;
    std::optional<std::filesystem::path> askOpenFile(std::string_view title, std::string_view filterName,
                                                     std::string_view pattern) override;
    /// No one answers the finder's dialog here: it is recorded as cancelled. Scripts run the
    /// finder with their own find and apply lines.
    void showLayoutFinder(Context& ctx) override;
    void sendCommand(std::uint32_t commandWord) override;
    void postClose() override { closeRequested_ = true; }

private:
    void record(std::string_view kind, std::string_view text);

    std::map<int, std::string> texts_;
    std::map<Label, std::string> labels_;
    std::map<int, bool> enabled_;
    std::map<int, bool> checked_;
    std::map<int, std::vector<std::string>> lists_;
    std::map<int, int> extents_;
    int comboSelection_ = -1;
    std::vector<std::string> messages_;
    std::deque<std::optional<std::string>> answers_;
    RecordSink sink_;
    std::function<void(std::uint32_t)> handler_;
    bool closeRequested_ = false;
};

/// Writes a record's text with newlines as \n and backslashes as \\.
std::string escapeRecord(std::string_view text);

}  // namespace nimbrel
