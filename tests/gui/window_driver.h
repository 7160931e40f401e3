#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "gui/qt_window.h"
#include "modal_answerer.h"

namespace nimbrel::testing {

/// Runs the lines of a nimbrel-cli script against a QtWindow the way a user would: mouse
/// clicks on buttons, check boxes and combobox items, typing into fields, menu commands.
/// Writes the output nimbrel-cli writes for the same script. Understands open, answer,
/// set, click, select, send, print, state and echo.
class WindowDriver {
public:
    WindowDriver(QtWindow& window, ModalAnswerer& answerer) : window_(window), answerer_(answerer) {}

    /// False with a note in the output for a line it does not understand.
    bool run(std::string_view script);
    std::string output() const { return out_.str(); }
    void collectRecords();

private:
    bool runLine(std::string_view verb, std::string_view rest);
    void click(int id);
    void select(int index);
    void type(int id, std::string_view text);
    void print(std::string_view target);
    void state(std::string_view target);

    QtWindow& window_;
    ModalAnswerer& answerer_;
    std::ostringstream out_;
};

}  // namespace nimbrel::testing
