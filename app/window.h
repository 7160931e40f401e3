#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/control_ids.h"
#include "core/line_sink.h"

namespace nimbrel {

struct Context;

/// The static texts that share control ids 26 and 27; addressed by their own names.
enum class Label {
    step1Label1,
    step1Label2,
    step2Label1,
    step2Label2,
    step3Label1,
    step3Label2,
    uvbLabel,
    firstByteLabel,
    overwriteLabel,
};

/// Everything the system does with its main window. HeadlessWindow keeps it in memory;
/// QtWindow maps it onto widgets. Controls and menu items are addressed by their ids.
class Window : public LineSink {
public:
    /// Text of the control with this id (an edit field, a button caption).
    virtual std::string text(int id) const = 0;
    virtual void setText(int id, std::string_view text) = 0;
    /// A modal message with one OK button; returns once the user confirmed it.
    virtual void showMessage(std::string_view text) = 0;

    /// Adds a line at the end of a list (1 info list, 29 results list).
    virtual void addLine(int listId, std::string_view line) = 0;
    virtual void clearList(int listId) = 0;
    virtual void setHorizontalExtent(int listId, int pixels) = 0;

    virtual std::string labelText(Label label) const = 0;
    virtual void setLabelText(Label label, std::string_view text) = 0;

    /// Controls and menu items alike.
    virtual void setEnabled(int id, bool enabled) = 0;
    virtual bool isEnabled(int id) const = 0;
    virtual void setChecked(int id, bool checked) = 0;
    virtual bool isChecked(int id) const = 0;
    /// Selects a combobox item without sending a command, as the program itself does.
    virtual void selectItem(int comboId, int index) = 0;
    /// Index of the selected combobox item, -1 when none is selected.
    virtual int selectedItem(int comboId) const = 0;

    virtual void showAbout(std::string_view text) = 0;
    /// The open-file dialog: a path the user chose (it exists), or nothing when cancelled.
    /// The caller changes the current directory.
    virtual std::optional<std::filesystem::path> askOpenFile(std::string_view title, std::string_view filterName,
                                                             std::string_view pattern) = 0;

    /// "&Find layouts...": the dialog over the layouts the finder finds in the loaded model;
    /// returns when it is closed. Its buttons act through ctx as the user's clicks would.
    virtual void showLayoutFinder(Context& ctx) = 0;

    /// Runs a command word through the dispatcher and returns when it has finished.
    virtual void sendCommand(std::uint32_t commandWord) = 0;
    /// Asks the window to close after the running command.
    virtual void postClose() = 0;

    void addResult(std::string_view line) { addLine(field::kResultsList, line); }
    void clearResults() { clearList(field::kResultsList); }
    /// The lines a pass lists go to the results list.
    void add(std::string_view line) override { addLine(field::kResultsList, line); }
};

/// Shows the refusal a pass returned, if any; true when there was none.
inline bool showRefusal(Window& window, std::string_view refusal) {
    if (refusal.empty()) return true;
    window.showMessage(refusal);
    return false;
}

}  // namespace nimbrel
