// The contents of one report-style list: rows of column texts, each row with an integer key
// (item data) and a status image. Rows are addressed by position, as the program's list
// operations address them. The window shows it in a tree view; tests read it directly.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace fenwick {

class ListViewModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // The role under which column 0 reports a row's status image index (-1: none).
    static constexpr int kStatusImageRole = Qt::UserRole + 1;
    // The role under which every column reports the row's key.
    static constexpr int kItemDataRole = Qt::UserRole + 2;

    struct Column {
        QString heading;
        Qt::Alignment alignment;
        int width; // pixels, in the font the widths were first drawn for
        // A text as wide as the longest the column is meant to hold (empty: none in particular).
        // The window widens the column to show it in the font it uses.
        QString widest = {};
    };

    // One row: its key (item data), its status image (-1: none) and its column texts.
    struct Row {
        int itemData = 0;
        int image = -1;
        QStringList texts;
    };
    // Orders two rows: true when `a` goes before `b`.
    using RowLess = std::function<bool(const Row& a, const Row& b)>;

    ListViewModel(std::vector<Column> columns, QObject* parent = nullptr);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The first row (from 0) whose text in `column` equals `text`, if any.
    std::optional<int> FindRow(int column, const QString& text) const;
    // Inserts a row at `row` (clamped to the end) with its key and column 0 text; returns its
    // position.
    int InsertRow(int row, int itemData, const QString& firstText);
    void SetText(int row, int column, const QString& text);
    QString Text(int row, int column) const;
    void SetItemData(int row, int itemData);
    int ItemData(int row) const;
    void SetImage(int row, int image);
    int Image(int row) const;
    void DeleteRow(int row);
    void DeleteAllRows();
    // Reorders the rows in place (stable); no row's contents change, so no itemChanging.
    // Selections and other persistent indexes move with their rows.
    void SortRows(const RowLess& less);
    const std::vector<Column>& Columns() const { return columns_; }

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // Emitted before the texts, key or image of a row change. Rows put in or taken out are not
    // changes of an item.
    void itemChanging();

private:
    bool Valid(int row, int column = 0) const;

    std::vector<Column> columns_;
    std::vector<Row> rows_;
};

} // namespace fenwick
