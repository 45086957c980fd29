#include "list_view_model.h"

#include <QSize>
#include <algorithm>
#include <numeric>

namespace fenwick {

ListViewModel::ListViewModel(std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

bool ListViewModel::Valid(int row, int column) const {
    return row >= 0 && row < RowCount() && column >= 0 &&
           column < static_cast<int>(columns_.size());
}

std::optional<int> ListViewModel::FindRow(int column, const QString& text) const {
    for (int row = 0; row < RowCount(); ++row) {
        if (rows_[static_cast<std::size_t>(row)].texts.value(column) == text) {
            return row;
        }
    }
    return std::nullopt;
}

int ListViewModel::InsertRow(int row, int itemData, const QString& firstText) {
    row = std::clamp(row, 0, RowCount());
    beginInsertRows({}, row, row);
    Row inserted;
    inserted.itemData = itemData;
    inserted.texts.resize(static_cast<qsizetype>(columns_.size()));
    inserted.texts[0] = firstText;
    rows_.insert(rows_.begin() + row, std::move(inserted));
    endInsertRows();
    return row;
}

void ListViewModel::SetText(int row, int column, const QString& text) {
    if (!Valid(row, column) || rows_[static_cast<std::size_t>(row)].texts[column] == text) {
        return;
    }
    emit itemChanging();
    rows_[static_cast<std::size_t>(row)].texts[column] = text;
    emit dataChanged(index(row, column), index(row, column));
}

QString ListViewModel::Text(int row, int column) const {
    return Valid(row, column) ? rows_[static_cast<std::size_t>(row)].texts[column] : QString();
}

void ListViewModel::SetItemData(int row, int itemData) {
    if (!Valid(row) || rows_[static_cast<std::size_t>(row)].itemData == itemData) {
        return;
    }
    emit itemChanging();
    rows_[static_cast<std::size_t>(row)].itemData = itemData;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {kItemDataRole});
}

int ListViewModel::ItemData(int row) const {
    return Valid(row) ? rows_[static_cast<std::size_t>(row)].itemData : -1;
}

void ListViewModel::SetImage(int row, int image) {
    if (!Valid(row) || rows_[static_cast<std::size_t>(row)].image == image) {
        return;
    }
    emit itemChanging();
    rows_[static_cast<std::size_t>(row)].image = image;
    emit dataChanged(index(row, 0), index(row, 0), {kStatusImageRole, Qt::DecorationRole});
}

int ListViewModel::Image(int row) const {
    return Valid(row) ? rows_[static_cast<std::size_t>(row)].image : -1;
}

void ListViewModel::DeleteRow(int row) {
    if (!Valid(row)) {
        return;
    }
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void ListViewModel::DeleteAllRows() {
    if (rows_.empty()) {
        return;
    }
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void ListViewModel::SortRows(const RowLess& less) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return less(rows_[static_cast<std::size_t>(a)], rows_[static_cast<std::size_t>(b)]);
    });

    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newPosition(rows_.size());
    for (std::size_t position = 0; position < order.size(); ++position) {
        const auto from = static_cast<std::size_t>(order[position]);
        sorted.push_back(std::move(rows_[from]));
        newPosition[from] = static_cast<int>(position);
    }
    rows_ = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after << index(newPosition[static_cast<std::size_t>(old.row())], old.column());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int ListViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !Valid(index.row(), index.column())) {
        return {};
    }
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return row.texts[index.column()];
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_[static_cast<std::size_t>(index.column())].alignment |
                                   Qt::AlignVCenter);
    case kStatusImageRole:
        return index.column() == 0 ? QVariant(row.image) : QVariant();
    case kItemDataRole:
        return row.itemData;
    default:
        return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size())) {
        return {};
    }
    const Column& column = columns_[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return column.heading;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    default:
        return {};
    }
}

} // namespace fenwick
