#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/headless_window.h"

namespace nimbrel::testing {

/// Plays the user in front of modal boxes: confirms every message box and answers file
/// dialogs from a queue, writing the same records the headless window writes.
class ModalAnswerer : public QObject {
public:
    ModalAnswerer() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::answer);
        timer_.start();
    }

    void queueAnswer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
    std::vector<std::string> takeRecords() { return std::exchange(records_, {}); }
    /// What the last file dialog looked like: title, filter, whether the file had to exist.
    QString lastDialogTitle;
    QStringList lastDialogFilters;
    bool lastDialogNeededExistingFile = false;

private:
    void answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const bool about = box->windowTitle() == QStringLiteral(" About...");
            records_.push_back((about ? "about: " : "message: ") + escapeRecord(box->text().toStdString()));
            box->button(QMessageBox::Ok)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            lastDialogTitle = dialog->windowTitle();
            lastDialogFilters = dialog->nameFilters();
            lastDialogNeededExistingFile = dialog->fileMode() == QFileDialog::ExistingFile;
            if (answers_.empty()) {
                records_.push_back("dialog: " + dialog->windowTitle().toStdString());
                dialog->reject();
                return;
            }
            std::optional<std::string> path = std::move(answers_.front());
            answers_.pop_front();
            // The dialog would refuse a missing file; the user then gives up.
            if (!path || !QFileInfo::exists(QString::fromStdString(*path))) {
                dialog->reject();
                return;
            }
            dialog->selectFile(QString::fromStdString(*path));
            QMetaObject::invokeMethod(dialog, "accept");
        }
    }

    QTimer timer_;
    std::deque<std::optional<std::string>> answers_;
    std::vector<std::string> records_;
};

}  // namespace nimbrel::testing
