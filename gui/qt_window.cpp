#include "gui/qt_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <new>

#include "app/control_table.h"
#include "gui/layout_finder_dialog.h"
#include "gui/line_list_model.h"
#include "platform/files.h"

// Resources of a static library are registered by hand, outside any namespace.
static void initIconResource() { Q_INIT_RESOURCE(nimbrel); }

namespace nimbrel {

namespace {

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "*.*" means every file where the dialog came from; here it would hide names without a dot.
// Extensions match in any letter case, as they did there.
QString dialogFilter(std::string_view filterName, std::string_view pattern) {
    QString name = toQString(filterName);
    if (int paren = name.indexOf(QLatin1Char('(')); paren >= 0) name = name.left(paren).trimmed();
    QString glob;
    if (pattern == "*.*" || pattern == "*") {
        glob = QStringLiteral("*");
    } else {
        for (QChar c : toQString(pattern)) {
            if (c.isLetter() && c.toLower() != c.toUpper()) glob += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
            else glob += c;
        }
    }
    return name + QStringLiteral(" (") + glob + QLatin1Char(')');
}

}  // namespace

QtWindow::QtWindow() : QtWindow(BaseUnits{}) {}

QtWindow::QtWindow(BaseUnits units) : units_(units) {
    initIconResource();
    if (units_.x <= 0 || units_.y <= 0) units_ = measureBaseUnits(QApplication::font(), *this);
    setWindowTitle(toQString(kWindowTitle));
    setWindowIcon(QIcon(QStringLiteral(":/nimbrel.png")));
    buildMenu();
    auto* edge = new QFrame(this);
    edge->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    auto* client = new QWidget(edge);
    auto* layout = new QVBoxLayout(edge);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client);
    setCentralWidget(edge);
    buildControls(client);
    // Opens holding every control; the window manager's frame goes around that.
    const Geometry extent = controlsExtent(units_.x, units_.y, units_.scrollBarWidth, formatCombo_->sizeHint().height());
    const int edgeWidth = edge->frameWidth();
    resize(extent.width + 2 * edgeWidth, extent.height + 2 * edgeWidth + menuBar()->sizeHint().height());
    focusHolder_->setFocus();
}

QtWindow::~QtWindow() = default;

void QtWindow::buildMenu() {
    std::map<std::string_view, QMenu*> menus;
    for (const MenuItemSpec& item : menuTable()) {
        QMenu*& menu = menus[item.menu];
        if (!menu) menu = menuBar()->addMenu(toQString(item.menu));
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(toQString(item.caption));
        action->setEnabled(item.enabledAtStart);
        const auto word = static_cast<std::uint32_t>(item.id);
        connect(action, &QAction::triggered, this, [this, word] { runCommand(word); });
        actions_[item.id] = action;
    }
}

void QtWindow::buildControls(QWidget* client) {
    for (const ControlSpec& control : controlTable()) {
        QWidget* widget = createControl(control, client);
        if (control.kind != ControlKind::FocusHolder) {
            Geometry g = geometryOf(control, units_.x, units_.y, units_.scrollBarWidth);
            // The formula's height of a combobox includes its dropped-down list.
            if (control.kind == ControlKind::ComboBox) g.height = widget->sizeHint().height();
            widget->setGeometry(g.x, g.y, g.width, g.height);
        }
        widget->setEnabled(control.enabled);
        if (control.label) labels_[*control.label] = static_cast<QLabel*>(widget);
        else controls_[control.id] = widget;
    }
}

QWidget* QtWindow::createControl(const ControlSpec& control, QWidget* client) {
    const QString text = toQString(control.text);
    const auto word = static_cast<std::uint32_t>(control.id);
    switch (control.kind) {
    case ControlKind::FocusHolder: {
        // Takes the keyboard focus so that no edit field holds it; it has no size.
        auto* holder = new QWidget(client);
        holder->setFocusPolicy(Qt::StrongFocus);
        holder->setGeometry(0, 0, 0, 0);
        focusHolder_ = holder;
        return holder;
    }
    case ControlKind::ListBox: {
        auto* view = new QListView(client);
        auto* model = new LineListModel(view->font(), view);
        view->setModel(model);
        view->setUniformItemSizes(true);
        view->setTextElideMode(Qt::ElideNone);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setHorizontalScrollBarPolicy(control.id == field::kResultsList ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        lists_[control.id] = model;
        return view;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text, client);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit: return new QLineEdit(text, client);
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(client);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (auto item : formatItems()) combo->addItem(toQString(item));
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
        // Only a choice the user makes is a selection change; the program's own selectItem is not.
        connect(combo, &QComboBox::activated, this,
                [this, word](int) { runCommand(word | std::uint32_t{cmd::kSelectionChanged} << 16); });
        formatCombo_ = combo;
        return combo;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(text, client);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, word] { runCommand(word); });
        return button;
    }
    case ControlKind::CheckBox: {
        // Ticks itself before the command runs.
        auto* box = new QCheckBox(client);
        connect(box, &QCheckBox::clicked, this, [this, word] { runCommand(word); });
        return box;
    }
    }
    return new QWidget(client);
}

namespace {
template <typename Map, typename Key>
typename Map::mapped_type lookup(const Map& map, const Key& key) {
    auto it = map.find(key);
    return it == map.end() ? nullptr : it->second;
}
}  // namespace

QWidget* QtWindow::control(int id) const { return lookup(controls_, id); }
QLabel* QtWindow::label(Label which) const { return lookup(labels_, which); }
QAction* QtWindow::menuAction(int id) const { return lookup(actions_, id); }
LineListModel* QtWindow::listModel(int listId) const { return lookup(lists_, listId); }

QListView* QtWindow::listView(int listId) const { return listModel(listId) ? qobject_cast<QListView*>(control(listId)) : nullptr; }

std::vector<std::string> QtWindow::lines(int listId) const {
    std::vector<std::string> out;
    if (LineListModel* model = listModel(listId))
        for (std::size_t i = 0; i < model->lineCount(); ++i) out.emplace_back(model->line(i));
    return out;
}

void QtWindow::runCommand(std::uint32_t commandWord) {
    ++commandDepth_;
    if (commandDepth_ > 1) {
        if (handler_) handler_(commandWord);
    } else {
        // A command that fails outside its own checks still ends with the user told.
        try {
            if (handler_) handler_(commandWord);
        } catch (const std::bad_alloc&) {
            showMessage("Not enough memory to finish the command.");
        } catch (const std::exception& e) {
            showMessage(std::string("The command stopped: ") + e.what());
        }
    }
    --commandDepth_;
    if (commandDepth_ > 0) return;
    flushLists();
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
    if (!deferred_.empty()) {
        QTimer::singleShot(0, this, [this] {
            if (commandDepth_ > 0 || deferred_.empty()) return;
            std::uint32_t next = deferred_.front();
            deferred_.pop_front();
            runCommand(next);
        });
    }
}

void QtWindow::deliverCommand(std::uint32_t commandWord) {
    if (commandDepth_ > 0) deferred_.push_back(commandWord);
    else runCommand(commandWord);
}

void QtWindow::showLayoutFinder(Context& ctx) {
    flushLists();
    LayoutFinderDialog dialog(ctx, [this] { flushLists(); }, this);
    dialog.startScan();
    dialog.exec();
}

void QtWindow::sendCommand(std::uint32_t commandWord) { runCommand(commandWord); }

void QtWindow::postClose() { QTimer::singleShot(0, this, &QWidget::close); }

void QtWindow::flushLists() {
    for (auto& [id, model] : lists_) model->flush();
}

void QtWindow::closeEvent(QCloseEvent* event) {
    // A message box of a running command has its own loop; the window goes after the command.
    if (commandDepth_ > 0) {
        closePending_ = true;
        event->ignore();
        return;
    }
    if (closeHandler_) closeHandler_();
    event->accept();
}

void QtWindow::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (!painted_) {
        painted_ = true;
        emit firstPainted();
    }
}

std::string QtWindow::text(int id) const {
    QWidget* widget = control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText().toStdString();
    return {};
}

void QtWindow::setText(int id, std::string_view text) {
    QWidget* widget = control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setText(toQString(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(toQString(text));
    else if (auto* combo = qobject_cast<QComboBox*>(widget)) combo->setEditText(toQString(text));
}

void QtWindow::showMessage(std::string_view text) {
    flushLists();
    QWidget* owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(platform::executablePath()), toQString(text),
                    QMessageBox::Ok, owner ? owner : this);
    box.exec();
}

void QtWindow::addLine(int listId, std::string_view line) {
    if (LineListModel* model = listModel(listId)) model->append(line);
}

void QtWindow::clearList(int listId) {
    if (LineListModel* model = listModel(listId)) model->clear();
}

void QtWindow::setHorizontalExtent(int listId, int pixels) {
    if (LineListModel* model = listModel(listId)) model->setMinimumWidth(pixels);
}

std::string QtWindow::labelText(Label which) const {
    QLabel* widget = label(which);
    return widget ? widget->text().toStdString() : std::string();
}

void QtWindow::setLabelText(Label which, std::string_view text) {
    if (QLabel* widget = label(which)) widget->setText(toQString(text));
}

void QtWindow::setEnabled(int id, bool enabled) {
    if (QWidget* widget = control(id)) widget->setEnabled(enabled);
    else if (QAction* action = menuAction(id)) action->setEnabled(enabled);
}

bool QtWindow::isEnabled(int id) const {
    if (QWidget* widget = control(id)) return widget->isEnabled();
    if (QAction* action = menuAction(id)) return action->isEnabled();
    return false;
}

void QtWindow::setChecked(int id, bool checked) {
    if (auto* box = qobject_cast<QCheckBox*>(control(id))) box->setChecked(checked);
}

bool QtWindow::isChecked(int id) const {
    auto* box = qobject_cast<QCheckBox*>(control(id));
    return box && box->isChecked();
}

void QtWindow::selectItem(int comboId, int index) {
    if (comboId != cmd::kFormatCombo || index < 0 || index >= formatCombo_->count()) return;
    formatCombo_->setCurrentIndex(index);
}

int QtWindow::selectedItem(int comboId) const { return comboId == cmd::kFormatCombo ? formatCombo_->currentIndex() : -1; }

void QtWindow::showAbout(std::string_view text) {
    flushLists();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral(" About..."), toQString(text), QMessageBox::Ok);
    box.setWindowIcon(windowIcon());
    box.exec();
}

std::optional<std::filesystem::path> QtWindow::askOpenFile(std::string_view title, std::string_view filterName,
                                                           std::string_view pattern) {
    if (!answers_.empty()) {
        std::optional<std::string> answer = std::move(answers_.front());
        answers_.pop_front();
        if (!answer || !platform::fileExists(*answer)) return std::nullopt;
        return std::filesystem::absolute(*answer).lexically_normal();
    }
    flushLists();
    QFileDialog dialog(this, toQString(title), QString(), dialogFilter(filterName, pattern));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    std::filesystem::path chosen(dialog.selectedFiles().constFirst().toStdString());
    std::error_code error;
    if (!std::filesystem::exists(chosen, error)) return std::nullopt;
    return std::filesystem::absolute(chosen).lexically_normal();
}

}  // namespace nimbrel
