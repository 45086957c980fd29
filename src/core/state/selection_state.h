// The device chosen by the last configuration, password or upgrade command, and the list
// sizes captured when its button was pressed.
#pragma once

namespace fenwick {

// SelectedInMonitor values.
inline constexpr int kChosenInDiscovery = 0; // addressed by broadcast, by its MAC address
inline constexpr int kChosenInMonitor = 1;   // addressed by unicast, at its IP address

struct SelectionState {
    int SelectedIndex = 0;     // into the DiscoveryTable or the MonitorTable
    int SelectedInMonitor = 0; // kChosenInMonitor or kChosenInDiscovery
    int MonitorCount = 0;      // Monitor List rows when the button was pressed
    int DiscoveryCount = 0;    // Discovery List rows when the button was pressed
};

} // namespace fenwick
