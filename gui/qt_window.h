#pragma once

#include <QMainWindow>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "app/window.h"
#include "gui/base_units.h"

class QAction;
class QComboBox;
class QLabel;
class QListView;

namespace nimbrel {

class LineListModel;

/// The main window on Qt widgets: every control of the control table at its place, the
/// menu, and the Window port mapped onto them. Every user action becomes one command word
/// for the handler set with setCommandHandler.
class QtWindow : public QMainWindow, public Window {
    Q_OBJECT

public:
    /// Lays the controls out with the base units of the application font.
    QtWindow();
    /// Lays the controls out with the given base units.
    explicit QtWindow(BaseUnits units);
    ~QtWindow() override;

    void setCommandHandler(std::function<void(std::uint32_t)> handler) { handler_ = std::move(handler); }
    /// Runs when the window closes, before it goes away.
    void setCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }
    /// The next file dialog returns path without showing itself; nothing means cancelled.
    /// A path naming no existing file counts as cancelled, as the dialog's must-exist rule has it.
    void queueAnswer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
    /// Runs a command word now, or after the running command when one is running; for
    /// commands that arrive from outside the window.
    void deliverCommand(std::uint32_t commandWord);

    const BaseUnits& baseUnits() const { return units_; }
    /// Every line of a list, the ones not yet shown included.
    std::vector<std::string> lines(int listId) const;
    QWidget* control(int id) const;
    QLabel* label(Label label) const;
    QAction* menuAction(int id) const;
    QListView* listView(int listId) const;

signals:
    /// The window has been painted on screen for the first time.
    void firstPainted();

public:

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
    void showLayoutFinder(Context& ctx) override;
    void sendCommand(std::uint32_t commandWord) override;
    void postClose() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildMenu();
    void buildControls(QWidget* client);
    QWidget* createControl(const ControlSpec& control, QWidget* client);
    void runCommand(std::uint32_t commandWord);
    void flushLists();
    LineListModel* listModel(int listId) const;

    BaseUnits units_;
    std::map<int, QWidget*> controls_;
    std::map<Label, QLabel*> labels_;
    std::map<int, QAction*> actions_;
    std::map<int, LineListModel*> lists_;
    QComboBox* formatCombo_ = nullptr;
    QWidget* focusHolder_ = nullptr;
    std::function<void(std::uint32_t)> handler_;
    std::function<void()> closeHandler_;
    std::deque<std::optional<std::string>> answers_;
    std::deque<std::uint32_t> deferred_;
    int commandDepth_ = 0;
    bool closePending_ = false;
    bool painted_ = false;
};

}  // namespace nimbrel
