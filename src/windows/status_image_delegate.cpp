#include "status_image_delegate.h"

#include "core/lists/list_view_model.h"

namespace fenwick {

StatusImageDelegate::StatusImageDelegate(QList<QIcon> images, QObject* parent)
    : QStyledItemDelegate(parent), images_(std::move(images)) {}

void StatusImageDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    bool valid = false;
    const int image = index.data(ListViewModel::kStatusImageRole).toInt(&valid);
    if (!valid || image < 0 || image >= images_.size()) {
        return;
    }
    option->icon = images_[image];
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(16, 16);
    option->decorationAlignment = Qt::AlignCenter;
}

} // namespace fenwick
