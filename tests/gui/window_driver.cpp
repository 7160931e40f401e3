#include "window_driver.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include "app/control_table.h"

namespace nimbrel::testing {

namespace {

std::pair<std::string_view, std::string_view> splitWord(std::string_view line) {
    auto blank = line.find(' ');
    if (blank == std::string_view::npos) return {line, {}};
    return {line.substr(0, blank), line.substr(blank + 1)};
}

int number(std::string_view word) { return std::stoi(std::string(word)); }

}  // namespace

bool WindowDriver::run(std::string_view script) {
    while (!script.empty()) {
        auto end = script.find('\n');
        std::string_view line = script.substr(0, end);
        script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
        if (line.empty() || line[0] == '#') continue;
        auto [verb, rest] = splitWord(line);
        if (!runLine(verb, rest)) {
            out_ << "driver cannot run: " << line << '\n';
            return false;
        }
        collectRecords();
    }
    return true;
}

void WindowDriver::collectRecords() {
    QApplication::processEvents();
    for (const auto& record : answerer_.takeRecords()) out_ << record << '\n';
}

bool WindowDriver::runLine(std::string_view verb, std::string_view rest) {
    if (verb == "echo") {
        out_ << rest << '\n';
        return true;
    }
    if (verb == "answer") {
        answerer_.queueAnswer(rest.empty() ? std::nullopt : std::optional<std::string>(rest));
        return true;
    }
    if (verb == "open") {
        answerer_.queueAnswer(std::string(rest));
        click(cmd::kOpen);
        return true;
    }
    auto [target, tail] = splitWord(rest);
    if (verb == "print") print(target);
    else if (verb == "state") state(target);
    else if (verb == "set") type(number(target), tail);
    else if (verb == "click") click(number(target));
    else if (verb == "select") select(number(tail));
    else if (verb == "send") window_.deliverCommand(static_cast<std::uint32_t>(number(target)));
    else return false;
    return true;
}

void WindowDriver::click(int id) {
    if (!window_.isEnabled(id)) {
        out_ << "disabled: " << id << '\n';
        return;
    }
    if (QAction* action = window_.menuAction(id)) {
        action->trigger();
        return;
    }
    QWidget* widget = window_.control(id);
    // A check box takes the click on its indicator, at the left edge.
    QPoint at = qobject_cast<QCheckBox*>(widget) ? QPoint(4, widget->height() / 2) : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

// Opens the list and clicks the item, as a user chooses.
void WindowDriver::select(int index) {
    auto* combo = qobject_cast<QComboBox*>(window_.control(cmd::kFormatCombo));
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTest::qWait(20);
    QRect item = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTest::qWait(20);
}

void WindowDriver::type(int id, std::string_view text) {
    QWidget* widget = window_.control(id);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) edit = combo->lineEdit();
    if (!edit->isEnabled()) {
        // Nobody can type into a disabled field; the script sets it the way the program does.
        window_.setText(id, text);
        return;
    }
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(std::string(text)));
}

void WindowDriver::print(std::string_view target) {
    if (auto label = labelByName(target)) {
        out_ << window_.labelText(*label) << '\n';
        return;
    }
    const int id = number(target);
    if (QListView* view = window_.listView(id)) {
        // What the view shows must be every line the commands added.
        const auto& lines = window_.lines(id);
        if (view->model()->rowCount() != static_cast<int>(lines.size())) out_ << "view lags behind the lines\n";
        for (const auto& line : lines) out_ << line << '\n';
    } else if (const MenuItemSpec* item = findMenuItem(id)) {
        out_ << item->caption << '\n';
    } else {
        out_ << window_.text(id) << '\n';
    }
}

void WindowDriver::state(std::string_view target) {
    if (labelByName(target)) {
        out_ << "enabled\n";
        return;
    }
    const int id = number(target);
    out_ << (window_.isEnabled(id) ? "enabled" : "disabled");
    if (window_.isChecked(id)) out_ << " checked";
    out_ << '\n';
}

}  // namespace nimbrel::testing
