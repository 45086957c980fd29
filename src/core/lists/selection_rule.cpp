#include "selection_rule.h"

namespace fenwick {

SelectionRule::SelectionRule(ListViewModel& discoveryList, ListSelection& discoverySelection,
                             ListViewModel& monitorList, ListSelection& monitorSelection,
                             QObject* parent)
    : QObject(parent), discovery_(discoverySelection), monitor_(monitorSelection) {
    // Qt reports a selection only once it has really changed.
    connect(&discovery_, &QItemSelectionModel::selectionChanged, this,
            &SelectionRule::DiscoveryItemChanging);
    connect(&monitor_, &QItemSelectionModel::selectionChanged, this,
            &SelectionRule::MonitorItemChanging);
    // Row displays change items too, and set the rule off like a click does.
    connect(&discoveryList, &ListViewModel::itemChanging, this,
            &SelectionRule::DiscoveryItemChanging);
    connect(&monitorList, &ListViewModel::itemChanging, this, &SelectionRule::MonitorItemChanging);
}

void SelectionRule::DiscoveryItemChanging() {
    if (applying_) {
        return;
    }
    applying_ = true;
    if (const std::optional<int> row = monitor_.FirstSelectedRow()) {
        monitor_.DeselectRow(*row);
    }
    applying_ = false;
}

void SelectionRule::MonitorItemChanging() {
    if (applying_) {
        return;
    }
    applying_ = true;
    discovery_.DeselectAll();
    applying_ = false;
}

} // namespace fenwick
