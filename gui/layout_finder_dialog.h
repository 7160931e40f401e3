#pragma once

#include <QDialog>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/context.h"
#include "find/layout_finder.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
class QThread;

namespace nimbrel {

/// "&Find layouts...": scans the loaded model off the user-interface thread, then lists the
/// candidates in a sortable table. Apply, Preview and Save all act through the Context as
/// the user's clicks would; what they do lives in app/found_layouts.h.
class LayoutFinderDialog : public QDialog {
    Q_OBJECT

public:
    /// afterAction runs after each button's work (the window shows the lines it added).
    /// options.progress, when set, is called on the scan thread before the bar is told.
    LayoutFinderDialog(Context& ctx, std::function<void()> afterAction, QWidget* parent, FindOptions options = {});
    /// Cancels a running scan and waits for it.
    ~LayoutFinderDialog() override;

    /// Closing cancels a running scan and waits for it.
    void reject() override;
    void startScan();
    bool isScanning() const { return scanning_; }
    const std::vector<LayoutCandidate>& candidates() const { return found_; }
    /// The candidate of the table's current row, or null.
    const LayoutCandidate* selectedCandidate() const;

    QTableView* table() const { return table_; }
    QProgressBar* progressBar() const { return bar_; }
    QLabel* status() const { return status_; }
    QPushButton* applyButton() const { return applyButton_; }
    QPushButton* previewButton() const { return previewButton_; }
    QPushButton* saveAllButton() const { return saveAllButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

signals:
    /// From the scan thread, delivered queued: the share done, in thousandths.
    void progressed(int permille);

private:
    void buildTable();
    void fillTable();
    void scanFinished();
    void cancelScan();
    void apply();
    void preview();
    void saveAll();
    void updateButtons();
    void stopWorker();

    Context& ctx_;
    std::function<void()> afterAction_;
    FindOptions options_;
    std::atomic<bool> cancel_{false};
    QThread* worker_ = nullptr;
    // Written by the scan thread only until it finishes; read here only after that.
    std::vector<LayoutCandidate> found_;
    std::string scanError_;
    bool scanning_ = false;

    QStandardItemModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QTableView* table_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QPushButton* saveAllButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace nimbrel
