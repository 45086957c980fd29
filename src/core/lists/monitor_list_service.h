// The monitor list: the MonitorTable and the Monitor List that shows one row per occupied slot.
// Devices come in from the Discovery List (or a file, through Append) and leave by "Delete
// item". Rows are matched to entries by their IP or MAC text, never by position, because the
// operator may sort the list.
#pragma once

#include "core/lists/main_lists.h"
#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"

#include <optional>
#include <vector>

namespace fenwick {

class MonitorListService {
public:
    MonitorListService(ProgramState& state, UserPrompts& prompts, MainLists lists);

    // Occupied slots of the MonitorTable: 0 to Count()-1, one per Monitor List row.
    int Count() const;

    // Shows MonitorTable[index]: a new row at `index` while its ListState is 0, otherwise the
    // entry's row (found by IP text, then MAC text) replaced in place. Keys are then renumbered
    // to positions. The row shown is never selected.
    void ShowMonitorRow(int index);

    // Copies `record` into the next free slot and appends its row, or tells the operator that
    // the table is full.
    void Append(const DeviceRecord& record);

    // "Add to monitor list": moves the selected Discovery List devices over.
    void AddToMonitorList();
    // Double-click on a Discovery List row: moves the one selected device over.
    void DiscoveryDoubleClicked();
    // "Delete item": removes the selected Monitor List devices after a confirmation.
    void DeleteItem();

private:
    enum class MoveOutcome { Moved, MovedAlready, Duplicate, Full };

    // Copies `record` into the next free slot and appends its row; the slot, or nothing when
    // the table is full.
    std::optional<int> AppendEntry(const DeviceRecord& record);
    bool IsDuplicate(const DeviceRecord& record, int discoveryCount) const;
    // Moves DiscoveryTable slot `slot` over, leaving the slot zero; tells nobody of a refusal.
    MoveOutcome MoveToMonitor(int slot, int discoveryCount);
    // The entry that Monitor List row `row` stands for, among the first `count` and not
    // `taken` yet.
    std::optional<int> EntryOfRow(int row, int count, const std::vector<bool>& taken) const;
    // The box of a refused move, if any.
    void TellOutcome(MoveOutcome outcome);
    void ShowFull();
    // DiscoveryTable slot of the given Discovery List row, or -1.
    std::optional<int> DiscoverySlotOfRow(int row) const;

    ProgramState& state_;
    UserPrompts& prompts_;
    MainLists lists_;
};

} // namespace fenwick
