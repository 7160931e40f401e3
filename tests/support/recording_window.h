#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/window.h"

namespace nimbrel::testing {

/// A Window that keeps the fields, the results list and the messages it is given, for
/// tests of passes, checks and the app functions that show what they found.
class RecordingWindow : public Window {
public:
    std::map<int, std::string> fields;
    std::vector<std::string> results;
    std::vector<std::string> messages;

    std::string text(int id) const override {
        auto it = fields.find(id);
        return it == fields.end() ? std::string() : it->second;
    }
    void setText(int id, std::string_view text) override { fields[id] = std::string(text); }
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    void addLine(int listId, std::string_view line) override {
        if (listId == field::kResultsList) results.emplace_back(line);
    }
    void clearList(int listId) override {
        if (listId == field::kResultsList) results.clear();
    }

    // The rest of the window is not used by what these tests call.
    void setHorizontalExtent(int, int) override {}
    std::string labelText(Label) const override { return {}; }
    void setLabelText(Label, std::string_view) override {}
    void setEnabled(int, bool) override {}
    bool isEnabled(int) const override { return true; }
    void setChecked(int, bool) override {}
    bool isChecked(int) const override { return false; }
    void selectItem(int, int) override {}
    int selectedItem(int) const override { return -1; }
    void showAbout(std::string_view) override {}
    std::optional<std::filesystem::path> askOpenFile(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void showLayoutFinder(Context&) override {}
    void sendCommand(std::uint32_t) override {}
    void postClose() override {}
};

}  // namespace nimbrel::testing
