#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <QFontMetrics>

#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

/// The lines of a list box. Lines are only ever appended or cleared all at once, and
/// appends are announced to views in batches: one row insertion per event-loop turn (or
/// per explicit flush), so a listing of a million lines costs one layout, not a million.
/// Every row reports one size (the widest line seen), which lets a view with uniform item
/// sizes lay out any number of rows at once and scroll horizontally to the longest line.
class LineListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit LineListModel(const QFont& font, QObject* parent = nullptr);

    void append(std::string_view line);
    void clear();
    /// Width in pixels the rows keep at least, whatever their text.
    void setMinimumWidth(int pixels);
    /// Announces the lines appended since the last flush.
    void flush();
    /// Number of lines, pending ones included.
    std::size_t lineCount() const { return ends_.size(); }
    std::string_view line(std::size_t index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void noteWidth(std::string_view line);

    // All lines end to end in one block, so a million lines cost no million allocations.
    std::vector<char> text_;
    std::vector<std::size_t> ends_;
    int announced_ = 0;
    bool flushQueued_ = false;
    QFontMetrics metrics_;
    std::size_t longestBytes_ = 0;
    int widestLine_ = 0;
    int minimumWidth_ = 0;
};

}  // namespace nimbrel
