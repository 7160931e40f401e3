#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/panel.h"

namespace nimbrel::testing {

/// A Panel that keeps what it is told, for tests of passes and checks.
class RecordingPanel : public Panel {
public:
    std::map<int, std::string> fields;
    std::vector<std::string> results;
    std::vector<std::string> messages;

    std::string text(int id) const override {
        auto it = fields.find(id);
        return it == fields.end() ? std::string() : it->second;
    }
    void setText(int id, std::string_view text) override { fields[id] = std::string(text); }
    void addResult(std::string_view line) override { results.emplace_back(line); }
    void clearResults() override { results.clear(); }
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
};

}  // namespace nimbrel::testing
