// Draws a list row's status image (the model's status image index) as an icon of the status
// image list, centred in its column; an index outside the list shows nothing.
#pragma once

#include <QIcon>
#include <QList>
#include <QStyledItemDelegate>

namespace fenwick {

class StatusImageDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    StatusImageDelegate(QList<QIcon> images, QObject* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QList<QIcon> images_;
};

} // namespace fenwick
