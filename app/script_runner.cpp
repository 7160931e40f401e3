#include "app/script_runner.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>
#include <sstream>

#include "app/commands.h"
#include "app/control_table.h"
#include "app/find_command.h"
#include "app/found_layouts.h"
#include "app/window_setup.h"
#include "platform/files.h"
#include "platform/process.h"

namespace nimbrel {

void ScriptLauncher::launchAndWait(const std::string& program, const std::string& argument) {
    *out_ << "launch: " << program << ' ' << argument << '\n';
    if (launch_) {
        out_->flush();
        platform::launchAndWait(program, argument, 1000);
    }
}

HeadlessSession::HeadlessSession(ModelBuffer& model, std::ostream& out, const std::string& appDir, bool launch)
    : session_(model, ScriptLauncher(out, launch)) {
    session_.window.setRecordSink([&out](const std::string& line) { out << line << '\n'; });
    session_.start(appDir);
}

namespace {

struct Target {
    int id = 0;
    std::optional<Label> label;
};

bool isKnownId(int id) {
    return findControl(id) != nullptr || findMenuItem(id) != nullptr || id == cmd::kFileList;
}

std::optional<int> parseNumber(std::string_view word) {
    int value = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::optional<Target> parseTarget(std::string_view word) {
    if (auto label = labelByName(word)) return Target{0, label};
    auto id = parseNumber(word);
    if (!id || !isKnownId(*id)) return std::nullopt;
    return Target{*id, std::nullopt};
}

// Splits "verb rest": the first word and everything after the single blank that ends it.
std::pair<std::string_view, std::string_view> splitWord(std::string_view line) {
    auto blank = line.find(' ');
    if (blank == std::string_view::npos) return {line, {}};
    return {line.substr(0, blank), line.substr(blank + 1)};
}

class ScriptRun {
public:
    ScriptRun(HeadlessSession& session, std::ostream& out, std::ostream& err)
        : session_(session), window_(session.window()), out_(out), err_(err) {}

    // Returns false after reporting a malformed line.
    bool runLine(std::string_view line, int number) {
        lineNumber_ = number;
        auto [verb, rest] = splitWord(line);
        if (verb == "echo") {
            out_ << rest << '\n';
            return true;
        }
        if (verb == "cd") return changeDir(rest);
        if (verb == "answer") {
            if (rest.empty()) window_.queueAnswer(std::nullopt);
            else window_.queueAnswer(std::string(rest));
            return true;
        }
        if (verb == "open") {
            if (rest.empty()) return fail("open needs a path");
            window_.queueAnswer(std::string(rest));
            click(cmd::kOpen);
            return true;
        }
        if (verb == "find") return find(rest);
        if (verb == "apply") return apply(rest);
        auto [idWord, tail] = splitWord(rest);
        if (idWord.empty()) return fail("missing id");
        auto target = parseTarget(idWord);
        if (!target) return fail("unknown id: " + std::string(idWord));
        if (verb == "set") return set(*target, tail);
        if (!tail.empty() && verb != "send" && verb != "select") return fail("unexpected text after the id");
        if (verb == "print") return print(*target);
        if (verb == "state") return state(*target);
        if (target->label) return fail("a label takes only set, print and state");
        int id = target->id;
        if (verb == "click") {
            if (id == cmd::kFormatCombo) return fail("the combobox is not clickable; use select");
            click(id);
            return true;
        }
        if (verb == "select") {
            if (id != cmd::kFormatCombo) return fail("select works on the combobox only");
            auto index = parseNumber(tail);
            if (!index || *index < 0 || *index >= static_cast<int>(formatItems().size()))
                return fail("combobox index out of range: " + std::string(tail));
            window_.selectItem(id, *index);
            session_.dispatch(static_cast<std::uint32_t>(id) | std::uint32_t{cmd::kSelectionChanged} << 16);
            return true;
        }
        if (verb == "send") {
            int code = 0;
            if (!tail.empty()) {
                auto parsed = parseNumber(tail);
                if (!parsed || *parsed < 0 || *parsed > 0xFFFF) return fail("bad notification code");
                code = *parsed;
            }
            session_.dispatch(static_cast<std::uint32_t>(id) | static_cast<std::uint32_t>(code) << 16);
            return true;
        }
        return fail("unknown command: " + std::string(verb));
    }

private:
    bool fail(const std::string& why) {
        err_ << "script line " << lineNumber_ << ": " << why << '\n';
        return false;
    }

    // Lists the first count candidates of the loaded model exactly as nimbrel-cli find does
    // (which reads the model file again), and keeps the same ranking for apply.
    bool find(std::string_view countWord) {
        FindCommandOptions listing;
        if (!countWord.empty()) {
            auto parsed = parseNumber(countWord);
            if (!parsed || *parsed < 1) return fail("find takes a count of at least 1: " + std::string(countWord));
            listing.top = static_cast<std::size_t>(*parsed);
        }
        Context& ctx = session_.context();
        if (ctx.model.size() == 0) return fail("find needs a loaded model");
        listing.modelPath = ctx.ws.modelPath;
        std::ostringstream progress;
        if (runFindCommand(out_, progress, ctx.model, ctx.ws.appDir, listing) != 0)
            return fail("the model could not be read again: " + ctx.ws.modelPath);
        FindOptions options;
        options.maxCandidates = std::max<std::size_t>(listing.top, 100);
        options.minTriangles = listing.minTriangles;
        found_ = findModelLayouts(ctx.model, options);
        foundOnce_ = true;
        return true;
    }

    bool apply(std::string_view rankWord) {
        auto rank = parseNumber(rankWord);
        if (!rank) return fail("apply needs the rank of a candidate: " + std::string(rankWord));
        if (!foundOnce_) return fail("apply needs a find first");
        if (*rank < 1 || static_cast<std::size_t>(*rank) > found_.size())
            return fail("no candidate " + std::string(rankWord) + ": the last find found " +
                        std::to_string(found_.size()));
        applyCandidate(session_.context(), found_[static_cast<std::size_t>(*rank) - 1]);
        return true;
    }

    bool changeDir(std::string_view dir) {
        if (dir.empty() || !platform::changeDirectory(std::string(dir))) return fail("no such folder: " + std::string(dir));
        return true;
    }

    void click(int id) {
        if (!window_.isEnabled(id)) {
            out_ << "disabled: " << id << '\n';
            return;
        }
        const ControlSpec* control = findControl(id);
        if (control && control->kind == ControlKind::CheckBox) window_.setChecked(id, !window_.isChecked(id));
        session_.dispatch(static_cast<std::uint32_t>(id));
    }

    bool set(const Target& target, std::string_view text) {
        if (target.label) {
            window_.setLabelText(*target.label, text);
            return true;
        }
        const ControlSpec* control = findControl(target.id);
        if (!control || (control->kind != ControlKind::Edit && control->kind != ControlKind::ComboBox))
            return fail("set works on edit fields only");
        window_.setText(target.id, text);
        return true;
    }

    bool print(const Target& target) {
        if (target.label) {
            out_ << window_.labelText(*target.label) << '\n';
            return true;
        }
        const ControlSpec* control = findControl(target.id);
        if (control && control->kind == ControlKind::ListBox) {
            for (const auto& line : window_.lines(target.id)) out_ << line << '\n';
        } else if (const MenuItemSpec* item = findMenuItem(target.id)) {
            out_ << item->caption << '\n';
        } else {
            out_ << window_.text(target.id) << '\n';
        }
        return true;
    }

    bool state(const Target& target) {
        if (target.label) {
            out_ << "enabled\n";
            return true;
        }
        out_ << (window_.isEnabled(target.id) ? "enabled" : "disabled");
        const ControlSpec* control = findControl(target.id);
        if (control && control->kind == ControlKind::CheckBox && window_.isChecked(target.id)) out_ << " checked";
        out_ << '\n';
        return true;
    }

    HeadlessSession& session_;
    HeadlessWindow& window_;
    std::ostream& out_;
    std::ostream& err_;
    int lineNumber_ = 0;
    std::vector<LayoutCandidate> found_;
    bool foundOnce_ = false;
};

}  // namespace

int runScript(std::istream& script, std::ostream& out, std::ostream& err, ModelBuffer& model,
              const std::string& appDir, bool launch) {
    return runScript(script, out, err, model, appDir, launch, {});
}

int runScript(std::istream& script, std::ostream& out, std::ostream& err, ModelBuffer& model,
              const std::string& appDir, bool launch, const ScriptLineHook& afterLine) {
    HeadlessSession session(model, out, appDir, launch);
    ScriptRun run(session, out, err);
    std::string line;
    int number = 0;
    while (std::getline(script, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (!run.runLine(line, number)) return 2;
        if (afterLine) afterLine(session.context(), line);
        if (session.window().closeRequested()) break;
    }
    // Closing the window releases the strip storage.
    session.workspace().stripScratch.release();
    out.flush();
    return 0;
}

}  // namespace nimbrel
