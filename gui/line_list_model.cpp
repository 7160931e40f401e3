#include "gui/line_list_model.h"

#include <QTimer>

#include <algorithm>

namespace nimbrel {

namespace {
// Room for the item's own text margins, so the longest line is never elided.
constexpr int kRowPadding = 8;
}

LineListModel::LineListModel(const QFont& font, QObject* parent)
    : QAbstractListModel(parent), metrics_(font) {}

void LineListModel::append(std::string_view line) {
    text_.insert(text_.end(), line.begin(), line.end());
    ends_.push_back(text_.size());
    noteWidth(line);
    if (!flushQueued_) {
        flushQueued_ = true;
        QTimer::singleShot(0, this, &LineListModel::flush);
    }
}

std::string_view LineListModel::line(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_.data() + begin, ends_[index] - begin);
}

// Measuring every line would cost more than storing it; the line with the most bytes
// stands for the widest, which holds for the digits and blanks the listings are made of.
void LineListModel::noteWidth(std::string_view line) {
    if (line.size() <= longestBytes_) return;
    longestBytes_ = line.size();
    widestLine_ = std::max(widestLine_, metrics_.horizontalAdvance(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))));
}

void LineListModel::clear() {
    beginResetModel();
    text_.clear();
    text_.shrink_to_fit();
    ends_.clear();
    ends_.shrink_to_fit();
    announced_ = 0;
    longestBytes_ = 0;
    widestLine_ = 0;
    endResetModel();
}

void LineListModel::setMinimumWidth(int pixels) {
    minimumWidth_ = std::max(pixels, 0);
    // Views lay out uniform rows from one size; a layout change makes them ask again.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

void LineListModel::flush() {
    flushQueued_ = false;
    const int total = static_cast<int>(ends_.size());
    if (total == announced_) return;
    beginInsertRows(QModelIndex(), announced_, total - 1);
    announced_ = total;
    endInsertRows();
}

int LineListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : announced_; }

QVariant LineListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= announced_) return {};
    switch (role) {
    case Qt::DisplayRole: {
        std::string_view text = line(static_cast<std::size_t>(index.row()));
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::SizeHintRole: return QSize(std::max(widestLine_ + kRowPadding, minimumWidth_), metrics_.height());
    default: return {};
    }
}

}  // namespace nimbrel
