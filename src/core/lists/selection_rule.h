#pragma once

#include "core/lists/list_selection.h"
#include "core/lists/list_view_model.h"

#include <QObject>

namespace fenwick {

// Keeps selected rows in one list at a time. When a Discovery List item changes, the first
// selected Monitor List row loses its selection; when a Monitor List item changes, every
// selected Discovery List row does. An item changes when its selection, texts, key or image
// actually do: a click that leaves the selection as it was, or rows put in or taken out, set
// nothing off. Changes the rule itself makes do not set it off again.
class SelectionRule final : public QObject {
    Q_OBJECT

public:
    SelectionRule(ListViewModel& discoveryList, ListSelection& discoverySelection,
                  ListViewModel& monitorList, ListSelection& monitorSelection,
                  QObject* parent = nullptr);

private:
    void DiscoveryItemChanging();
    void MonitorItemChanging();

    ListSelection& discovery_;
    ListSelection& monitor_;
    bool applying_ = false;
};

} // namespace fenwick
