// Discovery: the broadcast request, the DiscoveryTable with the Discovery List, and the two
// stores that file an accepted reply as a device in one of the two tables.
#pragma once

#include "core/lists/main_lists.h"
#include "core/ports/datagram_socket.h"
#include "core/state/program_state.h"
#include "core/support/unstacked_boxes.h"

#include <cstdint>
#include <span>

namespace fenwick {

class MonitorListService;

class DiscoveryService {
public:
    DiscoveryService(ProgramState& state, UnstackedBoxes& boxes, MainLists lists,
                     MonitorListService& monitor);

    // Whether a discovery counts as a request to every monitored device for the liveness
    // accounting: the operator's does; the one confirming an upgrade does not.
    enum class Counting { Counted, NotCounted };

    // "Discovery": permits broadcast, counts the request for every monitored device, empties
    // the list and table, and broadcasts request 1. `socket` may be null (not created). False
    // after telling the operator that it could not be sent.
    [[nodiscard]] bool SendRequest(DatagramSocket* broadcastSocket,
                                   Counting counting = Counting::Counted);

    // General reply store: files an accepted reply in the MonitorTable (by IP text, then MAC
    // text) or the DiscoveryTable, and recognises the answer to a set request. A device that
    // the full DiscoveryTable cannot take is told of, and nothing else happens.
    void StoreReply(DeviceRecord& record, std::span<const std::uint8_t> body);

    // Store for agents of another protocol version (reason 101) or in loader mode (100): a row
    // with what the header tells, no names.
    void StoreMismatch(DeviceRecord& record, int reason);

    // Shows DiscoveryTable slot `slot` in the Discovery List: inserts its row (ListState 0) or
    // refreshes it (ListState 1).
    void ShowDiscoveryRow(int slot);

private:
    // Files a device heard from in MonitorTable slot `index` and refreshes its row.
    void FileInMonitorTable(DeviceRecord& record, int index, std::int32_t statusImage);
    // Files a device heard from in its DiscoveryTable slot, or the first free one, and shows
    // its row; false after telling the operator that the table is full.
    [[nodiscard]] bool FileInDiscoveryTable(DeviceRecord& record);
    void ConfirmSet(const DeviceRecord& record);
    void ShowFull();

    ProgramState& state_;
    UnstackedBoxes& boxes_;
    MainLists lists_;
    MonitorListService& monitor_;
};

} // namespace fenwick
