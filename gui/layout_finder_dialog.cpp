#include "gui/layout_finder_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <exception>

#include "app/found_layouts.h"

namespace nimbrel {

namespace {
QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
constexpr int kSortRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;
}  // namespace

LayoutFinderDialog::LayoutFinderDialog(Context& ctx, std::function<void()> afterAction, QWidget* parent,
                                       FindOptions options)
    : QDialog(parent), ctx_(ctx), afterAction_(std::move(afterAction)), options_(std::move(options)) {
    setWindowTitle(toQString(kLayoutFinderTitle));
    buildTable();
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1000);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    applyButton_ = new QPushButton(QStringLiteral("Apply"), this);
    previewButton_ = new QPushButton(QStringLiteral("Preview"), this);
    saveAllButton_ = new QPushButton(QStringLiteral("Save all as VYP"), this);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    closeButton_ = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {applyButton_, previewButton_, saveAllButton_, cancelButton_, closeButton_}) b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {applyButton_, previewButton_, saveAllButton_}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(bar_);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(this, &LayoutFinderDialog::progressed, bar_, &QProgressBar::setValue);
    connect(applyButton_, &QPushButton::clicked, this, &LayoutFinderDialog::apply);
    connect(previewButton_, &QPushButton::clicked, this, &LayoutFinderDialog::preview);
    connect(saveAllButton_, &QPushButton::clicked, this, &LayoutFinderDialog::saveAll);
    connect(cancelButton_, &QPushButton::clicked, this, &LayoutFinderDialog::cancelScan);
    connect(closeButton_, &QPushButton::clicked, this, &LayoutFinderDialog::reject);
    connect(table_, &QTableView::doubleClicked, this, &LayoutFinderDialog::apply);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &LayoutFinderDialog::updateButtons);
    resize(960, 420);
    updateButtons();
}

LayoutFinderDialog::~LayoutFinderDialog() { stopWorker(); }

void LayoutFinderDialog::buildTable() {
    model_ = new QStandardItemModel(this);
    QStringList titles;
    for (const auto& column : candidateColumns()) titles << toQString(column.title);
    model_->setHorizontalHeaderLabels(titles);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(kSortRole);
    table_ = new QTableView(this);
    table_->setModel(proxy_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSortingEnabled(true);
    table_->sortByColumn(0, Qt::AscendingOrder);
    table_->verticalHeader()->hide();
}

void LayoutFinderDialog::startScan() {
    if (scanning_) return;
    scanning_ = true;
    cancel_ = false;
    found_.clear();
    scanError_.clear();
    model_->removeRows(0, model_->rowCount());
    bar_->setValue(0);
    bar_->show();
    status_->setText(QStringLiteral("Scanning the model..."));
    FindOptions options = options_;
    options.cancel = &cancel_;
    options.progress = [this, hook = options_.progress](double share) {
        if (hook) hook(share);
        emit progressed(static_cast<int>(share * 1000));
    };
    worker_ = QThread::create([this, options] {
        try {
            found_ = findModelLayouts(ctx_.model, options);
        } catch (const std::exception& e) {
            scanError_ = e.what();
        }
    });
    // Emitted on the scan thread, delivered here through the event queue.
    connect(worker_, &QThread::finished, this, &LayoutFinderDialog::scanFinished);
    updateButtons();
    worker_->start();
}

void LayoutFinderDialog::stopWorker() {
    if (!worker_) return;
    cancel_ = true;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
}

void LayoutFinderDialog::scanFinished() {
    if (!worker_) return;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    scanning_ = false;
    const bool cancelled = cancel_;
    fillTable();
    bar_->setValue(cancelled ? bar_->value() : 1000);
    if (!scanError_.empty()) {
        status_->setText(QStringLiteral("The scan stopped: ") + toQString(scanError_));
    } else if (found_.empty()) {
        status_->setText(cancelled ? QStringLiteral("Scan cancelled before any layout was found.") : toQString(kNoLayoutFound));
    } else {
        const QString count = found_.size() == 1 ? QStringLiteral("1 layout") : QStringLiteral("%1 layouts").arg(found_.size());
        QString text = count + QStringLiteral(" found");
        if (cancelled) text = QStringLiteral("Scan cancelled: ") + count + QStringLiteral(" found so far");
        status_->setText(text + QStringLiteral(". Apply puts the selected one into the fields."));
    }
    if (!found_.empty()) table_->selectRow(0);
    updateButtons();
}

void LayoutFinderDialog::fillTable() {
    table_->setSortingEnabled(false);
    for (std::size_t i = 0; i < found_.size(); ++i) {
        QList<QStandardItem*> row;
        const auto cells = candidateCells(found_[i], i + 1);
        const auto columns = candidateColumns();
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QStandardItem(toQString(cells[c].text));
            item->setData(columns[c].numeric ? QVariant(cells[c].value) : QVariant(toQString(cells[c].text)), kSortRole);
            item->setData(static_cast<qulonglong>(i), kIndexRole);
            if (columns[c].numeric) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            row << item;
        }
        model_->appendRow(row);
    }
    table_->setSortingEnabled(true);
    table_->resizeColumnsToContents();
}

const LayoutCandidate* LayoutFinderDialog::selectedCandidate() const {
    if (scanning_) return nullptr;
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid()) return nullptr;
    const auto index = current.data(kIndexRole).toULongLong();
    return index < found_.size() ? &found_[index] : nullptr;
}

void LayoutFinderDialog::updateButtons() {
    const bool chosen = selectedCandidate() != nullptr;
    applyButton_->setEnabled(chosen);
    previewButton_->setEnabled(chosen);
    saveAllButton_->setEnabled(!scanning_ && !found_.empty());
    cancelButton_->setEnabled(scanning_ && !cancel_);
}

void LayoutFinderDialog::cancelScan() {
    if (!scanning_) return;
    cancel_ = true;
    status_->setText(QStringLiteral("Cancelling..."));
    updateButtons();
}

void LayoutFinderDialog::apply() {
    if (const LayoutCandidate* candidate = selectedCandidate()) applyCandidate(ctx_, *candidate);
    if (afterAction_) afterAction_();
}

void LayoutFinderDialog::preview() {
    if (const LayoutCandidate* candidate = selectedCandidate()) previewCandidate(ctx_, *candidate);
    if (afterAction_) afterAction_();
}

void LayoutFinderDialog::saveAll() {
    if (scanning_ || found_.empty()) return;
    ctx_.window.showMessage(saveAllCandidates(ctx_, found_));
    if (afterAction_) afterAction_();
}

void LayoutFinderDialog::reject() {
    stopWorker();
    scanning_ = false;
    QDialog::reject();
}

}  // namespace nimbrel
